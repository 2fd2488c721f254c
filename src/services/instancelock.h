#pragma once

#include <QLockFile>
#include <QString>

namespace tavelon {

// One running copy per program folder: a lock file in the temporary folder named after the
// canonical program folder path. Copies in different folders run side by side; a lock left by a
// crashed copy (its process is gone) does not block the next start. Released on destruction.
class InstanceLock
{
public:
    explicit InstanceLock(const QString &programFolder);

    // True when this object now holds the lock; false while another copy holds it.
    bool tryLock();
    QString lockFilePath() const { return m_path; }

private:
    QString m_path;
    QLockFile m_lock;
};

} // namespace tavelon
