#include "services/instancelock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

namespace tavelon {

namespace {

QString lockPathFor(const QString &programFolder)
{
    const QFileInfo info(programFolder);
    QString key = info.canonicalFilePath();
    if (key.isEmpty())
        key = QDir::cleanPath(info.absoluteFilePath());
    const QByteArray hash = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex();
    return QDir(QDir::tempPath())
        .filePath(QStringLiteral("brimholt-tavelon-%1.lock").arg(QString::fromLatin1(hash.left(20))));
}

} // namespace

InstanceLock::InstanceLock(const QString &programFolder) : m_path(lockPathFor(programFolder)), m_lock(m_path)
{
    // A running copy never refreshes its lock file, so age must not make the lock stale; only a
    // lock whose process is gone is.
    m_lock.setStaleLockTime(0);
}

bool InstanceLock::tryLock()
{
    return m_lock.isLocked() || m_lock.tryLock(0);
}

} // namespace tavelon
