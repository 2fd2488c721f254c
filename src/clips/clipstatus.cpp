#include "clips/clipstatus.h"

#include <atomic>
#include <thread>

#include "form/mainform.h"
#include "form/uitext.h"

namespace tavelon {

namespace {

QString problemLine(const ClipProblem &p, const ClipCheckResult &result, const MainForm &form)
{
    switch (p.kind) {
    case ClipProblem::Kind::Unreadable:
        return form.UiText(kUiFrameUnreadable).arg(p.name);
    case ClipProblem::Kind::SizeDiffers:
        return form.UiText(kUiFrameSizeDiffers)
            .arg(p.name, QString::number(p.size.width()), QString::number(p.size.height()),
                 QString::number(result.firstSize.width()), QString::number(result.firstSize.height()));
    case ClipProblem::Kind::OutOfOrder:
        return form.UiText(kUiFrameOutOfOrder).arg(p.name, p.other);
    case ClipProblem::Kind::Gap:
        return form.UiText(kUiNumberingGap).arg(p.name, p.other);
    case ClipProblem::Kind::NotAFrame:
        break;
    }
    return form.UiText(kUiNotAFrame).arg(p.name);
}

QString summaryLine(const ClipCheckResult &result, const MainForm &form, int speed,
                    PlayingDirection direction)
{
    return form.UiText(kUiCheckSummary)
        .arg(QString::number(result.frames), QString::number(result.firstSize.width()),
             QString::number(result.firstSize.height()),
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
        lines.append(form.UiText(kUiCheckIncomplete));
    lines.append(summaryLine(result, form, speed, direction));
    return lines;
}

struct ClipStatus::Job
{
    std::atomic<bool> cancelled{false};
    std::atomic<bool> done{false};
    std::thread thread;
};

ClipStatus::ClipStatus(MainForm &form, QObject *parent) : QObject(parent), m_form(form)
{
    connect(&form.slPre, &ScrollBar::rangeChanged, this, &ClipStatus::updateLength);
    connect(&form.scrlSpeed, &ScrollBar::changed, this, &ClipStatus::updateLength);
    // Connected after the player's handler, which records PlayDirection.
    connect(&form.cboDirections, &ListControl::clicked, this, &ClipStatus::updateLength);
}

ClipStatus::~ClipStatus()
{
    cancelAll();
    for (const auto &job : m_jobs)
        job->thread.join();
}

void ClipStatus::updateLength()
{
    const int frames = m_form.slPre.maximum() + 1;
    m_form.lblLength.setCaption(
        m_form.UiText(kUiVideoLength)
            .arg(secondsText(videoSeconds(frames, m_form.state.PlayDirection, m_form.scrlSpeed.value()))));
}

void ClipStatus::cancelAll()
{
    for (const auto &job : m_jobs)
        job->cancelled = true;
}

void ClipStatus::joinFinished()
{
    std::erase_if(m_jobs, [](const std::unique_ptr<Job> &job) {
        if (!job->done)
            return false;
        job->thread.join();
        return true;
    });
}

void ClipStatus::startCheck()
{
    cancelAll();
    joinFinished();
    const quint64 generation = ++m_generation;
    m_form.lblCheck.setCaption(m_form.UiText(kUiClipChecking));
    m_form.lblCheck.setToolTip(QString());

    auto job = std::make_unique<Job>();
    Job *j = job.get();
    // The job outlives neither this object (the destructor joins it) nor its entry in m_jobs.
    j->thread = std::thread([this, j, generation, path = m_form.state.ClipPath] {
        ClipCheckResult result = checkClip(path, [j] { return j->cancelled.load(); });
        if (!j->cancelled) {
            QMetaObject::invokeMethod(
                this, [this, generation, result = std::move(result)] { show(generation, result); },
                Qt::QueuedConnection);
        }
        j->done = true;
    });
    m_jobs.push_back(std::move(job));
}

void ClipStatus::show(quint64 generation, const ClipCheckResult &result)
{
    joinFinished();
    if (generation != m_generation)
        return;
    m_last = result;
    MainForm &f = m_form;
    const int speed = f.scrlSpeed.value();
    QStringList lines = clipCheckReport(result, f, speed, f.state.PlayDirection);
    const qsizetype problems = result.problems.size();
    if (problems > kToolTipProblems) {
        lines.remove(kToolTipProblems, problems - kToolTipProblems);
        lines.insert(kToolTipProblems, f.UiText(kUiMoreProblems).arg(problems - kToolTipProblems));
    }
    if (problems > 0)
        f.lblCheck.setCaption(f.UiText(kUiProblemsFound).arg(problems));
    else
        f.lblCheck.setCaption(f.UiText(result.complete ? kUiClipOk : kUiCheckIncomplete));
    f.lblCheck.setToolTip(lines.join(QLatin1Char('\n')));
    emit checkFinished();
}

} // namespace tavelon
