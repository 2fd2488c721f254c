#include "services/instancelock.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSysInfo>

namespace tavelon {

namespace {

QString lockPathFor(const QString &programFolder, const QString &clip)
{
    const QFileInfo info(programFolder);
    QString key = info.canonicalFilePath();
    if (key.isEmpty())
        key = QDir::cleanPath(info.absoluteFilePath());
    QString name = QStringLiteral("brimholt-tavelon-%1");
    if (!clip.isEmpty()) {
        // The clip's name is hashed on its own, after a separator no folder path holds at its end.
        key += QStringLiteral("/\n") + clip;
        name += QStringLiteral("-clip");
    }
    const QByteArray hash = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex();
    return QDir(QDir::tempPath())
        .filePath(name.arg(QString::fromLatin1(hash.left(20))) + QStringLiteral(".lock"));
}

} // namespace

InstanceLock::InstanceLock(const QString &programFolder, const QString &clip)
    : m_path(lockPathFor(programFolder, clip)), m_lock(m_path)
{
    // A running copy never refreshes its lock file, so age must not make the lock stale; only a
    // lock whose process is gone is.
    m_lock.setStaleLockTime(0);
}

bool InstanceLock::tryLock()
{
    if (m_lock.isLocked() || m_lock.tryLock(0))
        return true;
    qint64 pid = 0;
    QString host;
    QString app;
    return m_lock.error() == QLockFile::LockFailedError && m_lock.getLockInfo(&pid, &host, &app) &&
           pid == QCoreApplication::applicationPid() && host == QSysInfo::machineHostName();
}

} // namespace tavelon
