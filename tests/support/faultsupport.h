#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QMap>
#include <QSize>
#include <QString>
#include <QStringList>

#include <string>

#include <linux/capability.h>

namespace tavelon::test {

// A small tmpfs mounted on a folder while the object lives (needs root or CAP_SYS_ADMIN); it is
// unmounted lazily at the end. isMounted() is false, with the reason in why(), when mounting was
// not possible.
class TmpfsMount
{
public:
    TmpfsMount(const QString &folder, int kilobytes);
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount &) = delete;
    TmpfsMount &operator=(const TmpfsMount &) = delete;

    bool isMounted() const { return !m_folder.isEmpty(); }
    std::string why() const { return m_why.toStdString(); }

private:
    QString m_folder;
    QString m_why;
};

// Free bytes of the file system holding folder.
qint64 freeBytes(const QString &folder);
// Writes the file filler until the file system holding it has at most leave bytes free (a
// multiple of the page size leaves exactly that much).
bool fillUp(const QString &filler, qint64 leave);

// Every file below folder, by its path relative to folder, with its bytes.
QMap<QString, QByteArray> snapshot(const QString &folder);
// The paths whose bytes differ between two snapshots or that only one of them holds, except
// those ending in one of except.
QStringList differences(const QMap<QString, QByteArray> &before, const QMap<QString, QByteArray> &after,
                        const QStringList &except = {});

// ffprobe's frame count of a video's first stream (0 for a stream without frames); ok only when
// ffprobe ran cleanly and printed no error (a truncated frame, a broken header).
struct PlayResult
{
    bool ok = false;
    int frames = 0;
    QString errors;
};
PlayResult playCheck(const QString &path);

// The FormFixture colour index near c, -1 when none is.
int colourIndex(QColor c);

// The FormFixture colour index of every frame of a video by its centre pixel (-1 where none is
// near); empty when the video does not decode.
QList<int> frameColours(const QString &path);

// While alive, file permission bits bind this thread (and the threads it starts) even when it
// runs as root: the capabilities that override them are dropped from its effective set.
class PermissionsEnforced
{
public:
    PermissionsEnforced();
    ~PermissionsEnforced();
    PermissionsEnforced(const PermissionsEnforced &) = delete;
    PermissionsEnforced &operator=(const PermissionsEnforced &) = delete;

private:
    bool m_dropped = false;
    __user_cap_data_struct m_saved[2] = {};
};

// True when this thread can neither list nor open path.
bool isUnreadable(const QString &path);

} // namespace tavelon::test
