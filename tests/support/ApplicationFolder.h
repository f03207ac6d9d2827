#pragma once

// A private XDG applications folder for the application tests, with desktop
// entries whose programs are the test stand-in application, waits that poll
// instead of sleeping, and a process of its own for a test that needs XDG
// folders of its own.

#include "support/WaitUntil.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Polls condition while serving events, for at most timeoutMs.
template <typename Condition>
bool eventually(Condition condition, int timeoutMs = 15000)
{
    return waitUntil([&] { return bool(condition()); }, timeoutMs);
}

// GLib reads the XDG folders once, at their first use, which may be an
// earlier test's in the same process: a test that needs folders of its own
// runs again in a process started with them. True in the test's process once
// that run has ended (its failures are this test's); false in the run itself.
// A run that has not ended within timeoutMs is stopped and fails the test.
inline bool ranAgainWithOwnXdgFolders(int timeoutMs = 300000)
{
    const char* const again = "LUMIVO_TEST_OWN_XDG_FOLDERS";
    if (qEnvironmentVariableIsSet(again))
        return false;
    QTemporaryDir root;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(again), QStringLiteral("1"));
    for (const char* variable : {"XDG_DATA_HOME", "XDG_CONFIG_HOME"})
        environment.insert(QString::fromLatin1(variable), root.path());
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    QProcess run;
    run.setProcessEnvironment(environment);
    run.setProcessChannelMode(QProcess::ForwardedChannels);
    run.start(QCoreApplication::applicationFilePath(),
              {QStringLiteral("--gtest_filter=%1.%2")
                   .arg(QLatin1String(test->test_suite_name()), QLatin1String(test->name()))});
    // One still running goes with its QProcess.
    const bool ended = run.waitForFinished(timeoutMs);
    EXPECT_TRUE(ended && run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0)
        << "the run with XDG folders of its own " << (ended ? "failed" : "did not end in time");
    return true;
}

class ApplicationFolder {
public:
    ApplicationFolder() { QDir(m_root.path()).mkpath(QStringLiteral("applications")); }

    QString path() const { return m_root.filePath(QStringLiteral("applications")); }
    QString filePath(const QString& name) const { return m_root.filePath(name); }

    // Writes applications/<relativePath> as given and returns its path.
    QString write(const QString& relativePath, const QByteArray& contents) const
    {
        const QString file = QDir(path()).filePath(relativePath);
        QDir().mkpath(QFileInfo(file).path());
        QFile out(file);
        if (out.open(QIODevice::WriteOnly))
            out.write(contents);
        return file;
    }

    // An application entry named name whose program records its command line
    // into the file recordOf(id) and then leaves (or shows windows).
    QString addApplication(const QString& id, const QString& name, const QByteArray& extraLines = {},
                           const QByteArray& arguments = "%U") const
    {
        return write(id + QStringLiteral(".desktop"),
                     "[Desktop Entry]\nType=Application\nName=" + name.toUtf8() + "\nExec=" + execLine(id) + ' '
                         + arguments + '\n' + extraLines);
    }

    QByteArray execLine(const QString& id) const
    {
        return QByteArray(LUMIVO_TEST_APP) + " --record " + recordOf(id).toUtf8();
    }

    QString recordOf(const QString& id) const { return filePath(id + QStringLiteral(".args")); }
    // Where the stand-in started with "--signals" and this path writes the
    // signals it started with blocked and ignored.
    QString signalsOf(const QString& id) const { return filePath(id + QStringLiteral(".signals")); }

    // The arguments the stand-in recorded after its --record option, once it
    // has run; none when it did not run in time.
    std::optional<QStringList> waitForRecord(const QString& id, int timeoutMs = 5000) const
    {
        const auto lines = waitForLines(recordOf(id), timeoutMs);
        return lines ? std::optional(lines->mid(2)) : std::nullopt;
    }

    // "SigBlk:\t..." and "SigIgn:\t..." as the stand-in saw them.
    std::optional<QStringList> waitForSignals(const QString& id, int timeoutMs = 5000) const
    {
        return waitForLines(signalsOf(id), timeoutMs);
    }

private:
    static std::optional<QStringList> waitForLines(const QString& path, int timeoutMs)
    {
        QFile file(path);
        if (!eventually([&] { return file.exists(); }, timeoutMs) || !file.open(QIODevice::ReadOnly))
            return std::nullopt;
        QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        lines.removeLast();
        return lines;
    }

    QTemporaryDir m_root;
};
