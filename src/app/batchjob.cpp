#include "app/batchjob.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>
#include <unistd.h>

#include "app/commandline.h"
#include "clips/clipstatus.h"
#include "form/clipsettings.h"
#include "image/clipcheck.h"
#include "services/clipscan.h"
#include "services/fileservices.h"
#include "services/numbertext.h"
#include "services/instancelock.h"
#include "form/mainform.h"
#include "services/stderrmessages.h"
#include "services/sound.h"
#include "clips/formatpresets.h"
#include "app/formlogic.h"
#include "form/showntexts.h"
#include "app/programfolder.h"
#include "form/uitext.h"
#include "video/compressionchooser.h"
#include "video/compressors.h"
#include "video/soundtrack.h"
#include "making/videocommand.h"

namespace tavelon {

namespace {

void printLine(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
}

// The batch modes need no display: the form draws into pictures only. Qt's own notes (a missing
// runtime folder, fonts) would mix into the one-line messages a script reads on stderr.
void prepareWithoutDisplay()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            printLine(stderr, text);
    });
}

int usageError(const MainForm &form, ShownText text, const QStringList &values)
{
    printLine(stderr, usageErrorLine(form, {text, values}));
    return BatchUsage;
}

QStringList formatNames()
{
    QStringList names;
    for (const FormatPreset &p : formatPresets())
        names << QLatin1Char('"') + p.name + QLatin1Char('"');
    return names;
}

// Writes every message to stderr and remembers whether any was an error report (an OK box).
class BatchMessages : public MessageService
{
public:
    explicit BatchMessages(MessageAnswer overwriteAnswer) : m_stderr(overwriteAnswer) {}
    MessageAnswer show(const QString &title, const QString &text, MessageButtons buttons, MessageIcon icon,
                       MessageAnswer defaultAnswer) override
    {
        if (buttons == MessageButtons::Ok)
            m_failed = true;
        return m_stderr.show(title, text, buttons, icon, defaultAnswer);
    }
    bool failed() const { return m_failed; }
    void setWords(const MessageWords &words) { m_stderr.setWords(words); }

private:
    StderrMessages m_stderr;
    bool m_failed = false;
};

// A compressor the container does not take. When the container is the clip's stored one, the user
// may not know it was chosen: the message names it and the container that takes the compressor.
int containerRefused(const MainForm &form, const CompressorInfo &compressor, Container container, bool given)
{
    const QString codec = compressor.id, name = containerName(container);
    for (Container other : {Container::Avi, Container::Mp4}) {
        if (!given && fitsContainer(compressor, other))
            return usageError(form, ShownText::CliStoredContainer, {codec, name, containerName(other)});
    }
    return usageError(form, ShownText::CliWrongContainer, {codec, name});
}

} // namespace

QString progressLine(const QString &pattern, int i, int n, double elapsedSeconds, int width)
{
    const double fraction = n > 0 ? std::min(1.0, double(i) / n) : 1.0;
    const int filled = int(fraction * width + 0.5);
    const double fps = elapsedSeconds > 0 ? i / elapsedSeconds : 0.0;
    const int left = fps > 0 ? int((n - i) / fps + 0.5) : 0;
    const QString bar = QString(filled, QLatin1Char('#')) + QString(width - filled, QLatin1Char('-'));
    const QString timeLeft = QStringLiteral("%1:%2").arg(left / 60).arg(left % 60, 2, 10, QLatin1Char('0'));
    return u'[' + bar + QStringLiteral("] ") +
           fillPlaceholders(pattern,
                            {QString::number(i), QString::number(n), QString::number(fps, 'f', 1), timeLeft});
}

int runBatchJob(int argc, char **argv, const ProgramFolder &where, const QString &language,
                const BatchOptions &options)
{
    prepareWithoutDisplay();
    QGuiApplication app(argc, argv);

    // The compressor's settings; the container and the fit are the clip's, set below.
    CompressOptions compress;
    if (options.quality)
        compress.quality = *options.quality;
    if (options.keyframes)
        compress.keyFrameEvery = *options.keyframes;
    if (options.datarate)
        compress.dataRateKbps = *options.datarate;
    FixedCompressionChooser chooser(compress);
    BatchMessages messages(options.overwrite ? MessageAnswer::Yes : MessageAnswer::No);

    MainForm form;
    applyProgramFolder(form.state, where, language);
    FormLogic logic(form, messages, chooser);
    FillLanguageList(form);
    messages.setWords(messageWords(form));
    // Names that need no program folder are checked before anything else happens.
    if (options.format && !std::any_of(formatPresets().begin(), formatPresets().end(),
                                       [&](const FormatPreset &p) { return p.name == *options.format; }))
        return usageError(form, ShownText::CliUnknownFormat,
                          {*options.format, formatNames().join(QStringLiteral(", "))});
    if (options.compressor && !findCompressor(*options.compressor))
        return usageError(form, ShownText::CliUnknownCompressor, {*options.compressor});
    if (where.perUser && !createProgramFolder(where.folder)) {
        messages.inform(form.state.AppTitle,
                        programFolderMessage(form.uiText(kUiProgramFolder), where.folder), MessageIcon::Stop);
        return BatchFailed;
    }

    // Copies on different clips of one program folder run side by side; a clip is written by one
    // copy at a time (its Clip.ini and its video).
    InstanceLock lock(where.folder, options.clip);
    if (!lock.tryLock()) {
        printLine(stderr, usageErrorLine(form, {ShownText::CliLocked, {where.folder}}));
        return BatchLocked;
    }

    logic.clipList.InitMyself();

    const int clipIndex = int(form.clipList.items().indexOf(options.clip));
    if (clipIndex < 0)
        return usageError(form, ShownText::CliUnknownClip, {options.clip});
    form.clipList.setListIndex(clipIndex);

    if (options.format)
        form.formatBox.setListIndex(int(form.formatBox.items().indexOf(*options.format)));
    if (options.fps)
        form.frameRateBox.setText(*options.fps);
    if (options.width)
        form.widthBox.setText(*options.width);
    if (options.height)
        form.heightBox.setText(*options.height);
    if (options.speed) {
        const int lo = std::min(form.speedBar.minimum(), form.speedBar.maximum());
        const int hi = std::max(form.speedBar.minimum(), form.speedBar.maximum());
        form.speedBar.setValue(std::clamp(*options.speed, lo, hi));
    }
    if (options.direction)
        form.directionBox.setListIndex(*options.direction);
    if (options.box)
        form.overlayBox.setValue(1);
    if (options.border)
        form.overlayBorder.setValue(1);
    if (options.text)
        form.overlayText.setText(*options.text);
    if (options.position)
        form.overlayCorner.setListIndex(*options.position);
    if (options.size)
        form.overlaySize.setListIndex(*options.size);
    if (options.color) {
        if (Picture *swatch = form.textColorSwatch(*options.color))
            swatch->click();
    }
    if (options.overlay)
        form.showOverlay.setValue(1);
    if (options.container)
        form.output.container = *options.container;
    if (options.fit)
        form.output.fit = *options.fit;
    if (options.deflicker)
        form.output.deflicker = *options.deflicker;
    if (options.audio) {
        // A relative path names a file from where the command runs; a URL stays as it is, refused below.
        const bool relativeFile = !options.audio->isEmpty() && !options.audio->contains(QLatin1Char(':')) &&
                                  QFileInfo(*options.audio).isRelative();
        form.output.audio = relativeFile ? QFileInfo(*options.audio).absoluteFilePath() : *options.audio;
    }
    // Checked before anything is written, also when the clip's Clip.ini names it.
    if (!form.output.audio.isEmpty()) {
        if (const std::optional<int> problem = soundtrackMessage(checkSoundtrack(form.output.audio))) {
            printLine(stderr,
                      QStringLiteral("brimholt-tavelon: ") + form.uiText(*problem).arg(form.output.audio));
            return BatchUsage;
        }
    }

    // MP4 takes only some compressors; without --compressor it gets H.264.
    const bool mp4 = form.output.container == Container::Mp4;
    compress.codec =
        options.compressor.value_or(mp4 ? QStringLiteral("h264") : QStringLiteral("uncompressed"));
    compress.container = form.output.container;
    compress.fit = form.output.fit;
    compress.deflicker = form.output.deflicker;
    compress.audio = form.output.audio;
    const std::optional<CompressorInfo> compressor = findCompressor(compress.codec);
    if (!compressor)
        return usageError(form, ShownText::CliUnknownCompressor, {compress.codec});
    if (!fitsContainer(*compressor, compress.container))
        return containerRefused(form, *compressor, compress.container, options.container.has_value());
    chooser.setOptions(compress);

    if (options.beep) {
        QObject::connect(&logic.command, &VideoCommand::videoCompleted,
                         [] { PlayResourceSound(QStringLiteral("BEEP")); });
    }

    QElapsedTimer clock;
    clock.start();
    const bool terminal = isatty(fileno(stderr));
    if (terminal) {
        QObject::connect(&logic.writer, &VideoWriter::progress, [&clock, &form](int i, int n) {
            const QString line =
                progressLine(shownText(form, ShownText::BatchProgress), i, n, clock.elapsed() / 1000.0);
            std::fprintf(stderr, "\r%s", line.toLocal8Bit().constData());
            std::fflush(stderr);
        });
    }
    QString repeated;
    QObject::connect(&logic.command, &VideoCommand::framesRepeated,
                     [&repeated](const QString &text) { repeated = text; });
    // The video is written on a worker thread; the one event loop runs until the command is done.
    QObject::connect(&logic.command, &VideoCommand::finished, &app, &QCoreApplication::quit);
    logic.command.Command1_Click(0);
    if (logic.command.isRunning())
        app.exec();
    if (terminal)
        std::fputc('\n', stderr);
    if (!repeated.isEmpty())
        printLine(stderr, repeated);

    const QString video = logic.command.lastVideoPath();
    if (messages.failed() || video.isEmpty() || !QFileInfo(video).isFile())
        return BatchFailed;
    printLine(stdout, QFileInfo(video).absoluteFilePath());
    return BatchOk;
}

int runClipCheck(int argc, char **argv, const ProgramFolder &where, const QString &language,
                 const QString &clip)
{
    prepareWithoutDisplay();
    QGuiApplication app(argc, argv);
    MainForm form;
    applyProgramFolder(form.state, where, language);
    FillLanguageList(form);
    if (!listClips(form.state.FramesPath).contains(clip))
        return usageError(form, ShownText::CliUnknownClip, {clip});

    const QString clipPath = form.state.FramesPath + clip + pathSeparator();
    const ClipSettings ini(clipPath);
    const int speed = integerValueOf(ini.read(ClipSettings::Speed, QStringLiteral("8"))).value_or(8);
    const PlayingDirection direction =
        directionFromCode(integerValueOf(ini.read(ClipSettings::Direction, QStringLiteral("0"))).value_or(0));
    const ClipCheckResult result = checkClip(clipPath);
    for (const QString &line : clipCheckReport(result, form, speed, direction))
        printLine(stdout, line);
    return result.problems.isEmpty() && result.complete && hasReadableFrame(result) ? BatchOk : BatchFailed;
}

} // namespace tavelon
