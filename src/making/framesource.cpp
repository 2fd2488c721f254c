#include "making/framesource.h"

#include <QtConcurrent/QtConcurrentRun>

#include <utility>

namespace tavelon {

FrameSource::FrameSource(QStringList paths, QSize cover) : m_paths(std::move(paths)), m_cover(cover)
{
    m_pool.setMaxThreadCount(kReadAhead);
}

FrameSource::~FrameSource()
{
    for (Slot &slot : m_slots) {
        if (slot.step >= 0)
            slot.job.waitForFinished();
    }
}

FrameSource::Loaded FrameSource::decode(FrameLoader &loader, PlaneShrinker &shrinker, const QByteArray &bytes,
                                        QSize cover, bool planes, QImage &image, YuvFrame &yuv,
                                        QSize &frameSize)
{
    if (planes && shrinker.decode(loader, bytes, yuv, cover, &frameSize))
        return Loaded::Planes;
    return loader.decode(bytes, image, cover, &frameSize) ? Loaded::Image : Loaded::None;
}

bool FrameSource::loadImage(int step, QImage &image, QSize &frameSize)
{
    return m_loader.load(path(step), image, m_cover, &frameSize);
}

void FrameSource::readAheadFrom(int step, bool planes)
{
    m_planes = planes;
    m_next = step;
    readAhead(step + kReadAhead);
}

void FrameSource::readAhead(int before)
{
    for (Slot &slot : m_slots) {
        if (m_next >= std::min(before, count()))
            return;
        if (slot.step >= 0)
            continue;
        slot.step = m_next++;
        slot.job = QtConcurrent::run(&m_pool, [&slot, path = path(slot.step), cover = m_cover,
                                               planes = m_planes, image = std::exchange(slot.spareImage, {}),
                                               yuv = std::exchange(slot.sparePlanes, {})]() mutable {
            Decoded d{FrameLoader::readFile(path), std::move(image), std::move(yuv), {}, Loaded::None};
            if (d.file)
                d.loaded = decode(slot.loader, slot.shrinker, d.file->bytes, cover, planes, d.image, d.planes,
                                  d.frameSize);
            return d;
        });
    }
}

FrameSource::Loaded FrameSource::loadNow(int step, QImage &image, YuvFrame &planes, QSize &frameSize)
{
    const std::optional<FrameFile> file = FrameLoader::readFile(path(step));
    if (!file)
        return Loaded::None;
    return decode(m_loader, m_shrinker, file->bytes, m_cover, m_planes, image, planes, frameSize);
}

FrameSource::Loaded FrameSource::load(int step, QImage &image, YuvFrame &planes, QSize &frameSize)
{
    Loaded loaded = Loaded::None;
    bool done = false;
    for (Slot &slot : m_slots) {
        if (slot.step != step)
            continue;
        Decoded d = slot.job.takeResult();
        slot.step = -1;
        // A file that changed or vanished since it was read ahead is taken as it is now.
        if (d.file && FrameLoader::isUnchanged(path(step), d.file->stamp)) {
            if (d.loaded == Loaded::Image)
                std::swap(image, d.image);
            else if (d.loaded == Loaded::Planes)
                std::swap(planes, d.planes);
            frameSize = d.loaded == Loaded::None ? frameSize : d.frameSize;
            loaded = d.loaded;
            done = true;
        }
        slot.spareImage = std::move(d.image);
        slot.sparePlanes = std::move(d.planes);
        break;
    }
    if (!done)
        loaded = loadNow(step, image, planes, frameSize);
    readAhead(step + 1 + kReadAhead);
    return loaded;
}

} // namespace tavelon
