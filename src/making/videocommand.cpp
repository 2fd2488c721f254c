#include "making/videocommand.h"

#include <QFile>
#include <QFileInfo>

#include "services/fileservices.h"
#include "services/instancelock.h"
#include "form/mainform.h"
#include "services/messages.h"
#include "form/clipsettings.h"
#include "form/videoboxes.h"
#include "form/showntexts.h"
#include "form/uitext.h"
#include "making/videowriter.h"
#include "video/compressionchooser.h"
#include "video/soundtrack.h"

namespace tavelon {

VideoCommand::VideoCommand(MainForm &form, MessageService &messages, VideoWriter &writer,
                           CompressionChooser &chooser, QObject *parent)
    : QObject(parent), m_form(form), m_messages(messages), m_writer(writer), m_chooser(chooser)
{
    connect(&form.makeVideoButton, &CommandButton::clicked, this,
            [this] { Command1_Click(m_form.makeVideoButton.index()); });
    connect(&writer, &VideoWriter::finished, this, [this] { finishRun(true); });
}

QString repeatedFramesText(const MainForm &form, const VideoRunResult &run)
{
    QString files = run.repeatedFiles.join(QStringLiteral(", "));
    if (run.repeated > run.repeatedFiles.size())
        files += QStringLiteral(", …");
    return pluralForm(form.uiText(kUiFramesRepeated), run.repeated).arg(QString::number(run.repeated), files);
}

QString VideoCommand::nextFreeName(const QString &clipsPath, const QString &clip, const QString &extension)
{
    QString name;
    int n = 1;
    do {
        ++n;
        name = clip + QLatin1Char('_') + QString::number(n);
    } while (QFileInfo::exists(clipsPath + name + extension));
    return name;
}

std::optional<int> soundtrackMessage(SoundtrackProblem problem)
{
    switch (problem) {
    case SoundtrackProblem::None:
        break;
    case SoundtrackProblem::NotLocalFile:
        return kUiSoundtrackNotLocal;
    case SoundtrackProblem::Unreadable:
        return kUiSoundtrackUnreadable;
    case SoundtrackProblem::NoAudio:
        return kUiSoundtrackNoAudio;
    }
    return std::nullopt;
}

void VideoCommand::Command1_Click(int index)
{
    m_form.playButton.setValue(0);
    // One video at a time: a second request while the writer runs is refused.
    if (index != 0 || m_running || !lockClip())
        return;
    beginRun();
    // A size box that does not hold a positive number keeps the previous picture's side.
    m_writer.setFrameSize(
        videoBoxSize(m_form.widthBox.text(), m_form.heightBox.text(), m_form.videoFrame.image().size()));
    const std::optional<CompressOptions> options = chooseCompression();
    if (!options) {
        finishRun(false);
        return;
    }
    const QString extension = fileExtension(options->container);
    chooseVideoName(extension);
    if (!makeScratchFile(extension)) {
        finishRun(false);
        return;
    }
    emit busyChanged(true);
    m_form.clipList.setEnabled(false);
    m_form.formatBox.setEnabled(false);
    m_writer.MakeVideoFile(m_scratchPath, m_form.speedBar.value(), *options);
}

// A clip is written by one copy at a time (its video, its Clip.ini); copies on other clips of the
// program folder run side by side. The lock is held until the run has ended.
bool VideoCommand::lockClip()
{
    const MainForm &f = m_form;
    auto clipLock = std::make_unique<InstanceLock>(f.state.AppPath, f.clipList.text());
    if (!clipLock->tryLock()) {
        m_messages.inform(f.state.AppTitle, f.uiText(kUiClipBusy), MessageIcon::Information);
        return false;
    }
    m_clipLock = std::move(clipLock);
    return true;
}

void VideoCommand::beginRun()
{
    MainForm &f = m_form;
    m_running = true;
    m_lastVideo.clear();
    f.state.MakingVideo = true;
    // A second video, a deleted frame or a playback started now would change what the writer
    // walks through; those controls wait until the video is done.
    f.makeVideoButton.setEnabled(false);
    f.deleteButton.setEnabled(false);
    f.playButton.setEnabled(false);
    emit started();
}

// The compression comes first: its container gives the file its extension, and a cancel leaves
// everything as it was. A soundtrack that cannot serve is named before any file is touched.
std::optional<CompressOptions> VideoCommand::chooseCompression()
{
    MainForm &f = m_form;
    CompressOptions options; // the compressor's settings start from the defaults on every run
    options.container = f.output.container;
    options.fit = f.output.fit;
    options.deflicker = f.output.deflicker;
    options.audio = f.output.audio;
    if (m_chooser.chooseCompression(options) != 1)
        return std::nullopt;
    f.output = {options.container, options.fit, options.deflicker, options.audio};
    if (!options.audio.isEmpty()) {
        if (const std::optional<int> problem = soundtrackMessage(checkSoundtrack(options.audio))) {
            m_messages.inform(f.state.AppTitle, f.uiText(*problem).arg(options.audio), MessageIcon::Warning);
            return std::nullopt;
        }
    }
    return options;
}

// The clip's name, or the next free one when an existing video of it is to be kept. An existing
// video that is to be replaced stays until the new one is complete.
void VideoCommand::chooseVideoName(const QString &extension)
{
    MainForm &f = m_form;
    m_clip = f.clipList.text();
    f.state.VideoName = m_clip;
    if (FileExists(f.state.ClipsPath + f.state.VideoName + extension)) {
        const QString question = f.uiText(kUiOverwriteQuestionStart) + QStringLiteral(" '") +
                                 f.state.VideoName + extension + QStringLiteral("' ") +
                                 f.uiText(kUiOverwriteQuestionEnd);
        const MessageAnswer answer = m_messages.show(f.state.AppTitle, question, MessageButtons::YesNo,
                                                     MessageIcon::Question, MessageAnswer::No);
        if (answer != MessageAnswer::Yes)
            f.state.VideoName = nextFreeName(f.state.ClipsPath, m_clip, extension);
    }
    m_videoPath = f.state.ClipsPath + f.state.VideoName + extension;
}

// The writer writes a scratch file beside the video, renamed when the run has ended.
bool VideoCommand::makeScratchFile(const QString &extension)
{
    const MainForm &f = m_form;
    m_scratchPath = createHiddenScratchFile(f.state.ClipsPath, f.state.VideoName, extension);
    if (m_scratchPath.isEmpty())
        m_messages.inform(f.state.AppTitle, f.uiText(kUiWriteFailed), MessageIcon::Information);
    return !m_scratchPath.isEmpty();
}

QString VideoCommand::placeVideo(const VideoRunResult &run, bool complete)
{
    if (complete && replaceFile(m_scratchPath, m_videoPath))
        return m_videoPath;
    // A video cut short plays (its file was closed properly), but does not replace a video. A file
    // that a full disk left empty holds no frame, whatever the writer handed to it.
    while (run.appended > 0 && QFileInfo(m_scratchPath).size() > 0) {
        const QString extension = QLatin1Char('.') + QFileInfo(m_videoPath).suffix();
        const QString kept =
            QFileInfo::exists(m_videoPath)
                ? m_form.state.ClipsPath + nextFreeName(m_form.state.ClipsPath, m_clip, extension) + extension
                : m_videoPath;
        // Renaming never replaces a file; one made meanwhile makes the next name the choice.
        if (QFile::rename(m_scratchPath, kept))
            return kept;
        if (!QFileInfo::exists(kept))
            break;
    }
    QFile::remove(m_scratchPath);
    return {};
}

void VideoCommand::finishRun(bool ran)
{
    if (!m_running)
        return;
    MainForm &f = m_form;
    ClipSettings settings(f.state.ClipPath);
    settings.writeFrom(f);

    const VideoRunResult &run = m_writer.lastRun();
    // Stop clicked while the window still showed the run counts, also when the last frame was
    // already written: the old video is kept.
    const bool complete = ran && run.completed() && !m_writer.wasAborted();
    m_lastVideo = ran ? placeVideo(run, complete) : QString();
    if (!m_lastVideo.isEmpty() && run.repeated > 0)
        emit framesRepeated(repeatedFramesText(f, run));
    if (!m_lastVideo.isEmpty() && complete)
        emit videoCompleted(m_lastVideo);

    if (ran)
        emit busyChanged(false);
    f.clipList.setEnabled(true);
    f.formatBox.setEnabled(true);
    f.makeVideoButton.setEnabled(true);
    f.playButton.setEnabled(true);
    f.deleteButton.setEnabled(f.playButton.value() == 0);
    f.state.MakingVideo = false;
    m_clipLock.reset();
    m_running = false;
    emit finished();
}

} // namespace tavelon
