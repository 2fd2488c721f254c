#pragma once

#include <QList>
#include <QObject>

#include <array>
#include <future>
#include <memory>
#include <optional>

#include "image/frameloader.h"

namespace tavelon {

class MainForm;

// The preview: turns the slider position into a shown frame, and the four step buttons and the
// speed display. slPre_Change is the one place that loads a frame into picTemp.
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

    // Loads a frame file into img, reduced where it is at least twice cover (see FrameLoader);
    // false (img untouched) when it is missing or cannot be decoded. frameSize receives the
    // frame's own size. A file read ahead is used only when it is unchanged at its turn.
    bool loadFrame(const QString &path, QImage &img, QSize cover, QSize &frameSize);
    // What the shown frame is shrunk to: the video frame while a video is written, the preview
    // otherwise.
    QSize decodeCover() const;
    // Starts reading and decoding the files of the first kReadAhead of indexes, each on a thread of
    // its own, for loadFrame() calls that follow (the video writer reads the next frames while it
    // composes the current one). Read-aheads of frames no longer listed are dropped.
    static constexpr int kReadAhead = 3;
    void prefetch(const QList<int> &indexes);

    // Inner size of the preview picture plus three pixels each way: the frame always fills it.
    static QSize stretchSize();

signals:
    // A frame has been drawn into the preview picture, without overlay (the overlay draws on it).
    void frameShown();

private:
    MainForm &m_form;
    std::unique_ptr<FrameLoader> m_loader;
    struct Prefetched
    {
        std::optional<FrameFile> file;
        QImage image;
        QSize frameSize;
        bool decoded = false;
    };
    // One read-ahead: its thread's own decoder (a loader serves one thread at a time), the frame
    // it reads and a picture buffer handed back and forth, so frames of one size allocate nothing.
    struct ReadAhead
    {
        std::unique_ptr<FrameLoader> loader = std::make_unique<FrameLoader>();
        QString path;
        QSize cover;
        std::future<Prefetched> job;
        QImage recycled;

        // Waits for the job; its picture moves to recycled and the slot is free afterwards.
        Prefetched finish();
    };
    std::array<ReadAhead, kReadAhead> m_ahead;
    // The frame loaded last; its picture shares the pixels handed out, so it costs no copy.
    struct Loaded
    {
        QString path;
        QSize cover;
        FileStamp stamp;
        QSize frameSize;
        QImage image;
    };
    Loaded m_last;
};

} // namespace tavelon
