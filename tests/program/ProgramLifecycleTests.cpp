// Starts the built programs as a user would and stops them as a session end does.
#include "support/QtPrinters.h"
#include "support/SmallFileSystem.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

const QString programs = QStringLiteral(LUMIVO_BINARY_DIR "/src/");

// Each start gets folders of its own: its lock, socket and settings never
// meet those of another test running at the same time. A test may name the
// folder to use instead.
void startOffscreen(QProcess& process, const QString& program, const QString& folder = {})
{
    static QTemporaryDir home;
    const QDir used(folder.isEmpty() ? home.path() : folder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), used.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), used.filePath(QStringLiteral("config")));
    process.setProcessEnvironment(environment);
    process.start(program, {});
}

TEST(Program, BothEditionsStartAndQuitCleanlyWhenAskedToTerminate)
{
    for (const QString& name : {QStringLiteral("lumivo-companion"), QStringLiteral("lumivo-companion-employee")}) {
        QProcess process;
        startOffscreen(process, programs + name);
        ASSERT_TRUE(process.waitForStarted(10000)) << name.toStdString();
        EXPECT_FALSE(process.waitForFinished(1000))
            << "it keeps running: " << process.readAllStandardError().toStdString();

        ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << name.toStdString();
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    }
}

TEST(Program, HelpVersionAndAMistypedOptionEndItBeforeAnyLockOrWindow)
{
    const struct {
        QStringList arguments;
        int exitCode;
        const char* output; // the start of standard output
        const char* errors; // the start of standard error
    } cases[] = {
        {{QStringLiteral("--help")}, 0, "Usage: lumivo-companion-employee [options] [link...]\n", ""},
        {{QStringLiteral("--version"), QStringLiteral("lumivo://schedule")},
         0,
         "lumivo-companion-employee " LUMIVO_PROJECT_VERSION "\n",
         ""},
        {{QStringLiteral("lumivo://schedule"), QStringLiteral("--bogus")},
         2,
         "",
         "lumivo-companion-employee: Unknown option 'bogus'.\n"},
    };
    for (const auto& [arguments, exitCode, output, errors] : cases) {
        // No display to show a window on: a copy that went on to start would fail.
        QTemporaryDir runtime;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(programs + QStringLiteral("lumivo-companion-employee"), arguments);
        ASSERT_TRUE(process.waitForFinished(10000)) << arguments.join(u' ').toStdString();
        const QString standardError = QString::fromUtf8(process.readAllStandardError());
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), exitCode) << standardError.toStdString();
        EXPECT_EQ(QString::fromUtf8(process.readAllStandardOutput()).left(qstrlen(output)), QString::fromUtf8(output));
        EXPECT_EQ(standardError.left(qstrlen(errors)), QString::fromUtf8(errors));
        EXPECT_TRUE(QDir(runtime.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System))
            << "it took the lock or listened: " << arguments.join(u' ').toStdString();
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
    EXPECT_EQ(message,
              QStringLiteral("could not load resource bundle: from ") + bin
                  + QStringLiteral("/lumivo-companion.resources, ")
                  + QDir::cleanPath(bin + QStringLiteral("/../share/lumivo-companion")));
}

// At the settings path: a FIFO, or more than the companion reads on a disk
// without room to keep a copy of it.
class UnsavableSettings : public ::testing::TestWithParam<bool> { };

TEST_P(UnsavableSettings, TheCompanionRunsOnLeavesThemAsTheyWereAndSaysOnceWhy)
{
    const bool fullDisk = GetParam();
    QTemporaryDir home;
    const QString settings = home.filePath(QStringLiteral("config/lumivo-companion/settings.json"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(settings).path()));
    const QByteArray saved = R"({"lumivo-companion-appearance": "dark", "lumivo-companion-panel-x": 40,
        "lumivo-companion-personal-apps": [)"
        + QByteArray(R"("/opt/app.desktop", )").repeated(80000) + R"("/b"]})";
    const SmallFileSystem disk(QFileInfo(settings).path(), saved.size() + 76 * 1024);
    if (fullDisk && !disk.mounted)
        GTEST_SKIP() << "mounting a small file system needs root";
    QFile file(settings);
    ASSERT_TRUE(fullDisk ? file.open(QIODevice::WriteOnly) && file.write(saved)
                         : ::mkfifo(QFile::encodeName(settings).constData(), 0600) == 0);
    file.close();

    QProcess process;
    process.setReadChannel(QProcess::StandardError);
    startOffscreen(process, programs + QStringLiteral("lumivo-companion"), home.path());
    ASSERT_TRUE(process.waitForStarted(10000));
    QByteArray said;
    while (!said.contains('\n') && process.waitForReadyRead(10000))
        said += process.readAllStandardError();
    // Blocked on the FIFO, it would not end on request.
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(10000));
    said += process.readAllStandardError();
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(said).count(fullDisk ? u"could not be kept"_s : u"settings are not saved"_s), 1)
        << said.toStdString();
    EXPECT_TRUE(said.contains(QFile::encodeName(settings) + (fullDisk ? " (larger than" : " is not a regular file")))
        << said.toStdString();
    EXPECT_TRUE(fullDisk ? file.open(QIODevice::ReadOnly) && file.readAll() == saved : !QFileInfo(settings).isFile())
        << "every saved value kept, or still the FIFO";
    EXPECT_EQ(QDir(QFileInfo(settings).path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
              QStringList{u"settings.json"_s});
}

INSTANTIATE_TEST_SUITE_P(Program, UnsavableSettings, ::testing::Bool());

} // namespace
