#pragma once

#include <QObject>

namespace tavelon {

class MainForm;

// Playback: the play, stop and direction handlers and the pass loop. Everything runs on the UI
// thread; window events run before every frame and throughout every wait, so the handlers of the
// window (stop, direction, speed, clip list, another play click) run inside the loop and the loop
// sees their effect through isStopRequested(), PlayDirection and the speed scroll bar.
class Player : public QObject
{
    Q_OBJECT
public:
    explicit Player(MainForm &form, QObject *parent = nullptr);

    void cmdPlay_Click();
    void cmdStop_Click();
    void cboDirections_Click();

    // Plays one pass and the repeats that follow; returns when playback has ended.
    void PlayFrames();
    // Waits for the delay on a monotonic clock, letting window events run; returns early on stop.
    void WaitFrameDelay(float seconds);

    // The delay after a frame at speed v: 1/v seconds, 0.01 s above 25.
    static float frameDelay(int speed);

    // Ends a playback at its next step or wait; raises stopRequested().
    void requestStop();
    bool isStopRequested() const { return m_stopRequested; }

signals:
    // Raised for every frame index a pass assigns, also when the assignment is skipped (tests).
    void stepped(int index);
    void stopRequested();

private:
    // One step of a pass; false once a stop was requested.
    bool step(int i);

    MainForm &m_form;
    bool m_stopRequested = false;
    quint64 m_steps = 0;
};

} // namespace tavelon
