#include "services/instancelock.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>

using tavelon::InstanceLock;

TEST(InstanceLock, OneCopyPerProgramFolder)
{
    QTemporaryDir a, b;
    ASSERT_TRUE(a.isValid() && b.isValid());
    auto first = std::make_unique<InstanceLock>(a.path());
    ASSERT_TRUE(first->tryLock());

    InstanceLock sameFolder(a.path() + "/./");
    EXPECT_EQ(sameFolder.lockFilePath(), first->lockFilePath());
    EXPECT_FALSE(sameFolder.tryLock());

    InstanceLock otherFolder(b.path());
    EXPECT_TRUE(otherFolder.tryLock());

    first.reset();
    EXPECT_TRUE(sameFolder.tryLock());
}

TEST(InstanceLock, LockOfACrashedCopyDoesNotBlock)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString lockFile = InstanceLock(dir.path()).lockFilePath();

    // A child takes the lock the way a running copy does and dies without releasing it.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        QLockFile lock(lockFile);
        _exit(lock.tryLock(0) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(QFileInfo::exists(lockFile));

    InstanceLock next(dir.path());
    EXPECT_TRUE(next.tryLock());
}
