#pragma once

#include <QObject>

#include <functional>

#include "making/videowriter.h"

namespace tavelon {

class MainForm;

// The make-video command: picks the output name (asking before an existing video is replaced),
// locks the clip and format choice while the writer runs, stores the clip's options in its
// Clip.ini, removes an empty result and plays the finish sound.
class VideoCommand : public QObject
{
    Q_OBJECT
public:
    explicit VideoCommand(MainForm &form, QObject *parent = nullptr);

    void Command1_Click(int index = 0);

    VideoWriter &writer() { return m_writer; }

    // The path of the last video made, empty when none remains (the batch mode prints it).
    QString lastVideoPath() const { return m_lastVideo; }

    // Plays the finish sound (the window's default; the batch mode turns it off unless asked).
    std::function<void()> beep;
    // Shows the busy pointer while the writer runs (set by the window).
    std::function<void(bool)> setBusy;

    // The name for clip's video in clipsPath when the existing one is kept: clip_2, clip_3 …
    static QString nextFreeName(const QString &clipsPath, const QString &clip);

signals:
    void started();
    void finished();

private:
    MainForm &m_form;
    VideoWriter m_writer;
    QString m_lastVideo;
    bool m_running = false;
};

} // namespace tavelon
