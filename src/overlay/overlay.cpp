#include "overlay/overlay.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "form/mainform.h"
#include "overlay/labelsize.h"
#include "overlay/overlaylayout.h"
#include "image/framescaler.h"
#include "preview/preview.h"
#include "services/numbertext.h"

namespace tavelon {

namespace {

constexpr int kDefaultPoints = 12;

int pointsOf(const Label &label)
{
    const int p = label.font().pointSize();
    return p > 0 ? p : kDefaultPoints;
}

void setPoints(Label &label, int points)
{
    if (label.font().pointSize() == points)
        return;
    QFont f = label.font();
    f.setPointSize(points);
    label.setFont(f);
}

QString padded(const QString &text)
{
    return QLatin1Char(' ') + text + QLatin1Char(' ');
}

// Fonts and painters need a QGuiApplication; without one (a console-only run) the sizes are still
// set, but nothing is measured or drawn.
bool fontsAvailable()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}

// Colours are plain 24-bit values; an alpha from elsewhere must not make the overlay see-through.
QColor opaque(const QColor &c)
{
    return QColor::fromRgb(c.rgb());
}

} // namespace

Overlay::Overlay(MainForm &form) : m_form(form) {}

void Overlay::SetLabelSize()
{
    setLabelSize(integerValueOf(m_form.heightBox.text()).value_or(0));
}

void Overlay::setLabelSize(int videoHeight)
{
    const QStringList sizes = m_form.uiTexts(kUiSmall, kUiHuge);
    if (const std::optional<int> p = previewPointSize(m_form.overlaySize.text(), sizes))
        setPoints(m_form.previewTextLabel, *p);
    m_form.videoTextLabel.setCaption(padded(m_form.overlayText.text()));

    const VideoTextScale video =
        videoTextScale(m_form.formatBox.text(), pointsOf(m_form.previewTextLabel), videoHeight);
    setPoints(m_form.videoTextLabel, video.points);
    m_form.state.OverlayMargin = video.margin;
    m_form.state.OverlayShadow = video.shadow;

    if (!fontsAvailable())
        return;
    if (m_family.isEmpty())
        m_family = overlayFontFamily();
    m_preview.update(m_family, pointsOf(m_form.previewTextLabel), m_form.previewTextLabel.caption());
    m_video.update(m_family, pointsOf(m_form.videoTextLabel), m_form.videoTextLabel.caption());
}

void Overlay::RevertPicPre()
{
    QImage &pre = m_form.previewPicture.image();
    if (pre.isNull())
        return;
    const QImage &frame = m_form.sourceFrame.image();
    if (frame.isNull())
        pre.fill(m_form.previewPicture.backColor());
    else
        stretchInto(frame, pre, Preview::stretchSize().width(), Preview::stretchSize().height());
    m_form.previewPicture.refresh();
}

void Overlay::PrintCopyright()
{
    SetLabelSize();
    QImage &pre = m_form.previewPicture.image();
    if (pre.isNull())
        return;
    const bool box = m_form.overlayBox.value() == 1;
    const bool border = m_form.overlayBorder.value() == 1;
    const QSize outer(MainForm::kPreviewOuterWidth, MainForm::kPreviewOuterHeight);
    const QPoint anchor = previewAnchor(corner(), outer, m_preview.size(), box || border);
    paint(pre, m_preview, anchor, border ? previewBorder(anchor, m_preview.size()) : QList<ColoredRect>(), 1);
    m_form.previewPicture.refresh();
}

void Overlay::PrintCopyrightAVI()
{
    QImage &frame = m_form.videoFrame.image();
    // The frame's own height, not the height box's text: the box stays editable while a video is
    // written, and the text must not change size inside frames whose size does not.
    if (frame.isNull()) {
        SetLabelSize();
        return;
    }
    setLabelSize(frame.height());
    const bool box = m_form.overlayBox.value() == 1;
    const bool border = m_form.overlayBorder.value() == 1;
    const int m = m_form.state.OverlayMargin;
    const QPoint anchor = videoAnchor(corner(), frame.size(), m_video.size(), box || border, m);
    paint(frame, m_video, anchor, border ? videoBorder(anchor, m_video.size(), m) : QList<ColoredRect>(),
          m_form.state.OverlayShadow);
    m_form.videoFrame.refresh();
}

OverlayCorner Overlay::corner() const
{
    return overlayCorner(m_form.overlayCorner.text(), m_form.uiTexts(kUiTopLeft, kUiBottomRight));
}

void Overlay::paint(QImage &image, const TextBlock &block, const QPoint &anchor,
                    const QList<ColoredRect> &bars, int shadow) const
{
    if (!fontsAvailable())
        return;
    QPainter p(&image);
    if (!p.isActive())
        return;
    const QColor textColor = opaque(m_form.previewTextLabel.foreColor());
    if (m_form.overlayBox.value() == 1)
        p.fillRect(boxRect(anchor, block.size()), opaque(m_form.videoTextLabel.backColor()));
    for (const ColoredRect &bar : bars)
        p.fillRect(bar.rect, bar.color == BarColor::Black ? QColor(Qt::black) : textColor);

    // The text's line top sits at the anchor: the baseline is one ascent below it.
    const QString text = m_form.overlayText.text();
    const QPoint baseline = anchor + QPoint(0, block.ascent());
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setFont(block.font());
    p.setPen(Qt::black);
    p.drawText(baseline + QPoint(shadow, shadow), text);
    p.setPen(textColor);
    p.drawText(baseline, text);
}

} // namespace tavelon
