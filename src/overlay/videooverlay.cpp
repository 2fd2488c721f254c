#include "overlay/videooverlay.h"

#include <QGuiApplication>
#include <QPainter>

#include "overlay/labelsize.h"

namespace tavelon {

namespace {

// Colours are plain 24-bit values; an alpha from elsewhere must not make the overlay see-through.
QColor opaque(const QColor &c)
{
    return QColor::fromRgb(c.rgb());
}

} // namespace

QString paddedOverlayText(const QString &text)
{
    return QLatin1Char(' ') + text + QLatin1Char(' ');
}

bool overlayFontsAvailable()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}

void VideoOverlay::setStyle(const OverlayStyle &style, const QString &family)
{
    m_style = style;
    m_family = family;
}

void VideoOverlay::draw(QImage &frame)
{
    if (frame.isNull() || !overlayFontsAvailable())
        return;
    const VideoTextScale scale = videoTextScale(m_style.format, m_style.previewPoints, frame.height());
    m_block.update(m_family, scale.points, paddedOverlayText(m_style.text));
    const bool framed = m_style.box || m_style.border;
    const QPoint anchor = videoAnchor(m_style.corner, frame.size(), m_block.size(), framed, scale.margin);
    paintOverlay(frame, m_style, m_block, anchor,
                 m_style.border ? videoBorder(anchor, m_block.size(), scale.margin) : QList<ColoredRect>(),
                 scale.shadow);
}

void paintOverlay(QImage &image, const OverlayStyle &style, const TextBlock &block, const QPoint &anchor,
                  const QList<ColoredRect> &bars, int shadow)
{
    if (!overlayFontsAvailable())
        return;
    QPainter p(&image);
    if (!p.isActive())
        return;
    const QColor textColor = opaque(style.textColor);
    if (style.box)
        p.fillRect(boxRect(anchor, block.size()), opaque(style.boxColor));
    for (const ColoredRect &bar : bars)
        p.fillRect(bar.rect, bar.color == BarColor::Black ? QColor(Qt::black) : textColor);

    // The text's line top sits at the anchor: the baseline is one ascent below it.
    const QPoint baseline = anchor + QPoint(0, block.ascent());
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setFont(block.font());
    p.setPen(Qt::black);
    p.drawText(baseline + QPoint(shadow, shadow), style.text);
    p.setPen(textColor);
    p.drawText(baseline, style.text);
}

} // namespace tavelon
