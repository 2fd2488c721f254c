#include "faultsupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>

#include <algorithm>

#include <dirent.h>
#include <fcntl.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "formfixture.h"
#include "videotestsupport.h"

namespace tavelon::test {

TmpfsMount::TmpfsMount(const QString &folder, int kilobytes)
{
    QDir().mkpath(folder);
    QProcess p;
    p.start(QStringLiteral("mount"),
            {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
             QStringLiteral("size=%1k").arg(kilobytes), QStringLiteral("tmpfs"), folder});
    if (!p.waitForFinished(10000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        m_why = QStringLiteral("cannot mount a tmpfs (needs root or CAP_SYS_ADMIN): ") +
                QString::fromLocal8Bit(p.readAllStandardError()).trimmed() + p.errorString();
        return;
    }
    m_folder = folder;
}

TmpfsMount::~TmpfsMount()
{
    if (isMounted())
        QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), m_folder});
}

qint64 freeBytes(const QString &folder)
{
    struct statvfs st;
    if (statvfs(QFile::encodeName(folder).constData(), &st) != 0)
        return -1;
    return qint64(st.f_bavail) * qint64(st.f_frsize);
}

bool fillUp(const QString &filler, qint64 leave)
{
    QFile f(filler);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return false;
    const QByteArray page(4096, 'x');
    for (qint64 free = freeBytes(filler); free > leave; free = freeBytes(filler)) {
        const qint64 n = std::min<qint64>(page.size(), free - leave);
        if (f.write(page.constData(), n) != n)
            return leave == 0;
    }
    return true;
}

QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    const QDir base(folder);
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        files.insert(base.relativeFilePath(path),
                     f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("?"));
    }
    return files;
}

QStringList differences(const QMap<QString, QByteArray> &before, const QMap<QString, QByteArray> &after,
                        const QStringList &except)
{
    QStringList paths = before.keys() + after.keys();
    paths.removeDuplicates();
    paths.removeIf([&](const QString &path) {
        return before.value(path) == after.value(path) && before.contains(path) == after.contains(path);
    });
    paths.removeIf([&](const QString &path) {
        return std::any_of(except.begin(), except.end(), [&](const QString &e) { return path.endsWith(e); });
    });
    paths.sort();
    return paths;
}

PlayResult playCheck(const QString &path)
{
    PlayResult r;
    const auto p = probe(path, &r.errors);
    r.frames = p ? p->frames : 0;
    r.ok = p && r.errors.isEmpty();
    return r;
}

int colourIndex(QColor c)
{
    for (int i = 0; i < 10; ++i) {
        const QColor want = FormFixture::frameColor(i);
        if (std::max({std::abs(c.red() - want.red()), std::abs(c.green() - want.green()),
                      std::abs(c.blue() - want.blue())}) < 40)
            return i;
    }
    return -1;
}

QList<int> frameColours(const QString &path)
{
    const auto p = probe(path);
    const QByteArray rgb = p ? decodeRgb24(path) : QByteArray();
    QList<int> order;
    for (int f = 0; !rgb.isEmpty() && f < p->frames; ++f) {
        const qint64 at =
            (qint64(f) * p->width * p->height + qint64(p->height / 2) * p->width + p->width / 2) * 3;
        const QByteArray px = rgb.mid(at, 3);
        order << (px.size() == 3 ? colourIndex(QColor(uchar(px[0]), uchar(px[1]), uchar(px[2]))) : -1);
    }
    return order;
}

PermissionsEnforced::PermissionsEnforced()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    if (syscall(SYS_capget, &header, m_saved) != 0)
        return;
    __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
    reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    m_dropped = syscall(SYS_capset, &header, reduced) == 0;
}

PermissionsEnforced::~PermissionsEnforced()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    if (m_dropped)
        syscall(SYS_capset, &header, m_saved);
}

bool isUnreadable(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    if (DIR *dir = opendir(name.constData())) {
        closedir(dir);
        return false;
    }
    const int fd = open(name.constData(), O_RDONLY);
    if (fd >= 0)
        close(fd);
    return fd < 0;
}

} // namespace tavelon::test
