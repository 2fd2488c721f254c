#pragma once

#include <QLockFile>
#include <QString>

namespace tavelon {

// A lock on a program folder (one window per folder) or on one clip of it (one copy writes a clip
// at a time, while copies on other clips run side by side): a lock file in the temporary folder
// named after the canonical program folder path and the clip's name. A lock left by a crashed
// copy (its process is gone) does not block the next start. Released on destruction.
class InstanceLock
{
public:
    explicit InstanceLock(const QString &programFolder, const QString &clip = {});

    // True when this process now holds the lock, also through another object on the same folder
    // and clip (the batch job holds its clip's lock before the video command asks for it); false
    // while another copy holds it.
    bool tryLock();
    QString lockFilePath() const { return m_path; }

private:
    QString m_path;
    QLockFile m_lock;
};

} // namespace tavelon
