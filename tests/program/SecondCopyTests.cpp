// The built program started as a second copy, with the test in the place of
// the running copy: what it hands over, when it gives up, and where its lock
// and socket may live.
#include "platform/desktop/UrlHandoff.h"
#include "shell/SecondCopy.h"
#include "shell/SingletonLock.h"
#include "support/QtPrinters.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Finished {
    int exitCode = -1; // -1: crashed or still running after the wait
    QString errors;
};

// One user's session: private runtime, config and cache folders.
class ProgramSession {
public:
    ProgramSession()
    {
        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        m_environment.insert(QStringLiteral("XDG_CACHE_HOME"), m_home.filePath(QStringLiteral("cache")));
    }

    QString runtimeFolder() const { return m_runtime.path(); }
    QString fallbackFolder() const { return m_home.filePath(QStringLiteral("cache/lumivo-companion/runtime")); }
    QString socketPath(const QString& folder, const QString& edition = QStringLiteral("commandCenter")) const
    {
        return UrlHandoff::socketPath(folder, edition);
    }
    QString lockPath(const QString& folder, const QString& edition = QStringLiteral("commandCenter")) const
    {
        return QDir(folder).filePath(SingletonLock::lockFileName(edition));
    }
    void set(const QString& name, const QString& value) { m_environment.insert(name, value); }
    // Every copy started from now on says on standard error how each of its hand-overs went.
    void logHandoffs() { set(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("lumivo.handoff.debug=true")); }

    void start(QProcess& process, const QStringList& arguments = {},
               const QString& program = QStringLiteral("lumivo-companion")) const
    {
        process.setProcessEnvironment(m_environment);
        process.start(QStringLiteral(LUMIVO_BINARY_DIR "/src/") + program, arguments);
    }
    // Runs a copy to its end while this thread's event loop keeps running.
    Finished run(const QStringList& arguments, int timeoutMs = 20000) const
    {
        QProcess process;
        start(process, arguments);
        if (!waitUntil([&] { return process.state() == QProcess::NotRunning; }, timeoutMs)) {
            process.kill();
            process.waitForFinished();
        }
        const bool normal = process.exitStatus() == QProcess::NormalExit && process.error() != QProcess::Crashed;
        return {normal ? process.exitCode() : -1, QString::fromUtf8(process.readAllStandardError())};
    }

private:
    QTemporaryDir m_runtime;
    QTemporaryDir m_home;
    QProcessEnvironment m_environment;
};

// The test as the running copy of an edition: it holds the lock and, when asked, listens.
class StandInRunningCopy {
public:
    explicit StandInRunningCopy(const ProgramSession& session, const QString& edition = QStringLiteral("commandCenter"))
        : lock(SingletonLock::acquire(session.lockPath(session.runtimeFolder(), edition)))
    {
        QObject::connect(&receiver, &UrlHandoffReceiver::urlsReceived,
                         [this](const QList<QUrl>& urls) { received.append(urls); });
        QObject::connect(&receiver, &UrlHandoffReceiver::reopenRequested, [this] { ++reopens; });
    }
    ~StandInRunningCopy() { SingletonLock::release(lock); }

    SingletonLock::Lock lock;
    UrlHandoffReceiver receiver;
    QList<QUrl> received;
    int reopens = 0;
};

TEST(SecondCopy, HandsOverItsLinksOrAReopenButNothingWhenEveryLinkIsRefused)
{
    ProgramSession session;
    StandInRunningCopy running(session);
    ASSERT_TRUE(running.lock.isHeld());
    ASSERT_TRUE(running.receiver.listen(session.socketPath(session.runtimeFolder())));

    Finished copy = session.run({QStringLiteral("lumivo://notify?type=call&detail=%ZZ")});
    EXPECT_EQ(copy.exitCode, 0) << copy.errors.toStdString();
    copy = session.run({QStringLiteral("not-a-link"), QStringLiteral("lumivo://notify?type=call&detail=Front%20desk")});
    EXPECT_EQ(copy.exitCode, 0) << copy.errors.toStdString();
    EXPECT_EQ(running.received, QList<QUrl>{QUrl(QStringLiteral("lumivo://notify?type=call&detail=Front%20desk"))});
    EXPECT_EQ(running.reopens, 0) << "a refused link must not act as a reopen";

    copy = session.run({});
    EXPECT_EQ(copy.exitCode, 0) << copy.errors.toStdString();
    EXPECT_EQ(running.reopens, 1);
}

TEST(SecondCopy, WaitsForARunningCopyThatIsStillStartingAndSaysSoWhenItNeverListens)
{
    ProgramSession session;
    StandInRunningCopy running(session);
    ASSERT_TRUE(running.lock.isHeld());

    // The running copy starts listening only after the second copy found nobody there.
    session.logHandoffs();
    QProcess copy;
    session.start(copy, {QStringLiteral("lumivo://notify?type=email&detail=Invoice")});
    QByteArray errors;
    ASSERT_TRUE(waitUntil([&] { return (errors += copy.readAllStandardError()).contains("nobody listens at"); }, 15000))
        << errors.toStdString();
    ASSERT_TRUE(running.receiver.listen(session.socketPath(session.runtimeFolder())));
    ASSERT_TRUE(waitUntil([&] { return copy.state() == QProcess::NotRunning; }, 15000));
    EXPECT_EQ(copy.exitCode(), 0) << (errors + copy.readAllStandardError()).toStdString();
    EXPECT_EQ(running.received.size(), 1);

    // One that never listens: the second copy gives up, says why and fails.
    running.receiver.close();
    const Finished gaveUp = session.run({QStringLiteral("lumivo://notify?type=email&detail=Lost")});
    EXPECT_EQ(gaveUp.exitCode, 1);
    EXPECT_TRUE(gaveUp.errors.contains(
        QStringLiteral("lumivo-companion: could not hand over to the running copy: nobody listens at ")))
        << gaveUp.errors.toStdString();
}

TEST(SecondCopy, TakesOverWhenTheRunningCopyQuitsAndLeavesNoSocketAfterItsOwnQuit)
{
    ProgramSession session;
    session.logHandoffs();
    QProcess second;
    {
        // The running copy quits while the second one is waiting for it to listen.
        StandInRunningCopy running(session);
        session.start(second, {QStringLiteral("lumivo://notify?type=email&detail=Invoice")});
        second.setReadChannel(QProcess::StandardError);
        ASSERT_TRUE(waitUntil([&] { return second.peek(1 << 20).contains("nobody listens at"); }, 15000));
    }
    // The lock came free: the second copy runs as the companion itself.
    const QString socket = session.socketPath(session.runtimeFolder());
    ASSERT_TRUE(waitUntil([&] { return UrlHandoff::isPrivateSocket(socket); }, 15000))
        << second.readAllStandardError().toStdString();
    EXPECT_EQ(second.state(), QProcess::Running);

    ::kill(pid_t(second.processId()), SIGTERM);
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_FALSE(QFile::exists(socket)) << "the socket file outlived a clean quit";
    SingletonLock::Lock after = SingletonLock::acquire(session.lockPath(session.runtimeFolder()));
    EXPECT_TRUE(after.isHeld()) << "the lock outlived a clean quit";
    SingletonLock::release(after);
}

TEST(SecondCopy, ALinkGoesToTheOtherEditionsCopyWhenNoneOfItsOwnRuns)
{
    ProgramSession session;
    const QString link = QStringLiteral("lumivo://notify?type=call&detail=Front%20desk");
    const QString folder = session.runtimeFolder();
    const auto holdsLock = [&](const QString& edition) {
        SingletonLock::Lock probe = SingletonLock::acquire(session.lockPath(folder, edition));
        const bool free = probe.isHeld();
        SingletonLock::release(probe);
        return !free;
    };
    {
        // An employee copy that is still starting: the command center's copy waits for it.
        StandInRunningCopy employee(session, QStringLiteral("employee"));
        QProcess commandCenter;
        session.start(commandCenter, {link});
        ASSERT_TRUE(waitUntil([&] { return holdsLock(QStringLiteral("commandCenter")); }));
        ASSERT_TRUE(employee.receiver.listen(session.socketPath(folder, QStringLiteral("employee"))));
        ASSERT_TRUE(waitUntil([&] { return commandCenter.state() == QProcess::NotRunning; }, 15000));
        EXPECT_EQ(commandCenter.exitCode(), 0) << commandCenter.readAllStandardError().toStdString();
        EXPECT_EQ(employee.received, QList<QUrl>{QUrl(link)});
        EXPECT_FALSE(holdsLock(QStringLiteral("commandCenter")));

        // A plain start is no link: the command center starts beside it.
        QProcess reopened;
        session.start(reopened);
        EXPECT_TRUE(waitUntil([&] { return UrlHandoff::isPrivateSocket(session.socketPath(folder)); }, 15000));
        ::kill(pid_t(reopened.processId()), SIGTERM);
        ASSERT_TRUE(reopened.waitForFinished(10000));
        EXPECT_EQ(employee.reopens, 0);
    }
    // A command center copy that is still starting: the employee edition does
    // not wait for it, so two copies deciding at once never wait for each other.
    StandInRunningCopy commandCenter(session);
    QProcess employee;
    session.start(employee, {link}, QStringLiteral("lumivo-companion-employee"));
    // Had it waited, it would listen only once its patience ran out.
    const auto waitingTime = std::chrono::duration_cast<std::chrono::milliseconds>(SecondCopy::patience).count();
    const QString employeeSocket = session.socketPath(folder, QStringLiteral("employee"));
    EXPECT_TRUE(waitUntil([&] { return UrlHandoff::isPrivateSocket(employeeSocket); }, int(waitingTime) - 2000))
        << employee.readAllStandardError().toStdString();
    ::kill(pid_t(employee.processId()), SIGTERM);
    ASSERT_TRUE(employee.waitForFinished(10000));
    EXPECT_EQ(employee.exitCode(), 0);
}

TEST(SecondCopy, NeverPutsItsLockOrSocketWhereOthersCanReach)
{
    ProgramSession session;
    // A runtime folder open to others: the companion keeps to a closed folder of its own.
    ASSERT_EQ(::chmod(QFile::encodeName(session.runtimeFolder()).constData(), 0777), 0);
    QProcess companion;
    session.start(companion);
    const QString socket = session.socketPath(session.fallbackFolder());
    ASSERT_TRUE(waitUntil([&] { return UrlHandoff::isPrivateSocket(socket); }, 15000))
        << companion.readAllStandardError().toStdString();
    EXPECT_TRUE(QFile::exists(session.lockPath(session.fallbackFolder())));
    EXPECT_FALSE(QFile::exists(session.lockPath(session.runtimeFolder())));
    ::kill(pid_t(companion.processId()), SIGTERM);
    ASSERT_TRUE(companion.waitForFinished(10000));

    // A link planted where the lock goes is never followed.
    const QString target = QDir(session.runtimeFolder()).filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QFile::remove(session.lockPath(session.fallbackFolder())));
    ASSERT_TRUE(QFile::link(target, session.lockPath(session.fallbackFolder())));
    Finished refused = session.run({});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.errors.trimmed(),
              QStringLiteral("lumivo-companion: cannot use the lock file %1: it is a symbolic link")
                  .arg(session.lockPath(session.fallbackFolder())));
    EXPECT_FALSE(QFile::exists(target));

    // No private folder at all: it says why it stops.
    ASSERT_EQ(::chmod(QFile::encodeName(session.fallbackFolder()).constData(), 0755), 0);
    refused = session.run({});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.errors.trimmed(),
              QStringLiteral("lumivo-companion: no private folder for the lock and the socket: "
                             "%1 is open to other users; %2 is open to other users")
                  .arg(session.runtimeFolder(), session.fallbackFolder()));

    if (::geteuid() == 0) {
        // A runtime folder of another user, as /tmp/runtime-$USER made by someone else.
        ASSERT_EQ(::chmod(QFile::encodeName(session.runtimeFolder()).constData(), 0700), 0);
        ASSERT_EQ(::chown(QFile::encodeName(session.runtimeFolder()).constData(), 65534, 65534), 0);
        refused = session.run({});
        EXPECT_EQ(refused.exitCode, 1);
        EXPECT_TRUE(refused.errors.contains(session.runtimeFolder() + QStringLiteral(" belongs to another user")))
            << refused.errors.toStdString();
        ::chown(QFile::encodeName(session.runtimeFolder()).constData(), 0, 0);
    }
}

} // namespace
