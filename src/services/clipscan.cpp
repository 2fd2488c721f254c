#include "services/clipscan.h"

#include <algorithm>
#include <utility>
#include <vector>

#include <QDir>
#include <QDirIterator>

namespace tavelon {

namespace {

// The names of the entries of folder that pass filters, in the order the file system gives them.
QStringList entryNames(const QString &folder, QDir::Filters filters)
{
    QStringList names;
    if (folder.isEmpty())
        return names;
    QDirIterator it(folder, filters);
    while (it.hasNext()) {
        it.next();
        names.append(it.fileName());
    }
    return names;
}

} // namespace

void sortNamesIgnoringCase(QStringList &names)
{
    // Fold each name once, not in every comparison.
    std::vector<std::pair<QString, QString>> keyed;
    keyed.reserve(size_t(names.size()));
    for (QString &name : names)
        keyed.emplace_back(name.toCaseFolded(), std::move(name));
    std::sort(keyed.begin(), keyed.end());
    names.clear();
    for (auto &entry : keyed)
        names.append(std::move(entry.second));
}

bool isFrameName(const QString &name)
{
    return name.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive) ||
           name.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive);
}

QStringList listClips(const QString &framesPath)
{
    QStringList names = entryNames(framesPath, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    sortNamesIgnoringCase(names);
    return names;
}

QStringList listFrames(const QString &clipPath)
{
    QStringList names = entryNames(clipPath, QDir::Files | QDir::Hidden);
    names.removeIf([](const QString &name) { return !isFrameName(name); });
    sortNamesIgnoringCase(names);
    return names;
}

} // namespace tavelon
