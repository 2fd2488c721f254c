#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QString>

#include "overlay/overlaylayout.h"
#include "overlay/textblock.h"

namespace tavelon {

// The overlay's options as plain values, taken from the form on the window's thread, so that video
// frames can be drawn on any thread without the form.
struct OverlayStyle
{
    bool box = false;
    bool border = false;
    QString text;
    OverlayCorner corner = OverlayCorner::BottomRight;
    int previewPoints = 10; // the text size chosen, as the preview shows it
    QColor textColor = Qt::white;
    QColor boxColor = QColor(64, 64, 64);
    QString format; // the format's name: the disc formats size the text by it

    bool operator==(const OverlayStyle &) const = default;
};

// Draws the text box into video frames from a style. The text is measured again only when the
// style, the font or the frame height changes.
class VideoOverlay
{
public:
    // family: the resolved overlay font family (Overlay::fontFamily()).
    void setStyle(const OverlayStyle &style, const QString &family);
    // Draws into frame at its own size; nothing without fonts (no QGuiApplication).
    void draw(QImage &frame);

private:
    OverlayStyle m_style;
    QString m_family;
    TextBlock m_block;
};

// Paints a measured text block at anchor: the box (when style.box), the bars, the shadow, the text.
void paintOverlay(QImage &image, const OverlayStyle &style, const TextBlock &block, const QPoint &anchor,
                  const QList<ColoredRect> &bars, int shadow);

// The caption the text is measured with: one blank on either side.
QString paddedOverlayText(const QString &text);

// Whether fonts can be used (a QGuiApplication exists); without, sizes are set but nothing drawn.
bool overlayFontsAvailable();

} // namespace tavelon
