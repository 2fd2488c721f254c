#include "preview/player.h"

#include <cmath>

#include "form/mainform.h"

namespace tavelon {

Player::Player(MainForm &form, QObject *parent) : QObject(parent), m_form(form)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Player::showNext);
    connect(&form.playButton, &CheckBox::clicked, this, &Player::cmdPlay_Click);
    connect(&form.stopButton, &CommandButton::clicked, this, &Player::cmdStop_Click);
    connect(&form.directionBox, &ListControl::clicked, this, &Player::cboDirections_Click);
}

void Player::cmdPlay_Click()
{
    m_form.focusDummy();
    const bool playing = m_form.playButton.value() == 1;
    for (Control *c :
         std::initializer_list<Control *>{&m_form.deleteButton, &m_form.firstButton, &m_form.backButton,
                                          &m_form.nextButton, &m_form.lastButton})
        c->setEnabled(!playing);
    if (!playing)
        return;
    m_stopRequested = false;
    m_runs.push_back(newRun());
    m_timer.stop();
    showNext();
}

void Player::cmdStop_Click()
{
    m_form.focusDummy();
    requestStop();
    m_form.playButton.setValue(0);
}

void Player::requestStop()
{
    m_stopRequested = true;
    m_timer.stop();
    m_runs.clear();
    emit stopRequested();
}

void Player::cboDirections_Click()
{
    m_form.state.PlayDirection = directionFromCode(m_form.directionBox.listIndex());
    if (m_form.state.PlayDirection == PlayingDirection::Backward)
        m_form.frameSlider.setValue(m_form.frameSlider.maximum());
    else
        m_form.frameSlider.setValue(0);
    m_form.frameSlider.raiseChange();
}

float Player::frameDelay(int speed)
{
    if (speed > 25)
        return 0.01f;
    if (speed <= 0)
        return 1.0f;
    return float(1.0 / double(speed));
}

Player::Run Player::newRun()
{
    return Run{PassWalker([this] { return m_form.state.PlayDirection; },
                          [this] { return m_form.frameFiles.count(); })};
}

void Player::scheduleNext()
{
    m_timer.start(int(std::ceil(double(frameDelay(m_form.speedBar.value())) * 1000.0)));
}

void Player::showNext()
{
    if (m_runs.empty())
        return;
    // While a video is made the writer owns the slider; the playback goes on after it.
    if (m_form.state.MakingVideo) {
        scheduleNext();
        return;
    }
    while (!m_runs.empty()) {
        Run &run = m_runs.back();
        std::optional<int> index = run.walker.next();
        // A run without a single frame (no frames) ends as a run without repeat does: repeating
        // it would tick for ever without showing anything.
        if (!index && m_form.repeatBox.value() == 1 && run.steps > 0) {
            run = newRun();
            index = run.walker.next();
        }
        if (index) {
            ++run.steps;
            // An index past the end of another clip selected meanwhile is skipped; the wait
            // still runs.
            m_form.frameSlider.setValue(*index);
            emit stepped(*index);
            // The handlers above may have stopped the playback.
            if (!m_runs.empty())
                scheduleNext();
            return;
        }
        m_runs.pop_back();
        m_form.playButton.setValue(0);
    }
}

} // namespace tavelon
