// Programs the companion starts begin with no signal blocked or ignored,
// whatever the companion itself blocks (its termination signals) or a
// library ignores.
#include "platform/desktop/XdgApplications.h"
#include "platform/fake/FakeWorkspace.h"
#include "support/ApplicationFolder.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QProcess>

#include <csignal>

namespace {

const QStringList cleanSignalState{QStringLiteral("SigBlk:\t0000000000000000"),
                                   QStringLiteral("SigIgn:\t0000000000000000")};

class ChildSignalState : public ::testing::Test {
protected:
    ChildSignalState()
    {
        sigset_t termination;
        sigemptyset(&termination);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP})
            sigaddset(&termination, signal);
        pthread_sigmask(SIG_BLOCK, &termination, &m_savedMask);
        // As a shell does for a program it starts in the background.
        m_savedQuitAction = std::signal(SIGQUIT, SIG_IGN);

        const QByteArray root = QFileInfo(folder.path()).path().toUtf8();
        qputenv("XDG_DATA_HOME", root);
        qputenv("XDG_DATA_DIRS", root);
        qputenv("XDG_CONFIG_HOME", root);
    }
    ~ChildSignalState() override
    {
        std::signal(SIGQUIT, m_savedQuitAction);
        pthread_sigmask(SIG_SETMASK, &m_savedMask, nullptr);
    }

    // An entry whose program records the signal state it started with.
    void addRecordingApplication(const QString& id, const QString& name, const QByteArray& extraLines = {})
    {
        folder.addApplication(id, name, extraLines, "--signals " + folder.signalsOf(id).toUtf8() + " %U");
    }

    ApplicationFolder folder;
    ApplicationDirectory directory{{folder.path()}};
    FakeWorkspace workspace;
    XdgApplications applications{directory, workspace};

private:
    sigset_t m_savedMask;
    void (*m_savedQuitAction)(int) = SIG_DFL;
};

TEST_F(ChildSignalState, APlainChildWouldInheritWhatTheCompanionBlocksAndIgnores)
{
    // The state these tests give the companion is passed on unless undone.
    const QString record = folder.signalsOf(QStringLiteral("plain"));
    ASSERT_TRUE(QProcess::startDetached(QStringLiteral(LUMIVO_TEST_APP), {QStringLiteral("--signals"), record}));
    const auto inherited = folder.waitForSignals(QStringLiteral("plain"));
    ASSERT_TRUE(inherited);
    EXPECT_NE(*inherited, cleanSignalState);
}

TEST_F(ChildSignalState, EveryWayOfStartingAProgramStartsItClean)
{
    if (ranAgainWithOwnXdgFolders())
        return;
    // All written before the desktop's application database is first read.
    addRecordingApplication(QStringLiteral("slack"), QStringLiteral("Slack"));
    addRecordingApplication(QStringLiteral("handler"), QStringLiteral("Handler"),
                            "MimeType=x-scheme-handler/lumivo-test;\n");
    folder.write(QStringLiteral("../mimeapps.list"),
                 "[Default Applications]\nx-scheme-handler/lumivo-test=handler.desktop\n");

    std::optional<bool> opened;
    applications.openApplication(QStringLiteral("/Applications/Slack.app"), [&](bool outcome) { opened = outcome; });
    EXPECT_EQ(folder.waitForSignals(QStringLiteral("slack")), cleanSignalState) << "a desktop entry";

    applications.openURL(QUrl(QStringLiteral("lumivo-test:page")));
    EXPECT_EQ(folder.waitForSignals(QStringLiteral("handler")), cleanSignalState) << "the default handler";

    const QString record = folder.signalsOf(QStringLiteral("executable"));
    ASSERT_TRUE(applications.startNewInstance(QStringLiteral(LUMIVO_TEST_APP), {QStringLiteral("--signals"), record}));
    EXPECT_EQ(folder.waitForSignals(QStringLiteral("executable")), cleanSignalState) << "a program file";
}

} // namespace
