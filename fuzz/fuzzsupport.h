#pragma once

// Helpers of the libFuzzer targets: a scratch folder in memory, whole files, and invariants of the
// code under test, whose violation stops the run as a crash.

#include <QtCore>

#include "services/messages.h"

namespace tavelon::fuzz {

// Shows nothing; every question gets its default answer.
class SilentMessages : public MessageService
{
public:
    MessageAnswer show(const QString &, const QString &, MessageButtons, MessageIcon,
                       MessageAnswer defaultAnswer) override
    {
        return defaultAnswer;
    }
};

inline void require(bool holds)
{
    if (!holds)
        __builtin_trap();
}

// name's path in a folder made once per process, in memory (/dev/shm) where the system has one.
inline QString scratchPath(const QString &name)
{
    static QTemporaryDir folder(
        (QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath()) +
        QStringLiteral("/tavelon-fuzz-XXXXXX"));
    require(folder.isValid());
    return folder.filePath(name);
}

inline QByteArray bytesOf(const std::uint8_t *data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Keeps a computed value alive, so that reads made only to touch memory are not optimised away.
inline void consume(std::size_t value)
{
    static volatile std::size_t sink = 0;
    sink = sink + value;
}

} // namespace tavelon::fuzz
