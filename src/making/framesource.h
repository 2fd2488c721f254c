#pragma once

#include <QFuture>
#include <QImage>
#include <QStringList>
#include <QThreadPool>

#include <array>
#include <optional>

#include "image/frameloader.h"
#include "image/yuvframe.h"
#include "video/planeshrinker.h"

namespace tavelon {

// The frames a video is written from: the frame files in the order of the run, each decoded for
// the video's frame size, while the next few are read and decoded ahead on a pool of their own.
// One object serves one run, on one thread.
class FrameSource
{
public:
    static constexpr int kReadAhead = 3;

    // paths: the frame files in the order they are written; cover: the video's frame size.
    FrameSource(QStringList paths, QSize cover);
    // Waits for the reads still running.
    ~FrameSource();
    FrameSource(const FrameSource &) = delete;
    FrameSource &operator=(const FrameSource &) = delete;

    int count() const { return int(m_paths.size()); }
    QString path(int step) const { return m_paths.at(step); }

    // Loads step into image (RGB32, reduced where it is at least twice cover), on this thread;
    // false, image untouched, when the file is missing or cannot be decoded.
    bool loadImage(int step, QImage &image, QSize &frameSize);

    // Starts reading ahead from step on. With planes, a frame that PlaneShrinker::decode() takes
    // for cover comes as YCbCr planes, any other as a picture.
    void readAheadFrom(int step, bool planes);

    // What load() filled: nothing (the file is missing or cannot be decoded), image or planes.
    enum class Loaded { None, Image, Planes };
    // Loads step, from its read-ahead when that file is unchanged since; what is not filled is
    // untouched. frameSize receives the frame's own size. Then reads the next steps ahead.
    Loaded load(int step, QImage &image, YuvFrame &planes, QSize &frameSize);

private:
    struct Decoded
    {
        std::optional<FrameFile> file;
        QImage image;
        YuvFrame planes;
        QSize frameSize;
        Loaded loaded = Loaded::None;
    };
    // One read-ahead: its own decoder and shrinker (each serves one thread at a time), the step it
    // reads and the buffers handed back and forth, so frames of one size allocate nothing.
    struct Slot
    {
        FrameLoader loader;
        PlaneShrinker shrinker;
        int step = -1;
        QFuture<Decoded> job;
        QImage spareImage;
        YuvFrame sparePlanes;
    };

    static Loaded decode(FrameLoader &loader, PlaneShrinker &shrinker, const QByteArray &bytes, QSize cover,
                         bool planes, QImage &image, YuvFrame &yuv, QSize &frameSize);
    void readAhead(int before);
    Loaded loadNow(int step, QImage &image, YuvFrame &planes, QSize &frameSize);

    QStringList m_paths;
    QSize m_cover;
    bool m_planes = false;
    int m_next = 0;
    FrameLoader m_loader;
    PlaneShrinker m_shrinker;
    std::array<Slot, kReadAhead> m_slots;
    // Last, so that it is gone (its threads done) before the slots they use.
    QThreadPool m_pool;
};

} // namespace tavelon
