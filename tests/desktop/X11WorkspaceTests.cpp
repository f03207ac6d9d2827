#include "StandInApplication.h"
#include "platform/desktop/ApplicationDirectory.h"
#include "platform/desktop/LinuxDesktop.h"
#include "platform/desktop/XdgApplications.h"
#include "platform/x11/EwmhClients.h"
#include "platform/x11/X11ApplicationWindows.h"
#include "platform/x11/X11Workspace.h"
#include "support/ApplicationFolder.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QSignalSpy>

#include <vector>

namespace {

class X11WorkspaceTest : public ::testing::Test {
protected:
    // Starts the stand-in with windows and waits until the window manager
    // has managed all of them and focused the newest.
    qint32 start(const QString& windowClass, int windows = 1, QStringList more = {})
    {
        // A lone dialog is an application window; a palette or a dock is not.
        const bool normalType = !more.contains(QStringLiteral("--window-type"))
            || more.contains(QStringLiteral("_NET_WM_WINDOW_TYPE_DIALOG"));
        const int normalWindows = normalType ? windows : 0;
        more << QStringLiteral("--windows") << QString::number(windows) << QStringLiteral("--class") << windowClass;
        applications.emplace_back(more);
        const qint32 process = applications.back().processIdentifier();
        const bool up = eventually([&] {
            const auto application = workspace->withProcessIdentifier(process);
            return application && (application->active || !application->regular)
                && windowList.windows(process).value_or(QList<ApplicationWindows::WindowId>()).size() == normalWindows;
        });
        EXPECT_TRUE(up) << windowClass.toStdString();
        // The changes that led here are read by now; announce them before
        // the test starts listening.
        QCoreApplication::processEvents();
        return process;
    }

    ApplicationFolder folder;
    ApplicationDirectory directory{{folder.path()}};
    std::unique_ptr<X11Workspace> workspace = X11Workspace::open(LinuxDesktop::identifyingWindowsBy(directory));
    X11ApplicationWindows windowList;
    std::vector<StandInApplication> applications;
};

TEST_F(X11WorkspaceTest, NamesApplicationsByTheirEntryElseTheirWindowClass)
{
    const QString iconFile = folder.filePath(QStringLiteral("notes.png"));
    QImage picture(24, 24, QImage::Format_ARGB32);
    picture.fill(Qt::darkGreen);
    ASSERT_TRUE(picture.save(iconFile));
    folder.addApplication(QStringLiteral("org.example.Notes"), QStringLiteral("Example Notes"),
                          "StartupWMClass=Notes-window\nIcon=" + iconFile.toUtf8() + '\n');
    folder.addApplication(QStringLiteral("org.example.Paint"), QStringLiteral("Example Paint"),
                          "StartupWMClass=Paint-window\nIcon=" + iconFile.toUtf8() + '\n');

    const qint32 notes = start(QStringLiteral("Notes-window"));
    const qint32 paint = start(QStringLiteral("Paint-window"), 1, {QStringLiteral("--icon")});
    const qint32 chrome = start(QStringLiteral("Google-chrome"));
    const qint32 unlisted = start(QStringLiteral("Unlisted"), 1, {QStringLiteral("--icon")});
    const qint32 classless = start(QString());

    const auto notesApplication = workspace->withProcessIdentifier(notes);
    EXPECT_EQ(notesApplication->localizedName, QStringLiteral("Example Notes"));
    EXPECT_EQ(notesApplication->bundleIdentifier, QStringLiteral("org.example.Notes"));
    // Openbox gives a window without an icon one of its own, so the entry's
    // icon never shows here.
    EXPECT_TRUE(notesApplication->icon);
    // A window's own icon comes before its entry's.
    const auto paintApplication = workspace->withProcessIdentifier(paint);
    EXPECT_EQ(paintApplication->localizedName, QStringLiteral("Example Paint"));
    ASSERT_TRUE(paintApplication->icon);
    EXPECT_EQ(paintApplication->icon->availableSizes(), QList<QSize>({QSize(16, 16)}));

    // A known application is identified even without an installed entry.
    EXPECT_EQ(workspace->firstWithBundleIdentifier(QStringLiteral("com.google.Chrome"))->processIdentifier, chrome);
    EXPECT_EQ(workspace->withProcessIdentifier(chrome)->localizedName, QStringLiteral("Google-chrome"));

    const auto unlistedApplication = workspace->withProcessIdentifier(unlisted);
    EXPECT_EQ(unlistedApplication->localizedName, QStringLiteral("Unlisted"));
    EXPECT_TRUE(unlistedApplication->bundleIdentifier.isEmpty());
    ASSERT_TRUE(unlistedApplication->icon);
    EXPECT_EQ(unlistedApplication->icon->availableSizes(), QList<QSize>({QSize(16, 16)}));

    EXPECT_TRUE(workspace->withProcessIdentifier(classless)->localizedName.isEmpty());
}

TEST_F(X11WorkspaceTest, ListsApplicationsOldestFirstAndOnlyNormalWindowsMakeThemRegular)
{
    const qint32 first = start(QStringLiteral("First"));
    const qint32 palette = start(QStringLiteral("Palette"), 1,
                                 {QStringLiteral("--window-type"), QStringLiteral("_NET_WM_WINDOW_TYPE_UTILITY")});
    const qint32 last = start(QStringLiteral("Last"));

    QList<qint32> order;
    for (const RunningApplication& application : workspace->runningApplications())
        order.append(application.processIdentifier);
    EXPECT_EQ(order, QList<qint32>({first, palette, last}));
    EXPECT_TRUE(workspace->withProcessIdentifier(first)->regular);
    EXPECT_FALSE(workspace->withProcessIdentifier(palette)->regular);
    EXPECT_TRUE(workspace->withProcessIdentifier(last)->active);
    EXPECT_FALSE(workspace->withProcessIdentifier(first)->active);
}

TEST_F(X11WorkspaceTest, AWindowsProcessIsTheOneTheServerNamesNotTheOneItClaims)
{
    // A process without windows, whose number a window claims as its own.
    QProcess bystander;
    bystander.start(QStringLiteral("sleep"), {QStringLiteral("600")});
    ASSERT_TRUE(bystander.waitForStarted());
    const qint32 claimed = qint32(bystander.processId());
    const qint32 liar = start(QStringLiteral("Liar"), 1, {QStringLiteral("--claim-pid"), QString::number(claimed)});
    const qint32 silent = start(QStringLiteral("Silent"), 1, {QStringLiteral("--claim-pid"), QStringLiteral("0")});
    const qint32 dialog = start(QStringLiteral("Lone-dialog"), 1,
                                {QStringLiteral("--window-type"), QStringLiteral("_NET_WM_WINDOW_TYPE_DIALOG")});
    for (const qint32 process : {liar, silent, dialog})
        EXPECT_TRUE(workspace->withProcessIdentifier(process)->regular) << process;
    EXPECT_FALSE(workspace->withProcessIdentifier(claimed));

    EXPECT_FALSE(workspace->terminate(claimed));
    EXPECT_FALSE(workspace->forceTerminate(claimed));
    EXPECT_FALSE(bystander.waitForFinished(300)) << "a process named only by a window was killed";
    EXPECT_TRUE(workspace->forceTerminate(liar));
    EXPECT_TRUE(applications.front().waitForExit());
    bystander.kill();
    bystander.waitForFinished();
}

TEST_F(X11WorkspaceTest, ActivatingAllWindowsRaisesEveryOneAboveOtherApplications)
{
    const qint32 behind = start(QStringLiteral("Behind"), 2);
    const qint32 front = start(QStringLiteral("Front"));
    const QList<ApplicationWindows::WindowId> frontWindows = *windowList.windows(front);

    ASSERT_TRUE(workspace->activateAllWindows(behind));
    ASSERT_TRUE(eventually([&] { return workspace->withProcessIdentifier(behind)->active; }));
    // The front application's window is now below both of the other's.
    EXPECT_TRUE(eventually([&] {
        auto connection = XcbConnection::open();
        const auto stacking = EwmhClients(*connection).stackingOrder().value_or(QList<xcb_window_t>());
        const QList<ApplicationWindows::WindowId> behindWindows =
            windowList.windows(behind).value_or(QList<ApplicationWindows::WindowId>());
        return behindWindows.size() == 2 && stacking.indexOf(frontWindows.first()) < stacking.indexOf(behindWindows[0])
            && stacking.indexOf(frontWindows.first()) < stacking.indexOf(behindWindows[1]);
    }));
}

TEST_F(X11WorkspaceTest, AnnouncesEachApplicationThatBecomesActive)
{
    const qint32 first = start(QStringLiteral("First"));
    const qint32 second = start(QStringLiteral("Second"));
    QSignalSpy activated(workspace.get(), &Workspace::applicationActivated);
    ASSERT_TRUE(workspace->activateAllWindows(first));
    ASSERT_TRUE(eventually([&] { return activated.count() == 1; }));
    ASSERT_TRUE(workspace->activateAllWindows(second));
    ASSERT_TRUE(eventually([&] { return activated.count() == 2; }));
    // Activating what is already active is no change.
    ASSERT_TRUE(workspace->activateAllWindows(second));
    EXPECT_FALSE(eventually([&] { return activated.count() > 2; }, 300));
}

TEST_F(X11WorkspaceTest, OpeningARunningApplicationBringsItBackInsteadOfStartingIt)
{
    folder.addApplication(QStringLiteral("org.example.Notes"), QStringLiteral("Example Notes"), {},
                          "--windows 1 --class org.example.Notes");
    XdgApplications installed(directory, *workspace);
    const QString path = QStringLiteral("/Applications/Example Notes.app");

    std::optional<bool> opened;
    installed.openApplication(path, [&](bool outcome) { opened = outcome; });
    ASSERT_TRUE(eventually([&] { return opened.has_value(); }));
    EXPECT_TRUE(*opened);
    ASSERT_TRUE(eventually(
        [&] { return workspace->firstWithBundleIdentifier(QStringLiteral("org.example.Notes")).has_value(); }));
    const qint32 process = workspace->firstWithBundleIdentifier(QStringLiteral("org.example.Notes"))->processIdentifier;
    ASSERT_TRUE(eventually([&] { return workspace->withProcessIdentifier(process)->active; }));
    ASSERT_TRUE(workspace->hide(process));
    ASSERT_TRUE(eventually([&] { return workspace->withProcessIdentifier(process)->hidden; }));

    QFile::remove(folder.recordOf(QStringLiteral("org.example.Notes")));
    opened.reset();
    installed.openApplication(path, [&](bool outcome) { opened = outcome; });
    ASSERT_TRUE(eventually([&] { return opened.has_value(); }));
    EXPECT_TRUE(*opened);
    EXPECT_TRUE(eventually([&] {
        const auto application = workspace->withProcessIdentifier(process);
        return application && application->active && !application->hidden;
    }));
    EXPECT_FALSE(QFile::exists(folder.recordOf(QStringLiteral("org.example.Notes"))));
    workspace->forceTerminate(process);
}

} // namespace
