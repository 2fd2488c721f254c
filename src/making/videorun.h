#pragma once

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

#include "overlay/videooverlay.h"
#include "services/messages.h"
#include "video/compressors.h"

namespace tavelon {

// Everything one run of the video writer reads, taken from the form when the run starts: later
// changes to the form do not reach the frames being written.
struct VideoJob
{
    QString fileName;
    int frameRate = 0;
    CompressOptions options;
    QStringList clipFrames; // the clip's frame files in the clip's order
    QList<int> order;       // the clip frames' indexes in the order they are written
    QSize frameSize;        // the video's frame size; empty when the size boxes give none
    QSize previewSize;      // the size of the frames shown while writing
    std::optional<VideoOverlay> overlay;
    QString tempFolder; // where the scratch bitmap the first frame goes through is made
    QString appTitle;
};

// A message a run would have shown, kept to be shown on the window's thread when it has ended.
struct RecordedMessage
{
    QString title;
    QString text;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    MessageAnswer defaultAnswer = MessageAnswer::Ok;
};

// Records messages, answering each with its default.
class RecordedMessages : public MessageService
{
public:
    MessageAnswer show(const QString &title, const QString &text, MessageButtons buttons, MessageIcon icon,
                       MessageAnswer defaultAnswer) override;
    QList<RecordedMessage> messages;
};

// How a run ended.
struct VideoRunResult
{
    bool noReadableFrame = false;  // the clip has no frame that can be read: no file was made
    bool firstFrameFailed = false; // the first frame could not be made into a bitmap
    bool created = false;          // the file was created (or an existing one emptied)
    bool framesStarted = false;    // frames went to the file (the window stays on top meanwhile)
    bool cancelled = false;
    int aviResult = 0;         // the first failed file call's result, 0 when none failed
    int written = 0;           // frames handed to the file, the one it failed on included
    int appended = 0;          // frames the file took without an error
    int repeated = 0;          // frames that could not be read, replaced by another
    QStringList repeatedFiles; // the first few of their files
    QList<RecordedMessage> messages;
    QImage lastFrame; // the last frame composed

    // The file holds every frame of the run and was closed without an error.
    bool completed() const { return created && aviResult == 0 && !cancelled && appended > 0; }
};

// What a run tells while it runs, each called on the run's thread.
struct VideoRunHooks
{
    std::function<bool()> cancelled = [] { return false; };
    std::function<void()> framesStarting = [] {};
    std::function<void(int written, int total)> progress = [](int, int) {};
    // The frame just written, at the preview's size.
    std::function<void(const QImage &)> show = [](const QImage &) {};
};

// How many files of repeated frames a result names.
inline constexpr int kNamedRepeatedFiles = 3;

// Writes job's frames as a video: on any thread, touching nothing but the job, the files and the
// hooks.
VideoRunResult writeVideo(const VideoJob &job, const VideoRunHooks &hooks = {});

} // namespace tavelon
