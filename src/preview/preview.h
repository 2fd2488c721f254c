#pragma once

#include <QList>
#include <QObject>

#include <array>
#include <future>
#include <memory>
#include <optional>

#include "image/frameloader.h"
#include "image/yuvframe.h"
#include "video/planeshrinker.h"

namespace tavelon {

class MainForm;

// The preview: turns the slider position into a shown frame, and the four step buttons and the
// speed display. slPre_Change is the one place that loads a frame into sourceFrame.
class Preview : public QObject
{
    Q_OBJECT
public:
    explicit Preview(MainForm &form, QObject *parent = nullptr);
    ~Preview() override;

    void slPre_Change();
    void cmdFirst_Click();
    void cmdBack_Click();
    void cmdNext_Click();
    void cmdLast_Click();
    void scrlSpeed_Change();

    // What loadFrame() filled: nothing (the file is missing or cannot be decoded), the picture or
    // the planes.
    enum class Loaded { None, Image, Planes };
    // Loads a frame file into img, reduced where it is at least twice cover (see FrameLoader).
    // Given planes, a frame that FrameLoader::decodePlanes() takes for cover goes there instead.
    // What was not filled is untouched. frameSize receives the frame's own size. A file read ahead
    // is used only when it is unchanged at its turn.
    Loaded loadFrame(const QString &path, QImage &img, QSize cover, QSize &frameSize,
                     YuvFrame *planes = nullptr);
    // What the shown frame is shrunk to: the video frame while a video is written, the preview
    // otherwise.
    QSize decodeCover() const;
    // Starts reading and decoding the files of the first kReadAhead of indexes, each on a thread of
    // its own, for loadFrame() calls that follow (the video writer reads the next frames while it
    // composes the current one). Read-aheads of frames no longer listed are dropped.
    static constexpr int kReadAhead = 3;
    void prefetch(const QList<int> &indexes);

    // While a video is written: whether the writer takes frames as YCbCr planes of videoFrame's
    // size, for a video that stretches whole frames and codes 4:2:0. Set before the run starts.
    void setWritingPlanes(bool wanted);
    // Whether the frame loaded last while writing went to writtenPlanes() rather than sourceFrame.
    bool planesLatest() const { return m_planesLatest; }
    const YuvFrame &writtenPlanes() const { return m_planes; }

    // Inner size of the preview picture plus three pixels each way: the frame always fills it.
    static QSize stretchSize();

signals:
    // A frame has been drawn into the preview picture, without overlay (the overlay draws on it).
    void frameShown();

private:
    bool writesPlanes() const;
    static Loaded decodeInto(FrameLoader &loader, PlaneShrinker &shrinker, const QByteArray &bytes,
                             QImage &img, QSize cover, QSize &frameSize, YuvFrame *planes);

    MainForm &m_form;
    std::unique_ptr<FrameLoader> m_loader;
    std::unique_ptr<PlaneShrinker> m_shrinker = std::make_unique<PlaneShrinker>();
    struct Prefetched
    {
        std::optional<FrameFile> file;
        QImage image;
        YuvFrame planes;
        QSize frameSize;
        Loaded decoded = Loaded::None;
    };
    // One read-ahead: its thread's own decoder and shrinker (each serves one thread at a time), the frame
    // it reads and a picture buffer handed back and forth, so frames of one size allocate nothing.
    struct ReadAhead
    {
        std::unique_ptr<FrameLoader> loader = std::make_unique<FrameLoader>();
        std::unique_ptr<PlaneShrinker> shrinker = std::make_unique<PlaneShrinker>();
        QString path;
        QSize cover;
        bool planes = false;
        std::future<Prefetched> job;
        QImage recycled;
        YuvFrame recycledPlanes;

        // Waits for the job; its picture moves to recycled and the slot is free afterwards.
        Prefetched finish();
    };
    std::array<ReadAhead, kReadAhead> m_ahead;
    // The frame loaded last; its picture shares the pixels handed out, so it costs no copy.
    struct LastLoaded
    {
        QString path;
        QSize cover;
        FileStamp stamp;
        QSize frameSize;
        QImage image;
    };
    LastLoaded m_last;
    bool m_writingPlanes = false;
    bool m_planesLatest = false;
    YuvFrame m_planes;
};

} // namespace tavelon
