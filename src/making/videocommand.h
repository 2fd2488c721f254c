#pragma once

#include <QObject>

#include <QString>

#include <optional>

namespace tavelon {

class CompressionChooser;
class MainForm;
class MessageService;
class VideoWriter;
enum class SoundtrackProblem;

// The UiText entry (its %1 the file) that says why an audio file cannot be a video's soundtrack;
// none when it can.
std::optional<int> soundtrackMessage(SoundtrackProblem problem);

// The make-video command: asks for the compression (container, compressor, fit; chooser stands in
// for the compression dialog), picks the output name (asking before an existing video is replaced),
// locks the clip and format choice while the writer runs, stores the clip's options in its
// Clip.ini and removes an empty result.
class VideoCommand : public QObject
{
    Q_OBJECT
public:
    VideoCommand(MainForm &form, MessageService &messages, VideoWriter &writer, CompressionChooser &chooser,
                 QObject *parent = nullptr);

    void Command1_Click(int index = 0);

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

private:
    MainForm &m_form;
    MessageService &m_messages;
    VideoWriter &m_writer;
    CompressionChooser &m_chooser;
    QString m_lastVideo;
    bool m_running = false;
};

} // namespace tavelon
