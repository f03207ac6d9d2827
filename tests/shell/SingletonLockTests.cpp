// One copy per edition: the lock, not the file's existence, decides; and the
// lock file is never one that someone else planted.
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
    EXPECT_EQ(SingletonLock::lockFileName(QStringLiteral("commandCenter")),
              QStringLiteral("com.lumivo-intelligence.companion.commandCenter.lock"));
    EXPECT_EQ(SingletonLock::lockFileName(QStringLiteral("employee")),
              QStringLiteral("com.lumivo-intelligence.companion.employee.lock"));
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

    SingletonLock::Lock first = SingletonLock::acquire(commandCenter);
    ASSERT_TRUE(first.isHeld()) << first.problem.toStdString();
    EXPECT_EQ(::fcntl(first.descriptor, F_GETFD) & FD_CLOEXEC, FD_CLOEXEC)
        << "programs we launch must not inherit the lock";

    const SingletonLock::Lock second = SingletonLock::acquire(commandCenter);
    EXPECT_FALSE(second.isHeld()) << "a second holder of one edition";
    EXPECT_TRUE(second.problem.isEmpty()) << "another copy holding it is no fault";
    SingletonLock::Lock other = SingletonLock::acquire(employee);
    EXPECT_TRUE(other.isHeld()) << "the other edition runs beside it";

    // The lock goes with its holder.
    SingletonLock::release(first);
    EXPECT_FALSE(first.isHeld());
    SingletonLock::Lock next = SingletonLock::acquire(commandCenter);
    EXPECT_TRUE(next.isHeld());
    SingletonLock::release(next);
    SingletonLock::release(other);

    const SingletonLock::Lock nowhere = SingletonLock::acquire(folder.filePath(QStringLiteral("missing/folder.lock")));
    EXPECT_FALSE(nowhere.isHeld());
    EXPECT_FALSE(nowhere.problem.isEmpty());
}

TEST(SingletonLock, NewLockFilesAreTheOwnersAlone)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("fresh.lock"));
    const mode_t previous = ::umask(0);
    SingletonLock::Lock lock = SingletonLock::acquire(path);
    ::umask(previous);
    ASSERT_TRUE(lock.isHeld());
    struct stat status { };
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    SingletonLock::release(lock);
}

TEST(SingletonLock, NeverFollowsALinkNorTakesAFileThatIsNotItsOwn)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("planted.lock"));
    const QString target = folder.filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QFile::link(target, path));
    SingletonLock::Lock lock = SingletonLock::acquire(path);
    EXPECT_FALSE(lock.isHeld());
    EXPECT_EQ(lock.problem, QStringLiteral("cannot use the lock file %1: it is a symbolic link").arg(path));
    EXPECT_FALSE(QFile::exists(target)) << "the link was followed";

    // Our own file that others could open is closed to them.
    const QString open = folder.filePath(QStringLiteral("open.lock"));
    QFile file(open);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ::chmod(QFile::encodeName(open).constData(), 0666);
    SingletonLock::Lock ours = SingletonLock::acquire(open);
    EXPECT_TRUE(ours.isHeld()) << ours.problem.toStdString();
    struct stat status { };
    ASSERT_EQ(::stat(QFile::encodeName(open).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    SingletonLock::release(ours);

    if (::geteuid() == 0) {
        // Only root can give a file away; that is how CI runs.
        ASSERT_EQ(::chown(QFile::encodeName(open).constData(), 65534, 65534), 0);
        EXPECT_EQ(SingletonLock::acquire(open).problem,
                  QStringLiteral("cannot use the lock file %1: it belongs to another user").arg(open));
    }
}

} // namespace
