#pragma once

#include <QFuture>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <optional>

#include "making/videorun.h"
#include "video/compressors.h"

namespace tavelon {

class MainForm;
class MessageService;
class Overlay;
class Preview;

// Writes the selected clip as an AVI or MP4 file on a worker thread: takes what the run needs
// from the form when it starts (jobFromForm), then loads the frames in the chosen direction,
// fits each into the video's size as the options say, draws the overlay into it, packs it into a
// cDIB (the first frame through a bitmap file of the run's own, which also sets the stream's
// format) and appends the pixels to the stream as a key frame. The window stays responsive
// meanwhile; it is told the progress and, now and then, the frame written.
class VideoWriter : public QObject
{
    Q_OBJECT
public:
    // preview shows the frames written and overlay gives the text box of every frame when it is
    // switched on.
    VideoWriter(MainForm &form, MessageService &messages, Preview &preview, Overlay &overlay,
                QObject *parent = nullptr);
    // Cancels a run still going and waits for it; its file is closed properly.
    ~VideoWriter() override;

    // Makes videoFrame a black picture of size (see videoBoxSize()); a side below 1 leaves none.
    void setFrameSize(QSize size);

    // Everything a run reads from the form, as it stands now.
    VideoJob jobFromForm(const QString &fileName, int frameRate, const CompressOptions &options);

    // Starts writing fileName as options say (container, compressor, fit); finished() follows.
    // The file is created (or an existing one emptied) only once the first frame is ready to go
    // in.
    void MakeVideoFile(const QString &fileName, int frameRate, const CompressOptions &options = {});
    bool isRunning() const { return m_running; }
    const VideoRunResult &lastRun() const { return m_last; }

    // Ends a running write after the current frame; the file is closed properly so the frames
    // written so far play.
    void requestAbort();
    bool wasAborted() const { return m_aborted; }
    // Cancels a running write, waits for it and ends it now (finished() is raised before this
    // returns): the program is closing.
    void finishNow();

signals:
    // Frame i (1-based) of n has been written.
    void progress(int i, int n);
    // Frames are being written (true) or no longer (false); the window stays above all others
    // meanwhile.
    void writingChanged(bool writing);
    // The run has ended and told what went wrong; lastRun() says how.
    void finished();

private:
    // On the window's thread: what the run's thread tells, dropped when the run is over.
    void post(quint64 run, std::function<void()> what);
    void runEnded(quint64 run);
    void report(const VideoRunResult &result);

    MainForm &m_form;
    MessageService &m_messages;
    Preview &m_preview;
    Overlay &m_overlay;
    QThreadPool m_pool;
    QFuture<void> m_run;
    quint64 m_runId = 0;
    // Written by the run's thread, read here once the run has ended.
    VideoRunResult m_last;
    bool m_running = false;
    bool m_aborted = false;
};

} // namespace tavelon
