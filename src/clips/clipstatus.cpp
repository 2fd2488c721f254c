#include "clips/clipstatus.h"

#include <QtConcurrent/QtConcurrentRun>

#include "form/mainform.h"
#include "form/showntexts.h"
#include "form/uitext.h"

namespace tavelon {

namespace {

QString problemLine(const ClipProblem &p, const ClipCheckResult &result, const MainForm &form)
{
    switch (p.kind) {
    case ClipProblem::Kind::Unreadable:
        return form.uiText(kUiFrameUnreadable).arg(p.name);
    case ClipProblem::Kind::SizeDiffers:
        return form.uiText(kUiFrameSizeDiffers)
            .arg(p.name, QString::number(p.size.width()), QString::number(p.size.height()),
                 QString::number(result.firstSize.width()), QString::number(result.firstSize.height()));
    case ClipProblem::Kind::OutOfOrder:
        return form.uiText(kUiFrameOutOfOrder).arg(p.name, p.other);
    case ClipProblem::Kind::Gap:
        return form.uiText(kUiNumberingGap).arg(p.name, p.other);
    case ClipProblem::Kind::NotAFrame:
        break;
    }
    return form.uiText(kUiNotAFrame).arg(p.name);
}

QString summaryLine(const ClipCheckResult &result, const MainForm &form, int speed,
                    PlayingDirection direction)
{
    if (!hasReadableFrame(result))
        return pluralForm(form.uiText(kUiCheckNoReadableFrame), result.frames).arg(result.frames);
    // A check that ended before it read a frame knows no size.
    const auto side = [&](int pixels) {
        return result.firstSize.isEmpty() ? QStringLiteral("?") : QString::number(pixels);
    };
    return pluralForm(form.uiText(kUiCheckSummary), result.frames)
        .arg(QString::number(result.frames), side(result.firstSize.width()), side(result.firstSize.height()),
             secondsText(videoSeconds(result.frames, direction, speed)), QString::number(std::max(speed, 1)));
}

} // namespace

QString secondsText(double seconds)
{
    return QString::number(seconds, 'f', 1);
}

QStringList clipCheckReport(const ClipCheckResult &result, const MainForm &form, int speed,
                            PlayingDirection direction)
{
    QStringList lines;
    for (const ClipProblem &p : result.problems)
        lines.append(problemLine(p, result, form));
    if (!result.complete)
        lines.append(form.uiText(kUiCheckIncomplete));
    lines.append(summaryLine(result, form, speed, direction));
    return lines;
}

ClipStatus::ClipStatus(MainForm &form, QObject *parent) : QObject(parent), m_form(form)
{
    connect(&form.frameSlider, &ScrollBar::rangeChanged, this, &ClipStatus::updateLength);
    connect(&form.speedBar, &ScrollBar::changed, this, &ClipStatus::updateLength);
    // Connected after the player's handler, which records PlayDirection.
    connect(&form.directionBox, &ListControl::clicked, this, &ClipStatus::updateLength);
    connect(&m_current, &QFutureWatcherBase::finished, this, &ClipStatus::checkDone);
}

ClipStatus::~ClipStatus()
{
    for (QFuture<ClipCheckResult> &check : m_checks)
        check.cancel();
    for (QFuture<ClipCheckResult> &check : m_checks)
        check.waitForFinished();
}

void ClipStatus::updateLength()
{
    const int frames = m_form.frameSlider.maximum() + 1;
    // No clip has no length.
    if (m_form.clipList.text().isEmpty()) {
        m_form.videoLength.setCaption(QString());
        return;
    }
    m_form.videoLength.setCaption(
        m_form.uiText(kUiVideoLength)
            .arg(secondsText(videoSeconds(frames, m_form.state.PlayDirection, m_form.speedBar.value()))));
}

void ClipStatus::startCheck()
{
    for (QFuture<ClipCheckResult> &check : m_checks)
        check.cancel();
    m_checks.removeIf([](const QFuture<ClipCheckResult> &check) { return check.isFinished(); });
    m_form.clipCheckResult.setToolTip(QString());
    // No clip, nothing to check and no result to show.
    if (m_form.clipList.text().isEmpty()) {
        m_form.clipCheckResult.setCaption(QString());
        return;
    }
    m_form.clipCheckResult.setCaption(m_form.uiText(kUiClipChecking));
    const QFuture<ClipCheckResult> check = QtConcurrent::run(
        [](QPromise<ClipCheckResult> &promise, const QString &path) {
            promise.addResult(checkClip(path, [&promise] { return promise.isCanceled(); }));
        },
        m_form.state.ClipPath);
    m_checks.append(check);
    // The watcher forgets the check it watched before: a cancelled check is never shown.
    m_current.setFuture(check);
}

void ClipStatus::checkDone()
{
    const QFuture<ClipCheckResult> check = m_current.future();
    if (!check.isCanceled() && check.resultCount() > 0)
        show(check.result());
}

void ClipStatus::show(const ClipCheckResult &result)
{
    m_last = result;
    MainForm &f = m_form;
    const int speed = f.speedBar.value();
    QStringList lines = clipCheckReport(result, f, speed, f.state.PlayDirection);
    const qsizetype problems = result.problems.size();
    if (problems > kToolTipProblems) {
        lines.remove(kToolTipProblems, problems - kToolTipProblems);
        lines.insert(kToolTipProblems, f.uiText(kUiMoreProblems).arg(problems - kToolTipProblems));
    }
    if (problems > 0)
        f.clipCheckResult.setCaption(pluralForm(f.uiText(kUiProblemsFound), problems).arg(problems));
    else if (!hasReadableFrame(result))
        f.clipCheckResult.setCaption(lines.last()); // an empty clip: no video can be made of it
    else
        f.clipCheckResult.setCaption(f.uiText(result.complete ? kUiClipOk : kUiCheckIncomplete));
    f.clipCheckResult.setToolTip(lines.join(QLatin1Char('\n')));
    emit checkFinished();
}

} // namespace tavelon
