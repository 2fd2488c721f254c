#pragma once

#include <QObject>
#include <QTimer>

#include <vector>

#include "form/playingdirection.h"

namespace tavelon {

class MainForm;

// Playback: the play, stop and direction handlers and the pacing. A single-shot timer shows one
// frame per timeout and waits the frame's delay before the next, so the window's events run in
// between without any loop of its own; the handlers of the window (stop, direction, speed, clip
// list) act on the next frame: the speed is read after each frame, the direction and frame count
// as PassWalker reads them. Raising the play button does not stop a playback, only Stop does;
// pressing it again plays a further run that ends before the interrupted one goes on.
class Player : public QObject
{
    Q_OBJECT
public:
    explicit Player(MainForm &form, QObject *parent = nullptr);

    void cmdPlay_Click();
    void cmdStop_Click();
    void cboDirections_Click();

    // The delay after a frame at speed v: 1/v seconds, 0.01 s above 25.
    static float frameDelay(int speed);

    // Ends every playback before its next frame; raises stopRequested().
    void requestStop();
    bool isStopRequested() const { return m_stopRequested; }
    bool isPlaying() const { return !m_runs.empty(); }

signals:
    // Raised for every frame index a pass assigns, also when the assignment is skipped (tests).
    void stepped(int index);
    void stopRequested();

private:
    struct Run
    {
        PassWalker walker;
        int steps = 0;
    };
    Run newRun();
    // Shows the next frame of the innermost run (a new run when repeating, the interrupted run
    // when it has ended) and schedules the one after.
    void showNext();
    void scheduleNext();

    MainForm &m_form;
    QTimer m_timer;
    std::vector<Run> m_runs;
    bool m_stopRequested = false;
};

} // namespace tavelon
