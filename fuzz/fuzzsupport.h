#pragma once

#include <cstddef>
#include <cstdint>

#include <QByteArray>
#include <QString>

#include "services/messages.h"

namespace tavelon::fuzz {

// Shows nothing and records nothing; every question gets its default answer.
class SilentMessages : public MessageService
{
public:
    MessageAnswer show(const QString &, const QString &, MessageButtons, MessageIcon,
                       MessageAnswer defaultAnswer) override
    {
        return defaultAnswer;
    }
};

// A scratch folder made once per process, in memory (/dev/shm) where the system has one, and
// removed at exit. name's path inside it.
QString scratchPath(const QString &name);

// Replaces the file at path with the given bytes. False when it cannot be written.
bool writeFile(const QString &path, const std::uint8_t *data, std::size_t size);
bool writeFile(const QString &path, const QByteArray &bytes);
// The file's bytes; an empty array when it cannot be read.
QByteArray readFile(const QString &path);

// Whether bytes holds exactly the size bytes at data.
bool sameBytes(const QByteArray &bytes, const std::uint8_t *data, std::size_t size);

// Keeps a computed value alive, so that reads made only to touch memory are not optimised away.
void consume(std::size_t value);

// An invariant of the code under test: a violation stops the run as a crash.
inline void require(bool holds)
{
    if (!holds)
        __builtin_trap();
}

} // namespace tavelon::fuzz
