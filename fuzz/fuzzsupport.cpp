#include "fuzzsupport.h"

#include <cstring>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace tavelon::fuzz {

namespace {

volatile std::size_t g_sink = 0;

QTemporaryDir &scratchFolder()
{
    static QTemporaryDir folder([] {
        const QFileInfo shm(QStringLiteral("/dev/shm"));
        const QString base = shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
        return base + QStringLiteral("/tavelon-fuzz-XXXXXX");
    }());
    return folder;
}

} // namespace

QString scratchPath(const QString &name)
{
    QTemporaryDir &folder = scratchFolder();
    require(folder.isValid());
    return folder.filePath(name);
}

bool writeFile(const QString &path, const std::uint8_t *data, std::size_t size)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const auto n = static_cast<qint64>(size);
    return f.write(reinterpret_cast<const char *>(data), n) == n;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    return writeFile(path, reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                     std::size_t(bytes.size()));
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool sameBytes(const QByteArray &bytes, const std::uint8_t *data, std::size_t size)
{
    return std::size_t(bytes.size()) == size &&
           (size == 0 || std::memcmp(bytes.constData(), data, size) == 0);
}

void consume(std::size_t value)
{
    g_sink = g_sink + value;
}

} // namespace tavelon::fuzz
