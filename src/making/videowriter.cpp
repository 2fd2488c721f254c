#include "making/videowriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryFile>

#include <algorithm>

#include "form/mainform.h"
#include "form/playingdirection.h"
#include "services/messages.h"
#include "image/frameloader.h"
#include "image/framescaler.h"
#include "preview/preview.h"
#include "video/avifile.h"
#include "image/bmpwriter.h"
#include "image/cdib.h"
#include "overlay/overlay.h"
#include "image/deflicker.h"
#include "image/framefit.h"

namespace tavelon {

VideoWriter::VideoWriter(MainForm &form, MessageService &messages, Preview &preview, Overlay &overlay,
                         QObject *parent)
    : QObject(parent), m_form(form), m_messages(messages), m_preview(preview), m_overlay(overlay)
{}

VideoWriter::~VideoWriter() = default;

void VideoWriter::setFrameSize(std::optional<int> width, std::optional<int> height)
{
    QImage &img = m_form.videoFrame.image();
    const int w = width.value_or(img.width());
    const int h = height.value_or(img.height());
    if (w == img.width() && h == img.height() && !img.isNull())
        return;
    // A side below 1 leaves no picture to save: the writer then stops at the format frame.
    img = (w >= 1 && h >= 1) ? QImage(w, h, QImage::Format_RGB32) : QImage();
    if (!img.isNull())
        img.fill(Qt::black);
}

namespace {

constexpr qint64 kShowEveryMs = 40;

// The handles of one run, released in the order the exit path gives.
struct Run
{
    AviFilePtr file;
    AviStreamPtr source;
    AviStreamPtr compressed;
    int result = 0;

    void store(int code)
    {
        if (result == 0)
            result = code;
    }
};

} // namespace

bool VideoWriter::MakeVideoFile(const QString &fileName, int frameRate, const CompressOptions &options)
{
    MainForm &f = m_form;
    m_abort = false;
    Run run;
    auto cdib = std::make_unique<cDIB>(m_messages, f.state.AppTitle);
    // The format frame's bitmap file, one per run, so that copies writing other clips of the
    // program folder at the same time each have their own; removed when the run ends.
    QTemporaryFile temp(f.state.AppPath + QStringLiteral("temp-XXXXXX.bmp"));
    const QString tempFile = temp.open() ? temp.fileName() : QString();
    QImage &save = f.videoFrame.image();
    bool onTop = false;

    auto exitPath = [&] {
        m_preview.prefetch({}); // a run that ended early leaves no frames read ahead behind
        m_preview.setWritingPlanes(false);
        cdib.reset();
        if (run.source)
            run.store(aviStreamRelease(run.source));
        if (run.compressed)
            run.store(aviStreamRelease(run.compressed));
        if (run.file)
            run.store(aviFileRelease(run.file));
        if (onTop)
            emit writingChanged(false);
        if (run.result != 0)
            m_messages.inform(f.state.AppTitle, f.uiText(kUiWriteFailed), MessageIcon::Information);
    };

    // sourceFrame scaled into videoFrame as the fit says.
    auto compose = [&](ScaleThreads threads) {
        fitInto(f.sourceFrame.image(), f.sourceFrame.frameSize(), save, options.fit, threads);
    };

    // The order the frames are expected in, for reading ahead only: the passes below read the
    // direction and the frame count where the order gives them, and a frame read ahead that is
    // not asked for is dropped. When the slider already stands on the first frame, moving it
    // there loads nothing: sourceFrame holds that frame from the format frame, so reading starts with
    // the frame after it, while the format frame is decoded.
    const int n = f.frameFiles.count();
    const QList<int> plan = frameOrder(f.state.PlayDirection, n);
    // Deflicker needs the frames around each one: their brightness from reduced decodes first.
    std::vector<double> gains;
    if (options.deflicker >= 2) {
        QStringList paths;
        for (int i = 0; i < n; ++i)
            paths << f.state.ClipPath + f.frameFiles.item(i);
        gains = deflickerGains(surveyBrightness(paths), options.deflicker);
    }
    const int firstToRead = !plan.isEmpty() && f.frameSlider.value() == plan.first() ? 1 : 0;
    m_preview.prefetch(plan.mid(firstToRead, Preview::kReadAhead));

    // The format frame: the first frame of the first pass, without overlay.
    const QList<FramePass> passes = passOrder(f.state.PlayDirection);
    const int first = passes.isEmpty() ? -1 : passes.first().first(n);
    FrameLoader loader; // the format frame's decoder, and the one that turns planes back into RGB
    if (first >= 0) {
        QSize frameSize;
        if (loader.load(f.state.ClipPath + f.frameFiles.item(first), f.sourceFrame.image(), save.size(),
                        &frameSize))
            f.sourceFrame.setFrameSize(frameSize);
    }
    compose(ScaleThreads::Auto);
    // The format frame goes through the bitmap file into the cDIB, which then holds the stream's
    // format.
    if (save.isNull() || tempFile.isEmpty() || !writeBmp24(save, tempFile) ||
        !cdib->CreateFromFile(tempFile)) {
        m_messages.inform(f.state.AppTitle, f.uiText(kUiFramesNotLoaded), MessageIcon::Warning);
        exitPath();
        return false;
    }

    // An existing video of this name is emptied only now, when there is a frame to write.
    run.store(aviFileOpen(run.file, fileName, options.container));
    if (run.result == 0 && !options.audio.isEmpty())
        run.store(aviFileSetSoundtrack(run.file.get(), options.audio, plan.size()));
    if (run.result != 0) {
        exitPath();
        return false;
    }

    AviStreamInfo info;
    info.fccType = kStreamTypeVideo;
    info.fccHandler = 0;
    info.scale = 1;
    info.rate = std::uint32_t(std::clamp(frameRate, 1, 30));
    info.suggestedBufferSize = std::uint32_t(cdib->SizeImage());
    info.frame = AviRect{0, 0, cdib->Width(), cdib->Height()};
    run.store(aviFileCreateStream(run.file.get(), run.source, info));
    if (run.result == 0)
        run.store(aviMakeCompressedStream(run.compressed, run.source.get(), options));
    if (run.result == 0)
        run.store(
            aviStreamSetFormat(run.compressed.get(), 0, cdib->PointerToBitmapInfo(), cdib->SizeBitmapInfo()));
    if (run.result != 0) {
        exitPath();
        return true;
    }
    onTop = true;
    emit writingChanged(true);
    // JPEG frames stretched whole into a video coded as 4:2:0 go to the encoder as their own YCbCr
    // samples, shrunk, without a round trip through RGB. Frames that get the overlay are drawn on
    // in RGB, as before.
    const bool yuvFrames = options.fit == Fit::Stretch && f.showOverlay.value() != 1 && gains.empty() &&
                           aviStreamTakesYuv(run.compressed.get());
    m_preview.setWritingPlanes(yuvFrames);

    const int total = int(plan.size());
    int written = 0;
    const QSize preview = Preview::stretchSize();
    // The preview shows the frame being written at most every kShowEveryMs, and the last one: no
    // screen shows more, and drawing every frame of a fast run costs a tenth of its processor time.
    QElapsedTimer shown;
    // One frame: load (through the slider), compose, show, pack into the cDIB, append. Window events run
    // after the frame is composed, so a slider moved by the user cannot change what is written.
    auto writeFrame = [&](int i, std::int64_t position) -> bool {
        if (m_abort)
            return false;
        f.frameSlider.setValue(i);
        m_preview.prefetch(plan.mid(written + 1, Preview::kReadAhead));
        // videoFrame holds the frame to show, and to write unless its planes go as they are. Composing
        // is single-threaded: the read-ahead decodes and the encoder keep the other core busy.
        const bool inPlanes = m_preview.planesLatest();
        const bool overlay = f.showOverlay.value() == 1;
        const bool show = !shown.isValid() || shown.elapsed() >= kShowEveryMs || written + 1 >= total;
        if (!inPlanes) {
            compose(ScaleThreads::Single);
            // Scaled at the video's size, which costs less than at the frame's; before the text box.
            if (std::size_t(i) < gains.size())
                applyGain(save, gains[std::size_t(i)]);
        } else if (overlay || show)
            loader.toImage(m_preview.writtenPlanes(), save);
        if (overlay)
            m_overlay.PrintCopyrightAVI();
        if (show) {
            stretchInto(save, f.previewPicture.image(), preview.width(), preview.height(),
                        ScaleThreads::Single);
            f.previewPicture.refresh();
            shown.start();
        }
        if (inPlanes && !overlay) {
            run.store(
                aviStreamWriteYuv(run.compressed.get(), position, m_preview.writtenPlanes(), kAviKeyFrame));
        } else {
            // The cDIB holds the format frame's bitmap, of videoFrame's size, so each frame only
            // replaces its pixels: the bytes the bitmap file's round trip would give, without the file.
            cdib->setBitsFrom(save);
            run.store(aviStreamWrite(run.compressed.get(), position, 1, cdib->PointerToBits(),
                                     cdib->SizeImage(), kAviKeyFrame));
        }
        emit progress(++written, std::max(total, written));
        QCoreApplication::processEvents();
        return run.result == 0 && !m_abort;
    };

    // The sample position counts on over the passes of the run.
    std::int64_t position = 0;
    runPasses([&f] { return f.state.PlayDirection; }, [&f] { return f.frameFiles.count(); },
              [&](int i) { return writeFrame(i, position++); });
    exitPath();
    return true;
}

} // namespace tavelon
