#pragma once

#include <QObject>

#include <QString>

#include <memory>
#include <optional>

#include "services/instancelock.h"
#include "video/compressors.h"

namespace tavelon {

class CompressionChooser;
class MainForm;
class MessageService;
class VideoWriter;
struct VideoRunResult;
enum class SoundtrackProblem;

// The UiText entry (its %1 the file) that says why an audio file cannot be a video's soundtrack;
// none when it can.
std::optional<int> soundtrackMessage(SoundtrackProblem problem);

// The line that tells how many frames of a run could not be read and were replaced, naming the
// first few of their files.
QString repeatedFramesText(const MainForm &form, const VideoRunResult &run);

// The make-video command: asks for the compression (container, compressor, fit; chooser stands in
// for the compression dialog), picks the output name (asking before an existing video is replaced),
// locks the clip and format choice while the writer runs and stores the clip's options in its
// Clip.ini. The writer writes a scratch file in the clips folder; a complete video replaces the old
// one only then, a video cut short (Stop, a write error) is kept under the next free name, and a
// file without a frame is removed. The old video is never touched until the new one is complete.
class VideoCommand : public QObject
{
    Q_OBJECT
public:
    VideoCommand(MainForm &form, MessageService &messages, VideoWriter &writer, CompressionChooser &chooser,
                 QObject *parent = nullptr);

    // Starts making the video; finished() follows when it is done (at once when nothing is
    // written).
    void Command1_Click(int index = 0);
    bool isRunning() const { return m_running; }

    VideoWriter &writer() { return m_writer; }

    // The path of the last video made, empty when none remains (the batch mode prints it).
    QString lastVideoPath() const { return m_lastVideo; }

    // The name for clip's video in clipsPath when the existing one is kept: clip_2, clip_3 … (the
    // first without a file of that name and extension).
    static QString nextFreeName(const QString &clipsPath, const QString &clip,
                                const QString &extension = QStringLiteral(".avi"));

signals:
    void started();
    void finished();
    // The writer runs (true) or has ended (false); the window shows the busy pointer meanwhile.
    void busyChanged(bool busy);
    // A video was written to its end, not aborted (the window plays the finish sound).
    void videoCompleted(const QString &path);
    // Frames of the video written could not be read and were replaced: text says how many and
    // names the first few files (the window shows it, the batch mode prints it on stderr).
    void framesRepeated(const QString &text);

private:
    // The steps of a run's start, in order; chooseCompression gives nothing when the run ends
    // there.
    bool lockClip();
    void beginRun();
    std::optional<CompressOptions> chooseCompression();
    void chooseVideoName(const QString &extension);
    bool makeScratchFile(const QString &extension);
    // After the writer's run (ran), or when nothing was written: stores the clip's options, puts
    // the video in its place and unlocks the controls.
    void finishRun(bool ran);
    // Moves the run's scratch file to where it belongs (over the old video when complete); the
    // path it went to, empty when it was removed.
    QString placeVideo(const VideoRunResult &run, bool complete);

    MainForm &m_form;
    MessageService &m_messages;
    VideoWriter &m_writer;
    CompressionChooser &m_chooser;
    QString m_lastVideo;
    QString m_clip;
    QString m_videoPath;   // where the video goes
    QString m_scratchPath; // where the writer writes it
    std::unique_ptr<InstanceLock> m_clipLock;
    bool m_running = false;
};

} // namespace tavelon
