#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStringList>

namespace tavelon {

// Geometry of the text overlay as plain data: where the text block goes and which rectangles
// frame it. Nothing here draws; the painter fills what these functions return.

enum class OverlayCorner { TopLeft, TopRight, BottomLeft, BottomRight, None };

// The corner named by position: the first of entries (the four position texts, top left, top
// right, bottom left, bottom right) equal to it, None when no entry is equal.
OverlayCorner overlayCorner(const QString &position, const QStringList &entries);

// Top-left point of the text on the preview. frame is the preview's outer size, block the measured
// text block; framed adds the shift that makes room for a box or a border.
QPoint previewAnchor(OverlayCorner corner, QSize frame, QSize block, bool framed);

// The same in a video frame, with every distance derived from margin.
QPoint videoAnchor(OverlayCorner corner, QSize frame, QSize block, bool framed, int margin);

// The video border's distances k1 … k6: margin divided by 1.1, 1.3, 1.7, 2.3, 3.4 and 6, rounded
// down. Computed on exact fractions so that, for instance, 33 / 1.1 gives 30 and not 29.
struct BorderSteps
{
    int k1 = 0;
    int k2 = 0;
    int k3 = 0;
    int k4 = 0;
    int k5 = 0;
    int k6 = 0;
};
BorderSteps borderSteps(int margin);

// A filled rectangle given by two opposite corners in either order; both corners' rows and
// columns are part of it, so neighbouring border bars touch without gaps.
QRect filledRect(QPoint corner1, QPoint corner2);

// The filled box behind the text (same offsets on the preview and in video frames).
QRect boxRect(QPoint anchor, QSize block);

enum class BarColor { Black, Text };

struct ColoredRect
{
    QRect rect;
    BarColor color;

    bool operator==(const ColoredRect &) const = default;
};

// The eight bars of the border in drawing order: four black ones, then four in the text colour.
QList<ColoredRect> previewBorder(QPoint anchor, QSize block);
QList<ColoredRect> videoBorder(QPoint anchor, QSize block, int margin);

} // namespace tavelon
