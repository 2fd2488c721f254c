#pragma once

#include <QObject>
#include <QString>

#include <optional>

#include "video/compressors.h"

namespace tavelon {

class MainForm;
class MessageService;
class Overlay;
class Preview;

// Writes the selected clip as an AVI or MP4 file: steps the preview slider through the frames in the
// chosen direction (the preview loads each frame into sourceFrame), scales it into videoFrame (stretched,
// or fitted inside with black bars), lets the
// overlay draw into it, shows it in the preview, packs it into a cDIB (the first frame through
// a bitmap file of the run's own, which also sets the stream's format) and appends the pixels to the stream
// as a key frame.
class VideoWriter : public QObject
{
    Q_OBJECT
public:
    // preview reads the frames ahead and overlay draws into every frame when it is switched on.
    VideoWriter(MainForm &form, MessageService &messages, Preview &preview, Overlay &overlay,
                QObject *parent = nullptr);
    ~VideoWriter() override;

    // videoFrame's size from the width and height boxes; a value that is not a whole number keeps
    // the previous size for that side.
    void setFrameSize(std::optional<int> width, std::optional<int> height);

    // Writes fileName as options say (container, compressor, fit). The file is created (or an
    // existing one emptied) only once the first frame is ready to go in; false when it was not.
    bool MakeVideoFile(const QString &fileName, int frameRate, const CompressOptions &options = {});

    // Ends a running write after the current frame; the file is closed properly so the frames
    // written so far play.
    void requestAbort() { m_abort = true; }
    bool wasAborted() const { return m_abort; }

signals:
    // Frame i (1-based) of n has been written.
    void progress(int i, int n);
    // Frames are being written (true) or no longer (false); the window stays above all others
    // meanwhile.
    void writingChanged(bool writing);

private:
    MainForm &m_form;
    MessageService &m_messages;
    Preview &m_preview;
    Overlay &m_overlay;
    bool m_abort = false;
};

} // namespace tavelon
