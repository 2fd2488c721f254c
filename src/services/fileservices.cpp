#include "services/fileservices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cstdio>

namespace tavelon {

QString pathSeparator()
{
    return QString(QDir::separator());
}

bool FileExists(const QString &path)
{
    if (path.isEmpty() || QFileInfo(path).isDir())
        return false;
    QFile f(path);
    return f.open(QIODevice::ReadOnly);
}

bool FolderExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

bool CreatePath(QString &path)
{
    AddBackslash(path);
    if (!QDir::isAbsolutePath(path))
        return false;
    // mkpath walks the levels itself; an existing file on the way makes it fail.
    if (FolderExists(path))
        return true;
    return QDir().mkpath(path) && FolderExists(path);
}

void AddBackslash(QString &path)
{
    if (!path.endsWith(QDir::separator()))
        path += QDir::separator();
}

QString LastPathPart(const QString &path)
{
    QString p = path;
    if (p.endsWith(QDir::separator()))
        p.chop(1);
    const qsizetype at = p.lastIndexOf(QDir::separator());
    return at < 0 ? p : p.mid(at + 1);
}

std::optional<QString> entryIgnoringCase(const QStringList &entries, const QString &name)
{
    if (entries.contains(name))
        return name;
    std::optional<QString> found;
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0 &&
            (!found || QFile::encodeName(entry) < QFile::encodeName(*found)))
            found = entry;
    }
    return found;
}

QString pathIgnoringCase(const QString &folder, const QString &name)
{
    if (QFileInfo::exists(folder + name) || QFileInfo(folder + name).isSymLink())
        return folder + name;
    const QStringList entries =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    return folder + entryIgnoringCase(entries, name).value_or(name);
}

QString freeBackupPath(const QString &file)
{
    constexpr int kMaxBackups = 9999;
    for (int n = 1; n <= kMaxBackups; ++n) {
        const QString backup = file + QStringLiteral(".bak") + (n > 1 ? QString::number(n) : QString());
        const QFileInfo info(backup);
        if (!info.exists() && !info.isSymLink())
            return backup;
    }
    return {};
}

QString createHiddenScratchFile(const QString &folder, const QString &name, const QString &extension)
{
    static const QLatin1String kLetters("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
    constexpr int kTries = 100;
    for (int i = 0; i < kTries; ++i) {
        QString random;
        for (int k = 0; k < 6; ++k)
            random += kLetters[int(QRandomGenerator::global()->bounded(qsizetype(kLetters.size())))];
        const QString path = folder + QLatin1Char('.') + name + QLatin1Char('-') + random + extension;
        // Created only when no entry of that name exists, even one made at the same moment.
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return path;
        if (!QFileInfo(path).exists() && !QFileInfo(path).isSymLink())
            return {};
    }
    return {};
}

bool replaceFile(const QString &from, const QString &to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

} // namespace tavelon
