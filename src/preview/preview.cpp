#include "preview/preview.h"

#include <QImage>

#include "form/mainform.h"
#include "image/frameloader.h"
#include "image/framefit.h"
#include "image/framescaler.h"
#include "form/videoboxes.h"

namespace tavelon {

Preview::Preview(MainForm &form, QObject *parent) : QObject(parent), m_form(form)
{
    connect(&form.frameSlider, &ScrollBar::changed, this, &Preview::slPre_Change);
    connect(&form.firstButton, &CommandButton::clicked, this, &Preview::cmdFirst_Click);
    connect(&form.backButton, &CommandButton::clicked, this, &Preview::cmdBack_Click);
    connect(&form.nextButton, &CommandButton::clicked, this, &Preview::cmdNext_Click);
    connect(&form.lastButton, &CommandButton::clicked, this, &Preview::cmdLast_Click);
    connect(&form.speedBar, &ScrollBar::changed, this, &Preview::scrlSpeed_Change);
    // A grown preview needs the shown frame decoded larger.
    connect(&form.previewPicture, &Picture::shownPixelsChanged, this, [this] {
        if (!m_form.state.MakingVideo && m_form.frameFiles.count() > 0)
            slPre_Change();
    });
}

QSize Preview::stretchSize()
{
    return {MainForm::kPreviewInnerWidth + 3, MainForm::kPreviewInnerHeight + 3};
}

QSize Preview::decodeCover() const
{
    return stretchSize().expandedTo(m_form.previewPicture.shownPixels());
}

bool Preview::loadFrame(const QString &path, QImage &img, QSize cover, QSize &frameSize)
{
    // Option changes redraw the preview by loading the shown frame again; while its file is
    // unchanged, the picture decoded last serves (a camera-size frame takes tens of ms to decode).
    if (!m_last.image.isNull() && m_last.path == path && m_last.cover == cover &&
        FrameLoader::isUnchanged(path, m_last.stamp)) {
        img = m_last.image;
        frameSize = m_last.frameSize;
        return true;
    }
    const std::optional<FrameFile> file = FrameLoader::readFile(path);
    if (!file || !m_loader.decode(file->bytes, img, cover, &frameSize))
        return false;
    m_last = {path, cover, file->stamp, frameSize, img};
    return true;
}

void Preview::showWrittenFrame(const QImage &frame)
{
    m_form.previewPicture.image() = frame;
    m_form.previewPicture.refresh();
}

void Preview::slPre_Change()
{
    const int index = m_form.frameSlider.value();
    // Without frames there is no frame number to show.
    const bool shown = index >= 0 && index < m_form.frameFiles.count();
    m_form.frameNumber.setCaption(shown ? QString::number(index + 1) : QString());
    m_form.state.CurrentFramePath = m_form.state.ClipPath + m_form.frameFiles.item(index);
    // A missing, locked or undecodable file leaves the previous picture.
    QSize frameSize;
    if (index < 0 || index >= m_form.frameFiles.count())
        return;
    if (!loadFrame(m_form.state.CurrentFramePath, m_form.sourceFrame.image(), decodeCover(), frameSize))
        return;
    m_form.sourceFrame.setFrameSize(frameSize);
    if (m_form.state.MakingVideo)
        return;
    // A frame that will be cropped is shown cropped, as the video will show it.
    // A size box without a positive number keeps the previous picture's side, as the video does.
    const QSize video =
        videoBoxSize(m_form.widthBox.text(), m_form.heightBox.text(), m_form.videoFrame.image().size());
    const QSize s = stretchSize();
    stretchInto(shownPart(m_form.sourceFrame.image(), video, m_form.output.fit),
                m_form.previewPicture.image(), s.width(), s.height());
    m_form.previewPicture.refresh();
    emit frameShown();
}

void Preview::cmdFirst_Click()
{
    m_form.focusDummy();
    if (m_form.frameFiles.count() == 0)
        return;
    m_form.frameSlider.setValue(0);
}

void Preview::cmdBack_Click()
{
    m_form.focusDummy();
    if (m_form.frameFiles.count() == 0 || m_form.frameSlider.value() == 0)
        return;
    m_form.frameSlider.setValue(m_form.frameSlider.value() - 1);
}

void Preview::cmdNext_Click()
{
    m_form.focusDummy();
    const int n = m_form.frameFiles.count();
    if (n == 0 || m_form.frameSlider.value() == n - 1)
        return;
    m_form.frameSlider.setValue(m_form.frameSlider.value() + 1);
}

void Preview::cmdLast_Click()
{
    m_form.focusDummy();
    const int n = m_form.frameFiles.count();
    if (n == 0)
        return;
    m_form.frameSlider.setValue(n - 1);
}

void Preview::scrlSpeed_Change()
{
    m_form.speedValue.setCaption(QString::number(m_form.speedBar.value()));
}

} // namespace tavelon
