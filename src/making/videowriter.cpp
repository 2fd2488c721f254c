#include "making/videowriter.h"

#include <QPromise>
#include <QtConcurrent/QtConcurrentRun>

#include "form/mainform.h"
#include "form/playingdirection.h"
#include "overlay/overlay.h"
#include "preview/preview.h"
#include "services/messages.h"

namespace tavelon {

VideoWriter::VideoWriter(MainForm &form, MessageService &messages, Preview &preview, Overlay &overlay,
                         QObject *parent)
    : QObject(parent), m_form(form), m_messages(messages), m_preview(preview), m_overlay(overlay)
{
    m_pool.setMaxThreadCount(1);
    // Stop ends a video being written as it ends a playback.
    connect(&form.stopButton, &CommandButton::clicked, this, &VideoWriter::requestAbort);
}

VideoWriter::~VideoWriter()
{
    m_run.cancel();
    m_pool.waitForDone();
}

void VideoWriter::setFrameSize(QSize size)
{
    QImage &img = m_form.videoFrame.image();
    const int w = size.width();
    const int h = size.height();
    if (size == img.size() && !img.isNull())
        return;
    // A side below 1 leaves no picture to save: the writer then stops at the format frame.
    img = (w >= 1 && h >= 1) ? QImage(w, h, QImage::Format_RGB32) : QImage();
    if (!img.isNull())
        img.fill(Qt::black);
}

VideoJob VideoWriter::jobFromForm(const QString &fileName, int frameRate, const CompressOptions &options)
{
    const MainForm &f = m_form;
    VideoJob job;
    job.fileName = fileName;
    job.frameRate = frameRate;
    job.options = options;
    for (int i = 0; i < f.frameFiles.count(); ++i)
        job.clipFrames.append(f.state.ClipPath + f.frameFiles.item(i));
    job.order = frameOrder(f.state.PlayDirection, f.frameFiles.count());
    job.frameSize = f.videoFrame.image().size();
    job.previewSize = f.previewPicture.image().size();
    if (f.showOverlay.value() == 1) {
        m_overlay.SetLabelSize(); // resolves the font family
        job.overlay.emplace();
        job.overlay->setStyle(m_overlay.style(), m_overlay.fontFamily());
    }
    job.tempFolder = f.state.AppPath;
    job.appTitle = f.state.AppTitle;
    return job;
}

void VideoWriter::post(quint64 run, std::function<void()> what)
{
    QMetaObject::invokeMethod(
        this,
        [this, run, what = std::move(what)] {
            if (m_running && run == m_runId)
                what();
        },
        Qt::QueuedConnection);
}

void VideoWriter::MakeVideoFile(const QString &fileName, int frameRate, const CompressOptions &options)
{
    m_aborted = false;
    m_running = true;
    const quint64 run = ++m_runId;
    m_run = QtConcurrent::run(
        &m_pool, [this, run, job = jobFromForm(fileName, frameRate, options)](QPromise<void> &promise) {
            VideoRunHooks hooks;
            hooks.cancelled = [&promise] { return promise.isCanceled(); };
            hooks.framesStarting = [this, run] { post(run, [this] { emit writingChanged(true); }); };
            hooks.progress = [this, run](int i, int n) { post(run, [this, i, n] { emit progress(i, n); }); };
            hooks.show = [this, run](const QImage &frame) {
                post(run, [this, frame] { m_preview.showWrittenFrame(frame); });
            };
            // Read on the window's thread only once this thread is done with it.
            m_last = writeVideo(job, hooks);
            post(run, [this, run] { runEnded(run); });
        });
}

void VideoWriter::requestAbort()
{
    if (!m_running)
        return;
    m_aborted = true;
    m_run.cancel();
}

void VideoWriter::finishNow()
{
    if (!m_running)
        return;
    requestAbort();
    // The run's end, queued for the event loop that is ending, is reported here instead.
    m_pool.waitForDone();
    runEnded(m_runId);
}

void VideoWriter::runEnded(quint64 run)
{
    if (!m_running || run != m_runId)
        return;
    m_running = false;
    if (!m_last.lastFrame.isNull())
        m_form.videoFrame.image() = m_last.lastFrame;
    report(m_last);
    emit finished();
}

// The messages of the run, in the order the run met them.
void VideoWriter::report(const VideoRunResult &result)
{
    for (const RecordedMessage &m : result.messages)
        m_messages.show(m.title, m.text, m.buttons, m.icon, m.defaultAnswer);
    const QString &title = m_form.state.AppTitle;
    if (result.noReadableFrame)
        m_messages.inform(title, m_form.uiText(kUiClipWithoutFrames).arg(m_form.clipList.text()),
                          MessageIcon::Warning);
    if (result.firstFrameFailed)
        m_messages.inform(title, m_form.uiText(kUiFramesNotLoaded), MessageIcon::Warning);
    if (result.framesStarted)
        emit writingChanged(false);
    if (result.aviResult != 0)
        m_messages.inform(title, m_form.uiText(kUiWriteFailed), MessageIcon::Information);
}

} // namespace tavelon
