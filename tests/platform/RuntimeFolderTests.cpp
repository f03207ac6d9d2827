// The lock and the socket live only in a folder that no other user can enter.
#include "platform/desktop/RuntimeFolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

namespace {

mode_t modeOf(const QString& path)
{
    struct stat status { };
    ::lstat(QFile::encodeName(path).constData(), &status);
    return status.st_mode & 07777;
}

class RuntimeFolderTest : public ::testing::Test {
protected:
    QString made(const QString& name, mode_t mode) const
    {
        const QString path = m_root.filePath(name);
        QDir().mkpath(path);
        ::chmod(QFile::encodeName(path).constData(), mode);
        return path;
    }
    QString cache() const { return m_root.filePath(QStringLiteral("cache")); }
    QString fallback() const { return m_root.filePath(QStringLiteral("cache/lumivo-companion/runtime")); }

    QTemporaryDir m_root;
    const uid_t me = ::geteuid();
};

TEST_F(RuntimeFolderTest, TakesThePrivateXdgRuntimeFolder)
{
    const QString runtime = made(QStringLiteral("run"), 0700);
    const RuntimeFolder::Choice choice = RuntimeFolder::choose(runtime, cache(), me);
    EXPECT_EQ(choice.path, runtime);
    EXPECT_FALSE(QFile::exists(fallback())) << "nothing is made when it is not needed";
}

TEST_F(RuntimeFolderTest, FallsBackToAClosedFolderOfItsOwnUnderTheCache)
{
    // Unset, open to others, a symbolic link to a private folder, or no folder.
    const QString open = made(QStringLiteral("open"), 0755);
    const QString target = made(QStringLiteral("target"), 0700);
    const QString link = m_root.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(target, link));
    for (const QString& runtime : {QString(), open, link, m_root.filePath(QStringLiteral("missing"))}) {
        const RuntimeFolder::Choice choice = RuntimeFolder::choose(runtime, cache(), me);
        EXPECT_EQ(choice.path, fallback()) << runtime.toStdString();
        EXPECT_EQ(modeOf(fallback()), 0700u);
    }
}

TEST_F(RuntimeFolderTest, StopsWithTheReasonsWhenNoSafePlaceExists)
{
    const QString open = made(QStringLiteral("open"), 0777);
    made(QStringLiteral("cache/lumivo-companion/runtime"), 0777);
    const RuntimeFolder::Choice choice = RuntimeFolder::choose(open, cache(), me);
    EXPECT_TRUE(choice.path.isEmpty());
    EXPECT_EQ(choice.problem,
              open + QStringLiteral(" is open to other users; ") + fallback()
                  + QStringLiteral(" is open to other users"));
    EXPECT_EQ(modeOf(fallback()), 0777u) << "a folder found there is checked, not changed";
}

TEST_F(RuntimeFolderTest, RefusesFoldersOfAnotherUser)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can make a folder that belongs to another user";
    // As /tmp/runtime-$USER made by someone else, and XDG_RUNTIME_DIR pointing at it.
    const QString theirs = made(QStringLiteral("theirs"), 0700);
    ASSERT_EQ(::chown(QFile::encodeName(theirs).constData(), 65534, 65534), 0);
    EXPECT_EQ(RuntimeFolder::problemWith(theirs, me), theirs + QStringLiteral(" belongs to another user"));
    EXPECT_EQ(RuntimeFolder::choose(theirs, cache(), me).path, fallback());

    const QString theirCache = made(QStringLiteral("their-cache/lumivo-companion/runtime"), 0700);
    ASSERT_EQ(::chown(QFile::encodeName(theirCache).constData(), 65534, 65534), 0);
    const RuntimeFolder::Choice choice =
        RuntimeFolder::choose(theirs, m_root.filePath(QStringLiteral("their-cache")), me);
    EXPECT_TRUE(choice.path.isEmpty());
    EXPECT_TRUE(choice.problem.endsWith(theirCache + QStringLiteral(" belongs to another user")))
        << choice.problem.toStdString();
}

} // namespace
