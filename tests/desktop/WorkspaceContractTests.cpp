// The same behaviour asked of the in-memory workspace and of the X11 one, so
// tests written against the stand-in hold on the desktop.
#include "StandInApplication.h"
#include "platform/desktop/ApplicationDirectory.h"
#include "platform/desktop/LinuxDesktop.h"
#include "platform/fake/FakeWorkspace.h"
#include "platform/x11/X11ApplicationWindows.h"
#include "platform/x11/X11Workspace.h"
#include "support/ApplicationFolder.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include <vector>

namespace {

class FakeWorkspaceHarness {
public:
    Workspace& workspace() { return m_workspace; }

    qint32 start(bool refusesToQuit = false)
    {
        RunningApplication application;
        application.processIdentifier = m_next++;
        application.localizedName = QStringLiteral("Stand-in");
        application.regular = true;
        if (refusesToQuit)
            m_workspace.refusingToQuit.insert(application.processIdentifier);
        m_workspace.launch(application);
        return application.processIdentifier;
    }

private:
    FakeWorkspace m_workspace;
    qint32 m_next = 4100;
};

class X11WorkspaceHarness {
public:
    Workspace& workspace() { return *m_workspace; }

    qint32 start(bool refusesToQuit = false)
    {
        QStringList arguments{QStringLiteral("--windows"), QStringLiteral("2"), QStringLiteral("--class"),
                              QStringLiteral("Stand-in")};
        if (refusesToQuit)
            arguments.append(QStringLiteral("--refuse-close"));
        m_applications.emplace_back(arguments);
        const qint32 process = m_applications.back().processIdentifier();
        // Both of its windows are managed, and the window manager is done
        // giving the new window the focus (which would undo a minimise).
        eventually([&] {
            const auto application = m_workspace->withProcessIdentifier(process);
            return application && application->active
                && m_windows.windows(process).value_or(QList<ApplicationWindows::WindowId>()).size() == 2;
        });
        // The changes that led here are read by now; announce them before
        // the test starts listening.
        QCoreApplication::processEvents();
        return process;
    }

private:
    ApplicationDirectory m_directory{QStringList()};
    std::unique_ptr<X11Workspace> m_workspace = X11Workspace::open(LinuxDesktop::identifyingWindowsBy(m_directory));
    X11ApplicationWindows m_windows;
    std::vector<StandInApplication> m_applications;
};

template <typename Harness>
class WorkspaceContract : public ::testing::Test {
protected:
    std::optional<RunningApplication> find(qint32 process)
    {
        return harness.workspace().withProcessIdentifier(process);
    }
    template <typename Condition>
    bool eventuallyFor(qint32 process, Condition condition)
    {
        return eventually([&] {
            const auto application = find(process);
            return application && condition(*application);
        });
    }

    Harness harness;
};

using Harnesses = ::testing::Types<FakeWorkspaceHarness, X11WorkspaceHarness>;
class HarnessNames {
public:
    template <typename T>
    static std::string GetName(int)
    {
        return std::is_same_v<T, FakeWorkspaceHarness> ? "Fake" : "X11";
    }
};
TYPED_TEST_SUITE(WorkspaceContract, Harnesses, HarnessNames);

TYPED_TEST(WorkspaceContract, AStartedApplicationIsListedAndAnnounced)
{
    QSignalSpy launched(&this->harness.workspace(), &Workspace::applicationLaunched);
    const qint32 process = this->harness.start();
    const auto application = this->find(process);
    ASSERT_TRUE(application);
    EXPECT_TRUE(application->regular);
    EXPECT_EQ(application->localizedName, QStringLiteral("Stand-in"));
    EXPECT_NE(process, this->harness.workspace().ownProcessIdentifier());
    EXPECT_TRUE(eventually([&] { return launched.count() >= 1; }));
}

TYPED_TEST(WorkspaceContract, HidesAndUnhides)
{
    const qint32 process = this->harness.start();
    ASSERT_FALSE(this->find(process)->hidden);
    EXPECT_TRUE(this->harness.workspace().hide(process));
    EXPECT_TRUE(this->eventuallyFor(process, [](const RunningApplication& application) { return application.hidden; }));
    EXPECT_TRUE(this->harness.workspace().unhide(process));
    EXPECT_TRUE(
        this->eventuallyFor(process, [](const RunningApplication& application) { return !application.hidden; }));
}

TYPED_TEST(WorkspaceContract, ActivatingAllWindowsMakesTheApplicationActive)
{
    const qint32 first = this->harness.start();
    const qint32 second = this->harness.start();
    QSignalSpy activated(&this->harness.workspace(), &Workspace::applicationActivated);
    ASSERT_TRUE(this->harness.workspace().hide(first));
    EXPECT_TRUE(this->eventuallyFor(first, [](const RunningApplication& application) { return application.hidden; }));

    EXPECT_TRUE(this->harness.workspace().activateAllWindows(first));
    EXPECT_TRUE(this->eventuallyFor(
        first, [](const RunningApplication& application) { return application.active && !application.hidden; }));
    EXPECT_FALSE(this->find(second)->active);
    EXPECT_TRUE(eventually([&] { return activated.count() >= 1; }));
}

TYPED_TEST(WorkspaceContract, TerminatingEndsTheApplicationAndIsAnnounced)
{
    const qint32 process = this->harness.start();
    QSignalSpy terminated(&this->harness.workspace(), &Workspace::applicationTerminated);
    EXPECT_TRUE(this->harness.workspace().terminate(process));
    EXPECT_TRUE(eventually([&] { return !this->find(process); }));
    EXPECT_TRUE(eventually([&] { return terminated.count() >= 1; }));
}

TYPED_TEST(WorkspaceContract, AnApplicationThatRefusesToQuitEndsWhenForced)
{
    const qint32 process = this->harness.start(true);
    EXPECT_TRUE(this->harness.workspace().terminate(process));
    // A refusal shows only as the application staying; give it time to go.
    EXPECT_FALSE(eventually([&] { return !this->find(process); }, 500));
    EXPECT_TRUE(this->harness.workspace().forceTerminate(process));
    EXPECT_TRUE(eventually([&] { return !this->find(process); }));
}

TYPED_TEST(WorkspaceContract, RequestsForProcessesWithoutWindowsFail)
{
    this->harness.start();
    Workspace& workspace = this->harness.workspace();
    // Its own process shows no window: it must never be killed through here.
    for (const qint32 process : {workspace.ownProcessIdentifier(), 0, -1}) {
        EXPECT_FALSE(workspace.forceTerminate(process)) << process;
        EXPECT_FALSE(workspace.terminate(process)) << process;
        EXPECT_FALSE(workspace.hide(process)) << process;
        EXPECT_FALSE(workspace.unhide(process)) << process;
        EXPECT_FALSE(workspace.activateAllWindows(process)) << process;
    }
}

} // namespace
