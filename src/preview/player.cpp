#include "preview/player.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "form/mainform.h"
#include "form/playingdirection.h"

namespace tavelon {

Player::Player(MainForm &form, QObject *parent) : QObject(parent), m_form(form)
{
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
    if (playing) {
        m_stopRequested = false;
        PlayFrames();
    }
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

bool Player::step(int i)
{
    QCoreApplication::processEvents();
    if (m_stopRequested)
        return false;
    ++m_steps;
    // An index past the end of another clip selected meanwhile is skipped; the wait still runs.
    m_form.frameSlider.setValue(i);
    emit stepped(i);
    WaitFrameDelay(frameDelay(m_form.speedBar.value()));
    return true;
}

void Player::PlayFrames()
{
    for (;;) {
        const quint64 stepsBefore = m_steps;
        const bool completed =
            runPasses([this] { return m_form.state.PlayDirection; },
                      [this] { return m_form.frameFiles.count(); }, [this](int i) { return step(i); });
        if (!completed || m_stopRequested)
            return;
        // A pass without a single step (no frames) would spin without letting the window run:
        // playback ends then, as after a pass without repeat.
        if (m_form.repeatBox.value() != 1 || m_steps == stepsBefore) {
            m_form.playButton.setValue(0);
            return;
        }
    }
}

void Player::WaitFrameDelay(float seconds)
{
    QElapsedTimer clock;
    clock.start();
    const qint64 delayNs = qint64(double(seconds) * 1e9);
    while (!m_stopRequested) {
        const qint64 left = delayNs - clock.nsecsElapsed();
        if (left <= 0)
            return;
        // Sleep in the event loop until the delay is over or a stop arrives, so the window
        // stays responsive without a busy wait.
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(this, &Player::stopRequested, &loop, &QEventLoop::quit);
        timer.start(int((left + 999999) / 1000000));
        loop.exec();
    }
}

} // namespace tavelon
