#include "overlay/overlay.h"

#include <QImage>

#include "form/mainform.h"
#include "overlay/labelsize.h"
#include "overlay/overlaylayout.h"
#include "overlay/videooverlay.h"
#include "image/framescaler.h"
#include "preview/preview.h"
#include "form/videoboxes.h"

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

} // namespace

Overlay::Overlay(MainForm &form) : m_form(form) {}

void Overlay::SetLabelSize()
{
    // A height box without a positive number: the video keeps its previous picture, and so the text
    // its size in it.
    setLabelSize(videoBoxValue(VideoBox::Height, m_form.heightBox.text())
                     .value_or(m_form.videoFrame.image().height()));
}

void Overlay::setLabelSize(int videoHeight)
{
    const QStringList sizes = m_form.uiTexts(kUiSmall, kUiHuge);
    if (const std::optional<int> p = previewPointSize(m_form.overlaySize.text(), sizes))
        setPoints(m_form.previewTextLabel, *p);
    m_form.videoTextLabel.setCaption(paddedOverlayText(m_form.overlayText.text()));

    const VideoTextScale video =
        videoTextScale(m_form.formatBox.text(), pointsOf(m_form.previewTextLabel), videoHeight);
    setPoints(m_form.videoTextLabel, video.points);
    m_form.state.OverlayMargin = video.margin;
    m_form.state.OverlayShadow = video.shadow;

    if (!overlayFontsAvailable())
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
    const OverlayStyle s = style();
    const QSize outer(MainForm::kPreviewOuterWidth, MainForm::kPreviewOuterHeight);
    const QPoint anchor = previewAnchor(s.corner, outer, m_preview.size(), s.box || s.border);
    paintOverlay(pre, s, m_preview, anchor,
                 s.border ? previewBorder(anchor, m_preview.size()) : QList<ColoredRect>(), 1);
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
    m_videoOverlay.setStyle(style(), m_family);
    m_videoOverlay.draw(frame);
    m_form.videoFrame.refresh();
}

OverlayStyle Overlay::style() const
{
    const ClipOptions options = m_form.options();
    OverlayStyle s;
    s.box = options.overlay.box;
    s.border = options.overlay.border;
    s.text = options.overlay.text;
    s.corner = corner();
    s.previewPoints = pointsOf(m_form.previewTextLabel);
    s.textColor = options.overlay.textColor;
    s.boxColor = options.overlay.boxColor;
    s.format = options.format;
    return s;
}

OverlayCorner Overlay::corner() const
{
    return overlayCorner(m_form.overlayCorner.text(), m_form.uiTexts(kUiTopLeft, kUiBottomRight));
}

} // namespace tavelon
