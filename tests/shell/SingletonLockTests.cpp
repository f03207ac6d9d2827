// One copy per edition: the lock, not the file's existence, decides.
#include "shell/SingletonLock.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(SingletonLock, NamesTheFilePerEdition)
{
    EXPECT_EQ(SingletonLock::lockFileName(QStringLiteral("commandCenter")), QStringLiteral("com.lumivo-intelligence.companion.commandCenter.lock"));
    EXPECT_EQ(SingletonLock::lockFileName(QStringLiteral("employee")), QStringLiteral("com.lumivo-intelligence.companion.employee.lock"));
}

TEST(SingletonLock, OneHolderPerFileAndAStaleFileIsNoObstacle)
{
    QTemporaryDir folder;
    const QString commandCenter = folder.filePath(SingletonLock::lockFileName(QStringLiteral("commandCenter")));
    const QString employee = folder.filePath(SingletonLock::lockFileName(QStringLiteral("employee")));

    // A file left by a copy that crashed.
    QFile stale(commandCenter);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();

    const int first = SingletonLock::acquire(commandCenter);
    ASSERT_GE(first, 0);
    struct stat status {};
    ASSERT_EQ(::fstat(first, &status), 0);
    EXPECT_EQ(::fcntl(first, F_GETFD) & FD_CLOEXEC, FD_CLOEXEC) << "programs we launch must not inherit the lock";

    EXPECT_EQ(SingletonLock::acquire(commandCenter), -1) << "a second holder of one edition";
    const int other = SingletonLock::acquire(employee);
    EXPECT_GE(other, 0) << "the other edition runs beside it";

    // The lock goes with its holder.
    ::close(first);
    const int next = SingletonLock::acquire(commandCenter);
    EXPECT_GE(next, 0);
    ::close(next);
    ::close(other);

    EXPECT_EQ(SingletonLock::acquire(folder.filePath(QStringLiteral("missing/folder.lock"))), -1);
}

TEST(SingletonLock, NewLockFilesAreTheOwnersAlone)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("fresh.lock"));
    const mode_t previous = ::umask(0);
    const int descriptor = SingletonLock::acquire(path);
    ::umask(previous);
    ASSERT_GE(descriptor, 0);
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    ::close(descriptor);
}

} // namespace
