// Starts the built programs as a user would and stops them as a session end does.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QDir>
#include <QFileInfo>

#include <csignal>

namespace {

const QString programs = QStringLiteral(LUMIVO_BINARY_DIR "/src/");

// Each start gets folders of its own: its lock, socket and settings never
// meet those of another test running at the same time.
void startOffscreen(QProcess& process, const QString& program)
{
    static QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    process.setProcessEnvironment(environment);
    process.start(program, {});
}

TEST(Program, BothEditionsStartAndQuitCleanlyWhenAskedToTerminate)
{
    for (const QString& name : {QStringLiteral("lumivo-companion"), QStringLiteral("lumivo-companion-employee")}) {
        QProcess process;
        startOffscreen(process, programs + name);
        ASSERT_TRUE(process.waitForStarted(10000)) << name.toStdString();
        EXPECT_FALSE(process.waitForFinished(1000)) << "it keeps running: " << process.readAllStandardError().toStdString();

        ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << name.toStdString();
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    }
}

TEST(Program, StopsWithItsMessageWhenTheResourceBundleIsMissing)
{
    QTemporaryDir elsewhere;
    const QString copy = elsewhere.filePath(QStringLiteral("bin/lumivo-companion"));
    QDir().mkpath(elsewhere.filePath(QStringLiteral("bin")));
    ASSERT_TRUE(QFile::copy(programs + QStringLiteral("lumivo-companion"), copy));
    QFile::setPermissions(copy, QFile::permissions(copy) | QFileDevice::ExeOwner);

    QProcess process;
    startOffscreen(process, copy);
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_NE(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0, true);
    const QString message = QString::fromUtf8(process.readAllStandardError()).trimmed();
    const QString bin = QFileInfo(copy).canonicalPath();
    EXPECT_EQ(message, QStringLiteral("could not load resource bundle: from ") + bin
                           + QStringLiteral("/lumivo-companion.resources, ") + QDir::cleanPath(bin + QStringLiteral("/../share/lumivo-companion")));
}

} // namespace
