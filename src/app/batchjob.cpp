#include "app/batchjob.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <unistd.h>

#include "app/commandline.h"
#include "clips/clipstatus.h"
#include "form/clipsettings.h"
#include "image/clipcheck.h"
#include "services/clipscan.h"
#include "services/fileservices.h"
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

namespace {

// The compressor's settings the options give; the container and the fit are the clip's, set later.
CompressOptions compressorSettings(const BatchOptions &options)
{
    CompressOptions compress;
    compress.quality = options.quality.value_or(compress.quality);
    compress.keyFrameEvery = options.keyframes.value_or(compress.keyFrameEvery);
    compress.dataRateKbps = options.datarate.value_or(compress.dataRateKbps);
    return compress;
}

// One batch run: the window's form and logic without a window, and the steps that make the clip's
// video through them. A step that ends the run gives its exit status.
class BatchJob
{
public:
    BatchJob(const ProgramFolder &where, const QString &language, const BatchOptions &options)
        : m_where(where), m_options(options), m_compress(compressorSettings(options)), m_chooser(m_compress),
          m_messages(options.overwrite ? MessageAnswer::Yes : MessageAnswer::No)
    {
        applyProgramFolder(m_form.state, where, language);
        m_logic = std::make_unique<FormLogic>(m_form, m_messages, m_chooser);
        FillLanguageList(m_form);
        m_messages.setWords(messageWords(m_form));
    }

    std::optional<int> refuseUnknownNames();
    std::optional<int> makeProgramFolder();
    std::optional<int> lockClip();
    std::optional<int> selectClip();
    std::optional<int> applyOptions();
    std::optional<int> chooseCompressor();
    void reportProgress();
    void makeVideo(QCoreApplication &app);
    int reportResult();

private:
    const ProgramFolder &m_where;
    const BatchOptions &m_options;
    CompressOptions m_compress;
    FixedCompressionChooser m_chooser;
    BatchMessages m_messages;
    MainForm m_form;
    ClipOptions m_clipOptions;
    std::unique_ptr<FormLogic> m_logic;
    std::unique_ptr<InstanceLock> m_lock;
    QElapsedTimer m_clock;
    bool m_terminal = false;
    QString m_repeated;
};

// Names that need no program folder are checked before anything else happens.
std::optional<int> BatchJob::refuseUnknownNames()
{
    const std::optional<QString> &format = m_options.format;
    if (format && std::none_of(formatPresets().begin(), formatPresets().end(),
                               [&](const FormatPreset &p) { return p.name == *format; }))
        return usageError(m_form, ShownText::CliUnknownFormat,
                          {*format, formatNames().join(QStringLiteral(", "))});
    if (m_options.compressor && !findCompressor(*m_options.compressor))
        return usageError(m_form, ShownText::CliUnknownCompressor, {*m_options.compressor});
    return std::nullopt;
}

std::optional<int> BatchJob::makeProgramFolder()
{
    if (!m_where.perUser || createProgramFolder(m_where.folder))
        return std::nullopt;
    m_messages.inform(m_form.state.AppTitle,
                      programFolderMessage(m_form.uiText(kUiProgramFolder), m_where.folder),
                      MessageIcon::Stop);
    return BatchFailed;
}

// Copies on different clips of one program folder run side by side; a clip is written by one copy
// at a time (its Clip.ini and its video).
std::optional<int> BatchJob::lockClip()
{
    m_lock = std::make_unique<InstanceLock>(m_where.folder, m_options.clip);
    if (m_lock->tryLock())
        return std::nullopt;
    printLine(stderr, usageErrorLine(m_form, {ShownText::CliLocked, {m_where.folder}}));
    return BatchLocked;
}

std::optional<int> BatchJob::selectClip()
{
    m_logic->clipList.InitMyself();
    const int clipIndex = int(m_form.clipList.items().indexOf(m_options.clip));
    if (clipIndex < 0)
        return usageError(m_form, ShownText::CliUnknownClip, {m_options.clip});
    m_form.clipList.setListIndex(clipIndex);
    return std::nullopt;
}

// The clip's stored options (selecting it loaded them) with the command line's over them, set on
// the form as the window's controls would hold them.
std::optional<int> BatchJob::applyOptions()
{
    m_clipOptions = withCommandLine(m_form.options(), m_options);
    m_form.apply(m_clipOptions);
    // Checked before anything is written, also when the clip's Clip.ini names it.
    const QString &audio = m_clipOptions.output.audio;
    if (audio.isEmpty())
        return std::nullopt;
    const std::optional<int> problem = soundtrackMessage(checkSoundtrack(audio));
    if (!problem)
        return std::nullopt;
    printLine(stderr, QStringLiteral("brimholt-tavelon: ") + m_form.uiText(*problem).arg(audio));
    return BatchUsage;
}

// MP4 takes only some compressors; without --compressor it gets the container's default.
std::optional<int> BatchJob::chooseCompressor()
{
    const VideoOutput &output = m_clipOptions.output;
    m_compress.codec = m_options.compressor.value_or(defaultCompressorId(output.container));
    m_compress.container = output.container;
    m_compress.fit = output.fit;
    m_compress.deflicker = output.deflicker;
    m_compress.audio = output.audio;
    const std::optional<CompressorInfo> compressor = findCompressor(m_compress.codec);
    if (!compressor)
        return usageError(m_form, ShownText::CliUnknownCompressor, {m_compress.codec});
    if (!fitsContainer(*compressor, m_compress.container))
        return containerRefused(m_form, *compressor, m_compress.container, m_options.container.has_value());
    m_chooser.setOptions(m_compress);
    return std::nullopt;
}

// The finish sound when asked for; a progress bar on stderr when it is a terminal; the note of
// replaced frames, printed when the run is over.
void BatchJob::reportProgress()
{
    if (m_options.beep) {
        QObject::connect(&m_logic->command, &VideoCommand::videoCompleted,
                         [] { PlayResourceSound(QStringLiteral("BEEP")); });
    }
    m_clock.start();
    m_terminal = isatty(fileno(stderr));
    if (m_terminal) {
        QObject::connect(&m_logic->writer, &VideoWriter::progress, [this](int i, int n) {
            const QString line =
                progressLine(shownText(m_form, ShownText::BatchProgress), i, n, m_clock.elapsed() / 1000.0);
            std::fprintf(stderr, "\r%s", line.toLocal8Bit().constData());
            std::fflush(stderr);
        });
    }
    QObject::connect(&m_logic->command, &VideoCommand::framesRepeated,
                     [this](const QString &text) { m_repeated = text; });
}

// The video is written on a worker thread; the one event loop runs until the command is done.
void BatchJob::makeVideo(QCoreApplication &app)
{
    QObject::connect(&m_logic->command, &VideoCommand::finished, &app, &QCoreApplication::quit);
    m_logic->command.Command1_Click(0);
    if (m_logic->command.isRunning())
        app.exec();
    if (m_terminal)
        std::fputc('\n', stderr);
    if (!m_repeated.isEmpty())
        printLine(stderr, m_repeated);
}

int BatchJob::reportResult()
{
    const QString video = m_logic->command.lastVideoPath();
    if (m_messages.failed() || video.isEmpty() || !QFileInfo(video).isFile())
        return BatchFailed;
    printLine(stdout, QFileInfo(video).absoluteFilePath());
    return BatchOk;
}

} // namespace

int runBatchJob(int argc, char **argv, const ProgramFolder &where, const QString &language,
                const BatchOptions &options)
{
    prepareWithoutDisplay();
    QGuiApplication app(argc, argv);
    BatchJob job(where, language, options);
    if (const std::optional<int> exit = job.refuseUnknownNames())
        return *exit;
    if (const std::optional<int> exit = job.makeProgramFolder())
        return *exit;
    if (const std::optional<int> exit = job.lockClip())
        return *exit;
    if (const std::optional<int> exit = job.selectClip())
        return *exit;
    if (const std::optional<int> exit = job.applyOptions())
        return *exit;
    if (const std::optional<int> exit = job.chooseCompressor())
        return *exit;
    job.reportProgress();
    job.makeVideo(app);
    return job.reportResult();
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
    const ClipOptions stored = ClipSettings(clipPath).options(ClipOptions{});
    const ClipCheckResult result = checkClip(clipPath);
    for (const QString &line : clipCheckReport(result, form, stored.speed, stored.direction))
        printLine(stdout, line);
    return result.problems.isEmpty() && result.complete && hasReadableFrame(result) ? BatchOk : BatchFailed;
}

} // namespace tavelon
