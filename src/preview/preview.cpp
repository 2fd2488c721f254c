#include "preview/preview.h"

#include <QImage>

#include "form/mainform.h"
#include "image/frameloader.h"
#include "image/framefit.h"
#include "image/framescaler.h"
#include "services/numbertext.h"

namespace tavelon {

Preview::Preview(MainForm &form, QObject *parent)
    : QObject(parent), m_form(form), m_loader(std::make_unique<FrameLoader>())
{
    connect(&form.frameSlider, &ScrollBar::changed, this, &Preview::slPre_Change);
    connect(&form.firstButton, &CommandButton::clicked, this, &Preview::cmdFirst_Click);
    connect(&form.backButton, &CommandButton::clicked, this, &Preview::cmdBack_Click);
    connect(&form.nextButton, &CommandButton::clicked, this, &Preview::cmdNext_Click);
    connect(&form.lastButton, &CommandButton::clicked, this, &Preview::cmdLast_Click);
    connect(&form.speedBar, &ScrollBar::changed, this, &Preview::scrlSpeed_Change);
}

Preview::~Preview()
{
    for (ReadAhead &slot : m_ahead) {
        if (slot.job.valid())
            slot.job.wait();
    }
}

QSize Preview::stretchSize()
{
    return {MainForm::kPreviewInnerWidth + 3, MainForm::kPreviewInnerHeight + 3};
}

QSize Preview::decodeCover() const
{
    return m_form.state.MakingVideo ? m_form.videoFrame.image().size() : stretchSize();
}

Preview::Prefetched Preview::ReadAhead::finish()
{
    Prefetched p = job.get();
    path.clear();
    recycled = std::move(p.image);
    recycledPlanes = std::move(p.planes);
    return p;
}

void Preview::prefetch(const QList<int> &indexes)
{
    QStringList wanted;
    for (int index : indexes.mid(0, kReadAhead)) {
        if (index >= 0 && index < m_form.frameFiles.count())
            wanted << m_form.state.ClipPath + m_form.frameFiles.item(index);
    }
    const QSize cover = decodeCover();
    const bool planes = writesPlanes();
    for (ReadAhead &slot : m_ahead) {
        if (slot.job.valid() && (!wanted.contains(slot.path) || slot.cover != cover || slot.planes != planes))
            slot.finish();
        wanted.removeOne(slot.path);
    }
    for (ReadAhead &slot : m_ahead) {
        if (wanted.isEmpty())
            break;
        if (slot.job.valid())
            continue;
        slot.path = wanted.takeFirst();
        slot.cover = cover;
        slot.planes = planes;
        slot.job =
            std::async(std::launch::async, [path = slot.path, cover, planes, image = std::move(slot.recycled),
                                            yuv = std::move(slot.recycledPlanes), loader = slot.loader.get(),
                                            shrinker = slot.shrinker.get()]() mutable {
                Prefetched p;
                p.file = FrameLoader::readFile(path);
                p.image = std::move(image);
                p.planes = std::move(yuv);
                if (p.file)
                    p.decoded = decodeInto(*loader, *shrinker, p.file->bytes, p.image, cover, p.frameSize,
                                           planes ? &p.planes : nullptr);
                return p;
            });
        slot.recycled = QImage();
    }
}

Preview::Loaded Preview::decodeInto(FrameLoader &loader, PlaneShrinker &shrinker, const QByteArray &bytes,
                                    QImage &img, QSize cover, QSize &frameSize, YuvFrame *planes)
{
    if (planes && shrinker.decode(loader, bytes, *planes, cover, &frameSize))
        return Loaded::Planes;
    return loader.decode(bytes, img, cover, &frameSize) ? Loaded::Image : Loaded::None;
}

Preview::Loaded Preview::loadFrame(const QString &path, QImage &img, QSize cover, QSize &frameSize,
                                   YuvFrame *planes)
{
    // Option changes redraw the preview by loading the shown frame again; while its file is
    // unchanged, the picture decoded last serves (a camera-size frame takes tens of ms to decode).
    if (!planes && !m_last.image.isNull() && m_last.path == path && m_last.cover == cover &&
        FrameLoader::isUnchanged(path, m_last.stamp)) {
        img = m_last.image;
        frameSize = m_last.frameSize;
        return Loaded::Image;
    }
    std::optional<FrameFile> file;
    Loaded decoded = Loaded::None;
    for (ReadAhead &slot : m_ahead) {
        if (!slot.job.valid() || slot.path != path || slot.cover != cover ||
            slot.planes != (planes != nullptr))
            continue;
        Prefetched p = slot.finish();
        // A file that changed or vanished since it was read ahead is taken as it is now.
        if (p.file && FrameLoader::isUnchanged(path, p.file->stamp)) {
            if (p.decoded == Loaded::None)
                return Loaded::None;
            if (p.decoded == Loaded::Planes)
                std::swap(*planes, slot.recycledPlanes);
            else
                std::swap(img, slot.recycled);
            frameSize = p.frameSize;
            file = std::move(p.file);
            decoded = p.decoded;
        }
        break;
    }
    if (decoded == Loaded::None) {
        file = FrameLoader::readFile(path);
        if (!file)
            return Loaded::None;
        decoded = decodeInto(*m_loader, *m_shrinker, file->bytes, img, cover, frameSize, planes);
    }
    if (decoded == Loaded::Image)
        m_last = {path, cover, file->stamp, frameSize, img};
    return decoded;
}

bool Preview::writesPlanes() const
{
    return m_form.state.MakingVideo && m_writingPlanes;
}

void Preview::setWritingPlanes(bool wanted)
{
    m_writingPlanes = wanted;
    m_planesLatest = false;
}

void Preview::slPre_Change()
{
    const int index = m_form.frameSlider.value();
    m_form.frameNumber.setCaption(QString::number(index + 1));
    m_form.state.CurrentFramePath = m_form.state.ClipPath + m_form.frameFiles.item(index);
    // A missing, locked or undecodable file leaves the previous picture.
    QSize frameSize;
    if (index < 0 || index >= m_form.frameFiles.count())
        return;
    const Loaded loaded = loadFrame(m_form.state.CurrentFramePath, m_form.sourceFrame.image(), decodeCover(),
                                    frameSize, writesPlanes() ? &m_planes : nullptr);
    if (loaded == Loaded::None)
        return;
    m_planesLatest = loaded == Loaded::Planes;
    m_form.sourceFrame.setFrameSize(frameSize);
    if (m_form.state.MakingVideo)
        return;
    // A frame that will be cropped is shown cropped, as the video will show it.
    const QSize video(integerValueOf(m_form.widthBox.text()).value_or(0),
                      integerValueOf(m_form.heightBox.text()).value_or(0));
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
