#include "making/videorun.h"

#include <QElapsedTimer>
#include <QTemporaryFile>

#include <algorithm>
#include <memory>

#include "image/bmpwriter.h"
#include "image/cdib.h"
#include "image/deflicker.h"
#include "image/framefit.h"
#include "image/framescaler.h"
#include "making/framesource.h"
#include "video/avifile.h"

namespace tavelon {

MessageAnswer RecordedMessages::show(const QString &title, const QString &text, MessageButtons buttons,
                                     MessageIcon icon, MessageAnswer defaultAnswer)
{
    messages.append({title, text, buttons, icon, defaultAnswer});
    return defaultAnswer;
}

namespace {

// The preview shows the frame being written at most this often, and the last one: no screen
// shows more, and drawing every frame of a fast run costs a tenth of its processor time.
constexpr qint64 kShowEveryMs = 40;

// One run: the file's handles, released in the order the exit path gives, the frame being
// composed and where it came from.
class VideoRun
{
public:
    VideoRun(const VideoJob &job, const VideoRunHooks &hooks)
        : m_job(job), m_hooks(hooks), m_overlay(job.overlay), m_source(playedFrames(job), job.frameSize)
    {}

    VideoRunResult run();

private:
    static QStringList playedFrames(const VideoJob &job);
    bool loadFirstFrame();
    void surveyBrightness();
    bool makeFormatFrame();
    bool openFile();
    bool createStream();
    void chooseFrameSamples();
    void writeFrames();
    bool writeFrame(int step);
    void loadFrame(int step);
    void composeFrame(ScaleThreads threads);
    void showFrame();
    void appendFrame(std::int64_t position);
    void closeFile();
    void noteRepeated(int step);
    void store(int code)
    {
        if (m_result.aviResult == 0)
            m_result.aviResult = code;
    }

    const VideoJob &m_job;
    const VideoRunHooks &m_hooks;
    VideoRunResult m_result;
    std::optional<VideoOverlay> m_overlay; // this run's own: it keeps the text measured
    RecordedMessages m_messages;
    FrameSource m_source;
    FrameLoader m_loader; // turns planes back into RGB
    std::unique_ptr<cDIB> m_cdib;
    AviFilePtr m_file;
    AviStreamPtr m_stream;
    AviStreamPtr m_compressed;
    QImage m_save;  // the frame at the video's size
    QImage m_frame; // the frame as loaded
    QSize m_frameSize;
    int m_frameIndex = -1; // the clip index of the frame in m_frame
    // Each clip frame's deflicker gain, by clip index; empty when deflicker is off.
    std::vector<double> m_gains;
    YuvFrame m_planes;
    bool m_inPlanes = false; // the frame loaded last went to m_planes
    bool m_planesWritten = false;
    int m_firstStep = -1; // the first readable frame's step
    QElapsedTimer m_shown;
};

QStringList VideoRun::playedFrames(const VideoJob &job)
{
    QStringList paths;
    for (const int i : job.order)
        paths.append(job.clipFrames.value(i));
    return paths;
}

VideoRunResult VideoRun::run()
{
    if (!loadFirstFrame()) {
        m_result.noReadableFrame = !m_result.cancelled;
    } else if (!makeFormatFrame()) {
        m_result.firstFrameFailed = true;
    } else {
        surveyBrightness();
        if (openFile() && createStream()) {
            chooseFrameSamples();
            writeFrames();
        }
    }
    closeFile();
    m_result.messages = m_messages.messages;
    m_result.lastFrame = m_save;
    return m_result;
}

// The first frame of the run that can be read; the frames before it take its picture.
bool VideoRun::loadFirstFrame()
{
    for (int step = 0; step < m_source.count(); ++step) {
        if (m_hooks.cancelled()) {
            m_result.cancelled = true;
            return false;
        }
        if (m_source.loadImage(step, m_frame, m_frameSize)) {
            m_firstStep = step;
            m_frameIndex = m_job.order.at(step);
            return true;
        }
    }
    return false;
}

// The format frame: the first readable frame at the video's size, without overlay, through the
// scratch bitmap into the cDIB, which then holds the stream's format.
bool VideoRun::makeFormatFrame()
{
    const QSize size = m_job.frameSize;
    if (size.isEmpty())
        return false;
    m_save = QImage(size, QImage::Format_RGB32);
    if (m_save.isNull())
        return false;
    m_save.fill(Qt::black);
    composeFrame(ScaleThreads::Auto);
    m_cdib = std::make_unique<cDIB>(m_messages, m_job.appTitle);
    // One file per run, so that copies writing other clips of the program folder at the same time
    // each have their own; removed when it goes out of scope.
    QTemporaryFile temp(m_job.tempFolder + QStringLiteral("temp-XXXXXX.bmp"));
    if (!temp.open())
        return false;
    const QString path = temp.fileName();
    return writeBmp24(m_save, path) && m_cdib->CreateFromFile(path);
}

// Deflicker needs the frames around each one: their brightness from reduced decodes, in the clip's
// order, before the first frame is written.
void VideoRun::surveyBrightness()
{
    if (m_job.options.deflicker >= 2)
        m_gains = deflickerGains(tavelon::surveyBrightness(m_job.clipFrames), m_job.options.deflicker);
}

// An existing video of this name is emptied only now, when there is a frame to write.
bool VideoRun::openFile()
{
    store(aviFileOpen(m_file, m_job.fileName, m_job.options.container));
    m_result.created = m_result.aviResult == 0;
    if (m_result.created && !m_job.options.audio.isEmpty())
        store(aviFileSetSoundtrack(m_file.get(), m_job.options.audio, m_source.count()));
    return m_result.aviResult == 0;
}

bool VideoRun::createStream()
{
    AviStreamInfo info;
    info.fccType = kStreamTypeVideo;
    info.fccHandler = 0;
    info.scale = 1;
    info.rate = std::uint32_t(std::clamp(m_job.frameRate, 1, 30));
    info.suggestedBufferSize = std::uint32_t(m_cdib->SizeImage());
    info.frame = AviRect{0, 0, m_cdib->Width(), m_cdib->Height()};
    store(aviFileCreateStream(m_file.get(), m_stream, info));
    if (m_result.aviResult == 0)
        store(aviMakeCompressedStream(m_compressed, m_stream.get(), m_job.options));
    if (m_result.aviResult == 0)
        store(aviStreamSetFormat(m_compressed.get(), 0, m_cdib->PointerToBitmapInfo(),
                                 m_cdib->SizeBitmapInfo()));
    return m_result.aviResult == 0;
}

// JPEG frames stretched whole into a video coded as 4:2:0 go to the encoder as their own YCbCr
// samples, shrunk, without a round trip through RGB. Frames that get the overlay are drawn on in
// RGB, and so are frames whose brightness is evened out.
void VideoRun::chooseFrameSamples()
{
    m_planesWritten = m_job.options.fit == Fit::Stretch && !m_job.overlay && m_gains.empty() &&
                      aviStreamTakesYuv(m_compressed.get());
    m_source.readAheadFrom(m_firstStep + 1, m_planesWritten);
    m_result.framesStarted = true;
    m_hooks.framesStarting();
}

void VideoRun::writeFrames()
{
    for (int step = 0; step < m_source.count(); ++step) {
        if (!writeFrame(step))
            return;
    }
}

// One frame: load, compose, draw the overlay, show now and then, append.
bool VideoRun::writeFrame(int step)
{
    if (m_hooks.cancelled()) {
        m_result.cancelled = true;
        return false;
    }
    if (step > m_firstStep)
        loadFrame(step);
    else if (step < m_firstStep)
        noteRepeated(step);
    const int total = m_source.count();
    const bool show = !m_shown.isValid() || m_shown.elapsed() >= kShowEveryMs || step + 1 >= total;
    // Composing is single-threaded: the read-ahead decodes and the encoder keep the other core busy.
    if (!m_inPlanes) {
        composeFrame(ScaleThreads::Single);
        // Scaled at the video's size, which costs less than at the frame's; before the text box.
        if (std::size_t(m_frameIndex) < m_gains.size())
            applyGain(m_save, m_gains[std::size_t(m_frameIndex)]);
    } else if (m_job.overlay || show)
        m_loader.toImage(m_planes, m_save);
    if (m_overlay)
        m_overlay->draw(m_save);
    if (show)
        showFrame();
    appendFrame(step);
    m_hooks.progress(++m_result.written, total);
    return m_result.aviResult == 0;
}

// A frame that cannot be read leaves the previous one in place, to be written again.
void VideoRun::loadFrame(int step)
{
    QSize frameSize;
    const FrameSource::Loaded loaded = m_source.load(step, m_frame, m_planes, frameSize);
    if (loaded == FrameSource::Loaded::None) {
        noteRepeated(step);
        return;
    }
    m_inPlanes = loaded == FrameSource::Loaded::Planes;
    m_frameSize = frameSize;
    m_frameIndex = m_job.order.at(step);
}

void VideoRun::noteRepeated(int step)
{
    ++m_result.repeated;
    const QString name = m_source.path(step).section(QLatin1Char('/'), -1);
    if (m_result.repeatedFiles.size() < kNamedRepeatedFiles && !m_result.repeatedFiles.contains(name))
        m_result.repeatedFiles.append(name);
}

// The frame scaled into the video frame as the fit says.
void VideoRun::composeFrame(ScaleThreads threads)
{
    fitInto(m_frame, m_frameSize, m_save, m_job.options.fit, threads);
}

// The preview's copy is stretched like the frame display: three pixels beyond the preview's size.
void VideoRun::showFrame()
{
    QImage shown(m_job.previewSize, QImage::Format_RGB32);
    if (!shown.isNull()) {
        stretchInto(m_save, shown, shown.width() + 3, shown.height() + 3, ScaleThreads::Single);
        m_hooks.show(shown);
    }
    m_shown.start();
}

void VideoRun::appendFrame(std::int64_t position)
{
    if (m_inPlanes && !m_job.overlay) {
        store(aviStreamWriteYuv(m_compressed.get(), position, m_planes, kAviKeyFrame));
    } else {
        // The cDIB holds the format frame's bitmap, of the video's size, so each frame only replaces
        // its pixels: the bytes the scratch bitmap's round trip would give, without the file.
        m_cdib->setBitsFrom(m_save);
        store(aviStreamWrite(m_compressed.get(), position, 1, m_cdib->PointerToBits(), m_cdib->SizeImage(),
                             kAviKeyFrame));
    }
    if (m_result.aviResult == 0)
        ++m_result.appended;
}

void VideoRun::closeFile()
{
    m_cdib.reset();
    if (m_stream)
        store(aviStreamRelease(m_stream));
    if (m_compressed)
        store(aviStreamRelease(m_compressed));
    if (m_file)
        store(aviFileRelease(m_file));
}

} // namespace

VideoRunResult writeVideo(const VideoJob &job, const VideoRunHooks &hooks)
{
    return VideoRun(job, hooks).run();
}

} // namespace tavelon
