#pragma once

#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QStringList>

#include "image/clipcheck.h"

namespace tavelon {

class MainForm;

// The report of a clip check in the UiText table's words: one line per problem, a line when the
// check ended early, and the summary (frame count, first frame's size, the video's length at
// speed and direction).
QStringList clipCheckReport(const ClipCheckResult &result, const MainForm &form, int speed,
                            PlayingDirection direction);

// A length in seconds as the texts show it: one decimal.
QString secondsText(double seconds);

// What the window shows about the selected clip beyond the classic form: the video's length next
// to the frame count (videoLength, following the frame count, speed and direction), and the clip
// check run in the background (clipCheckResult: a short line, the details in its tooltip).
class ClipStatus : public QObject
{
    Q_OBJECT
public:
    explicit ClipStatus(MainForm &form, QObject *parent = nullptr);
    // Cancels every check still running and waits for it; a check stops between two files.
    ~ClipStatus() override;

    // Checks the selected clip (ClipPath) on a pool thread. A check still running is cancelled and
    // its result never shown.
    void startCheck();
    void updateLength();

    // The last check's result, once checkFinished() has been raised.
    const ClipCheckResult &lastResult() const { return m_last; }

    // How many problem lines the tooltip shows before it counts the rest.
    static constexpr int kToolTipProblems = 20;

signals:
    void checkFinished();

private:
    void checkDone();
    void show(const ClipCheckResult &result);

    MainForm &m_form;
    // Cancelled checks run on until their next file; they are waited for when this object goes.
    QList<QFuture<ClipCheckResult>> m_checks;
    QFutureWatcher<ClipCheckResult> m_current;
    ClipCheckResult m_last;
};

} // namespace tavelon
