#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace tavelon {

class MainForm;
class CompressionChooser;

// Writes the selected clip as an AVI file: steps the preview slider through the frames in the
// chosen direction (the preview loads each frame into picTemp), scales it into picSave, lets the
// overlay draw into it, shows it in the preview, round-trips it through temp.bmp and a cDIB and
// appends the pixels to the stream as a key frame.
class VideoWriter : public QObject
{
    Q_OBJECT
public:
    explicit VideoWriter(MainForm &form, QObject *parent = nullptr);
    ~VideoWriter() override;

    // picSave's size from the width and height boxes; a value that is not a whole number keeps
    // the previous size for that side.
    void setFrameSize(std::optional<int> width, std::optional<int> height);

    void MakeVideoFile(const QString &FileName, int FrameRate);

    // Ends a running write after the current frame; the file is closed properly so the frames
    // written so far play.
    void requestAbort() { m_abort = true; }
    bool wasAborted() const { return m_abort; }

    // Stand-in for the system's compression dialog; must be set before a run.
    CompressionChooser *chooser = nullptr;
    // Draws the overlay into picSave (set by the wiring).
    std::function<void()> printCopyrightAVI;
    // Reads the files of the frames that come next ahead of their turn (set by the wiring).
    std::function<void(const QList<int> &)> prefetchFrames;
    // Keeps the window above all others during a run (set by the window).
    std::function<void(bool)> setWindowTopMost;

    // The frame indices of one run for direction and n frames, in writing order.
    static QList<int> frameOrder(int direction, int n);

signals:
    // Frame i (1-based) of n has been written.
    void progress(int i, int n);

private:
    MainForm &m_form;
    bool m_abort = false;
};

} // namespace tavelon
