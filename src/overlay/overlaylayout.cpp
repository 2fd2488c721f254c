#include "overlay/overlaylayout.h"

#include <algorithm>

namespace tavelon {

namespace {

// Division rounded towards minus infinity, also for negative numerators.
int floorDiv(int num, int den)
{
    const int q = num / den;
    return (num % den != 0 && ((num < 0) != (den < 0))) ? q - 1 : q;
}

} // namespace

OverlayCorner overlayCorner(const QString &position, const QStringList &entries)
{
    static constexpr OverlayCorner corners[] = {OverlayCorner::TopLeft, OverlayCorner::TopRight,
                                                OverlayCorner::BottomLeft, OverlayCorner::BottomRight};
    const int n = std::min(int(entries.size()), 4);
    for (int i = 0; i < n; ++i) {
        if (position == entries.at(i))
            return corners[i];
    }
    return OverlayCorner::None;
}

QPoint previewAnchor(OverlayCorner corner, QSize frame, QSize block, bool framed)
{
    const int right = frame.width() - block.width() - 7;
    const int bottom = frame.height() - block.height() - 7;
    switch (corner) {
    case OverlayCorner::TopLeft:
        return framed ? QPoint(10 + 6, 7 + 4) : QPoint(10, 7);
    case OverlayCorner::TopRight:
        return framed ? QPoint(right - 4, 7 + 6) : QPoint(right, 7);
    case OverlayCorner::BottomLeft:
        return framed ? QPoint(10 + 6, bottom - 6) : QPoint(10, bottom);
    case OverlayCorner::BottomRight:
        return framed ? QPoint(right - 4, bottom - 6) : QPoint(right, bottom);
    case OverlayCorner::None:
        break;
    }
    return QPoint(0, 0);
}

QPoint videoAnchor(OverlayCorner corner, QSize frame, QSize block, bool framed, int margin)
{
    const int m = margin;
    const BorderSteps k = borderSteps(m);
    const int left = m + k.k4;
    const int right = frame.width() - block.width() - m;
    const int bottom = frame.height() - block.height() - m;
    switch (corner) {
    case OverlayCorner::TopLeft:
        return framed ? QPoint(left + m, m + k.k1) : QPoint(left, m);
    case OverlayCorner::TopRight:
        return framed ? QPoint(right - k.k2, m + k.k1) : QPoint(right, m);
    case OverlayCorner::BottomLeft:
        return framed ? QPoint(left + m, bottom - m) : QPoint(left, bottom);
    case OverlayCorner::BottomRight:
        return framed ? QPoint(right - k.k1, bottom - m) : QPoint(right, bottom);
    case OverlayCorner::None:
        break;
    }
    return QPoint(0, 0);
}

BorderSteps borderSteps(int margin)
{
    const int tenths = margin * 10;
    return {floorDiv(tenths, 11), floorDiv(tenths, 13), floorDiv(tenths, 17),
            floorDiv(tenths, 23), floorDiv(tenths, 34), floorDiv(margin, 6)};
}

QRect filledRect(QPoint corner1, QPoint corner2)
{
    return QRect(QPoint(std::min(corner1.x(), corner2.x()), std::min(corner1.y(), corner2.y())),
                 QPoint(std::max(corner1.x(), corner2.x()), std::max(corner1.y(), corner2.y())));
}

QRect boxRect(QPoint anchor, QSize block)
{
    const int x = anchor.x();
    const int y = anchor.y();
    return filledRect({x - 5, y - 1}, {x + block.width() - 5, y + block.height() - 1});
}

QList<ColoredRect> previewBorder(QPoint anchor, QSize block)
{
    const int x = anchor.x();
    const int y = anchor.y();
    const int lw = block.width();
    const int lh = block.height();
    const auto black = BarColor::Black;
    const auto text = BarColor::Text;
    return {
        {filledRect({x - 3, y - 1}, {x + lw - 3, y}), black},
        {filledRect({x - 3, y + lh + 2}, {x + lw - 3, y + lh + 3}), black},
        {filledRect({x - 6, y - 1}, {x - 4, y + lh + 3}), black},
        {filledRect({x + lw - 2, y - 1}, {x + lw, y + lh + 3}), black},
        {filledRect({x - 4, y - 2}, {x + lw - 4, y - 1}), text},
        {filledRect({x - 4, y + lh + 1}, {x + lw - 4, y + lh + 2}), text},
        {filledRect({x - 7, y - 2}, {x - 5, y + lh + 2}), text},
        {filledRect({x + lw - 3, y - 2}, {x + lw - 1, y + lh + 2}), text},
    };
}

QList<ColoredRect> videoBorder(QPoint anchor, QSize block, int margin)
{
    const int x = anchor.x();
    const int y = anchor.y();
    const int lw = block.width();
    const int lh = block.height();
    const int m = margin;
    const BorderSteps k = borderSteps(m);
    const auto black = BarColor::Black;
    const auto text = BarColor::Text;
    return {
        {filledRect({x - k.k3, y - k.k6}, {x + lw - k.k5, y}), black},
        {filledRect({x - k.k3, y + lh + k.k5}, {x + lw - k.k5, y + lh + k.k4}), black},
        {filledRect({x - k.k1, y - k.k6}, {x - k.k3, y + lh + k.k4}), black},
        {filledRect({x + lw - k.k5, y - k.k6}, {x + lw, y + lh + k.k4}), black},
        {filledRect({x - k.k2, y - k.k5}, {x + lw - k.k4, y - k.k6}), text},
        {filledRect({x - k.k2, y + lh + k.k6}, {x + lw - k.k4, y + lh + k.k5}), text},
        {filledRect({x - m, y - k.k5}, {x - k.k2, y + lh + k.k5}), text},
        {filledRect({x + lw - k.k4, y - k.k5}, {x + lw - k.k6, y + lh + k.k5}), text},
    };
}

} // namespace tavelon
