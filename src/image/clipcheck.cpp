#include "image/clipcheck.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <optional>
#include <vector>

#include "image/frameloader.h"
#include "services/clipscan.h"

namespace tavelon {

namespace {

// Numbers longer than this are not frame numbers (time stamps, ids) and are left alone.
constexpr int kMaxNumberDigits = 9;

struct NumberedName
{
    QString group; // the name around the number, case-folded, without the extension
    qint64 number = 0;
};

std::optional<NumberedName> splitNumber(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot >= 0 ? name.left(dot) : name;
    qsizetype end = base.size();
    while (end > 0 && !base.at(end - 1).isDigit())
        --end;
    qsizetype start = end;
    while (start > 0 && base.at(start - 1).isDigit())
        --start;
    if (start == end || end - start > kMaxNumberDigits)
        return std::nullopt;
    bool ok = false;
    const qint64 number = base.mid(start, end - start).toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return NumberedName{base.left(start).toCaseFolded() + QLatin1Char('#') + base.mid(end).toCaseFolded(),
                        number};
}

bool isSettingsFile(const QString &name)
{
    return name.compare(QLatin1String("Clip.ini"), Qt::CaseInsensitive) == 0;
}

} // namespace

QList<ClipProblem> numberingProblems(const QStringList &frames)
{
    struct Entry
    {
        qint64 number;
        QString name;
    };
    QHash<QString, std::vector<Entry>> groups;
    QStringList order; // groups in the order they first appear, so the report is stable
    QList<ClipProblem> problems;
    for (const QString &name : frames) {
        const std::optional<NumberedName> n = splitNumber(name);
        if (!n)
            continue;
        auto it = groups.find(n->group);
        if (it == groups.end()) {
            it = groups.insert(n->group, {});
            order.append(n->group);
        }
        if (!it->empty() && n->number < it->back().number)
            problems.append({ClipProblem::Kind::OutOfOrder, name, it->back().name, {}});
        it->push_back({n->number, name});
    }
    for (const QString &group : order) {
        std::vector<Entry> &entries = groups[group];
        std::stable_sort(entries.begin(), entries.end(),
                         [](const Entry &a, const Entry &b) { return a.number < b.number; });
        for (size_t i = 1; i < entries.size(); ++i) {
            if (entries[i].number - entries[i - 1].number > 1)
                problems.append({ClipProblem::Kind::Gap, entries[i - 1].name, entries[i].name, {}});
        }
    }
    return problems;
}

ClipCheckResult checkClip(const QString &clipPath, const std::function<bool()> &cancelled)
{
    ClipCheckResult result;
    auto stop = [&] { return cancelled && cancelled(); };

    QStringList frames;
    QStringList others;
    if (!clipPath.isEmpty()) {
        QDirIterator it(clipPath, QDir::Files | QDir::Hidden);
        while (it.hasNext()) {
            if (stop()) {
                result.complete = false;
                return result;
            }
            it.next();
            const QString name = it.fileName();
            if (isFrameName(name))
                frames.append(name);
            else if (!isSettingsFile(name))
                others.append(name);
        }
    }
    sortNamesIgnoringCase(frames);
    sortNamesIgnoringCase(others);
    result.frames = int(frames.size());

    FrameLoader loader;
    QImage picture;
    for (const QString &name : frames) {
        if (stop()) {
            result.complete = false;
            break;
        }
        const std::optional<FrameFile> file = FrameLoader::readFile(clipPath + name);
        if (!file && !QFileInfo(clipPath).isDir()) {
            result.complete = false; // the folder went away: what follows is gone too
            break;
        }
        if (!file || !loader.decode(file->bytes, picture)) {
            result.problems.append({ClipProblem::Kind::Unreadable, name, {}, {}});
            continue;
        }
        if (result.firstSize.isEmpty())
            result.firstSize = picture.size();
        else if (picture.size() != result.firstSize)
            result.problems.append({ClipProblem::Kind::SizeDiffers, name, {}, picture.size()});
    }
    result.problems.append(numberingProblems(frames));
    for (const QString &name : others)
        result.problems.append({ClipProblem::Kind::NotAFrame, name, {}, {}});
    return result;
}

int videoFrameCount(int frames, PlayingDirection direction)
{
    int count = 0;
    for (const FramePass &pass : passOrder(direction))
        count += pass.count(frames);
    return count;
}

double videoSeconds(int frames, PlayingDirection direction, int speed)
{
    return double(videoFrameCount(frames, direction)) / std::max(speed, 1);
}

} // namespace tavelon
