#include "platform/desktop/XdgApplications.h"
#include "platform/fake/FakeWorkspace.h"
#include "support/ApplicationFolder.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

class XdgApplicationsTest : public ::testing::Test {
protected:
    XdgApplicationsTest()
    {
        folder.addApplication(QStringLiteral("google-chrome"), QStringLiteral("Google Chrome"),
                              "Icon=/nonexistent.png\n");
        folder.addApplication(QStringLiteral("slack"), QStringLiteral("Slack"));
    }

    // Waits for the completion that openApplication promises to call later.
    std::optional<bool> open(const QString& path)
    {
        std::optional<bool> outcome;
        applications.openApplication(path, [&](bool opened) { outcome = opened; });
        EXPECT_FALSE(outcome.has_value()) << "the completion ran before openApplication returned";
        eventually([&] { return outcome.has_value(); });
        return outcome;
    }

    // Makes the entry id the desktop's default application for the types, in
    // an XDG configuration of the test's own.
    void makeDefaultHandler(const QString& id, const QByteArrayList& types, const QByteArray& arguments)
    {
        const QByteArray root = QFileInfo(folder.path()).path().toUtf8();
        qputenv("XDG_DATA_HOME", root);
        qputenv("XDG_DATA_DIRS", root);
        qputenv("XDG_CONFIG_HOME", root);
        QByteArray defaults = "[Default Applications]\n";
        for (const QByteArray& type : types)
            defaults += type + '=' + id.toUtf8() + ".desktop\n";
        folder.addApplication(id, id, "MimeType=" + types.join(';') + ";\n", arguments);
        folder.write(QStringLiteral("../mimeapps.list"), defaults);
    }

    RunningApplication running(qint32 processIdentifier, const QString& identifier)
    {
        RunningApplication application;
        application.processIdentifier = processIdentifier;
        application.bundleIdentifier = identifier;
        application.regular = true;
        application.hidden = true;
        return application;
    }

    ApplicationFolder folder;
    ApplicationDirectory directory{{folder.path()}};
    FakeWorkspace workspace;
    XdgApplications applications{directory, workspace};
};

TEST_F(XdgApplicationsTest, AnswersForInstalledApplicationsAndFiles)
{
    EXPECT_TRUE(applications.exists(QStringLiteral("/Applications/Google Chrome.app")));
    EXPECT_EQ(applications.bundleIdentifier(QStringLiteral("/Applications/Google Chrome.app")),
              QStringLiteral("com.google.Chrome"));
    EXPECT_EQ(applications.bundleIdentifier(QStringLiteral("/Applications/Slack.app")), QStringLiteral("slack"));

    EXPECT_FALSE(applications.exists(QStringLiteral("/System/Applications/Music.app")));
    EXPECT_FALSE(applications.bundleIdentifier(QStringLiteral("/System/Applications/Music.app")));
    // Any existing file exists; only applications have identifiers.
    const QString document = folder.filePath(QStringLiteral("notes.txt"));
    folder.write(QStringLiteral("../notes.txt"), "text");
    EXPECT_TRUE(applications.exists(document));
    EXPECT_FALSE(applications.bundleIdentifier(document));
    EXPECT_FALSE(applications.bundleIdentifier(QStringLiteral(LUMIVO_TEST_APP)));
}

TEST_F(XdgApplicationsTest, OpeningStartsTheApplicationWhenItIsNotRunning)
{
    EXPECT_EQ(open(QStringLiteral("/Applications/Slack.app")), true);
    EXPECT_EQ(folder.waitForRecord(QStringLiteral("slack")), QStringList());
    EXPECT_TRUE(workspace.requests.isEmpty());
}

TEST_F(XdgApplicationsTest, OpeningBringsUpTheRunningCopyInsteadOfASecond)
{
    workspace.applications = {running(41, QStringLiteral("slack")), running(42, QStringLiteral("com.google.Chrome"))};
    EXPECT_EQ(open(QStringLiteral("/Applications/Google Chrome.app")), true);
    EXPECT_EQ(
        workspace.requests,
        (QList<FakeWorkspace::Request>{{QStringLiteral("unhide"), 42}, {QStringLiteral("activateAllWindows"), 42}}));
    EXPECT_FALSE(folder.waitForRecord(QStringLiteral("google-chrome"), 300));
}

TEST(LaunchesInFlight, LastUntilTheWindowShowsOrTenSecondsPass)
{
    using namespace std::chrono_literals;
    const auto pressed = LaunchesInFlight::Clock::time_point() + 1h;
    LaunchesInFlight launches;
    launches.started(QStringLiteral("slack"), pressed);
    EXPECT_TRUE(launches.inFlight(QStringLiteral("slack"), pressed + 9900ms));
    EXPECT_FALSE(launches.inFlight(QStringLiteral("slack"), pressed + 10s)) << "it never showed a window";
    EXPECT_FALSE(launches.inFlight(QStringLiteral("chrome"), pressed));
    launches.arrived(QStringLiteral("slack"));
    EXPECT_FALSE(launches.inFlight(QStringLiteral("slack"), pressed + 1s));
}

TEST_F(XdgApplicationsTest, ARunningExecutableIsFoundByItsProgramFile)
{
    workspace.applications = {running(qint32(QCoreApplication::applicationPid()), QString())};
    EXPECT_EQ(open(QCoreApplication::applicationFilePath()), true);
    EXPECT_EQ(workspace.requests.size(), 2);
}

TEST_F(XdgApplicationsTest, OpeningWhatCannotStartCompletesWithFalse)
{
    EXPECT_EQ(open(QStringLiteral("/Applications/Fantastical.app")), false);
    EXPECT_EQ(open(folder.filePath(QStringLiteral("missing.desktop"))), false);
}

TEST_F(XdgApplicationsTest, HandsAddressesAndArgumentsToTheApplication)
{
    const QUrl search(QStringLiteral("https://www.google.com/"));
    applications.openURLs({search}, QStringLiteral("/Applications/Google Chrome.app"));
    EXPECT_EQ(folder.waitForRecord(QStringLiteral("google-chrome")), QStringList({search.toString()}));

    QFile::remove(folder.recordOf(QStringLiteral("google-chrome")));
    // A new copy is started even while one runs.
    workspace.applications = {running(42, QStringLiteral("com.google.Chrome"))};
    EXPECT_TRUE(applications.startNewInstance(QStringLiteral("/Applications/Google Chrome.app"),
                                              {QStringLiteral("--new-window"), search.toString()}));
    EXPECT_EQ(folder.waitForRecord(QStringLiteral("google-chrome")),
              QStringList({QStringLiteral("--new-window"), search.toString()}));
    EXPECT_FALSE(applications.startNewInstance(QStringLiteral("/Applications/ClickUp.app"), {}));
}

TEST_F(XdgApplicationsTest, AddressesForARunningApplicationBringItUpAndReachIt)
{
    workspace.applications = {running(42, QStringLiteral("com.google.Chrome"))};
    const QUrl search(QStringLiteral("https://www.google.com/"));
    applications.openURLs({search}, QStringLiteral("/Applications/Google Chrome.app"));
    EXPECT_EQ(
        workspace.requests,
        (QList<FakeWorkspace::Request>{{QStringLiteral("unhide"), 42}, {QStringLiteral("activateAllWindows"), 42}}));
    EXPECT_EQ(folder.waitForRecord(QStringLiteral("google-chrome")), QStringList({search.toString()}));
}

TEST_F(XdgApplicationsTest, TheOtherDesktopsSettingsPanesOpenNothing)
{
    if (ranAgainWithOwnXdgFolders())
        return;
    // Even where something claims their scheme.
    makeDefaultHandler(QStringLiteral("settings"), {"x-scheme-handler/x-apple.systempreferences"}, "%u");
    const QUrl pane(QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_Automation"));
    ASSERT_TRUE(openWithDefaultApplication(pane));
    ASSERT_TRUE(folder.waitForRecord(QStringLiteral("settings")));
    QFile::remove(folder.recordOf(QStringLiteral("settings")));

    applications.openURL(pane);
    EXPECT_FALSE(folder.waitForRecord(QStringLiteral("settings"), 500));
}

TEST_F(XdgApplicationsTest, AnApplicationsFileAddressStartsTheApplicationAndNeverOpensItsText)
{
    if (ranAgainWithOwnXdgFolders())
        return;
    makeDefaultHandler(QStringLiteral("editor"), {"application/x-desktop", "text/plain", "application/x-shellscript"},
                       "%f");
    const QString entry = folder.addApplication(QStringLiteral("notes"), QStringLiteral("Notes"));
    // An entry whose program is not installed, and a bundle path that names nothing.
    const QString broken = folder.write(QStringLiteral("../broken.desktop"),
                                        "[Desktop Entry]\nType=Application\nName=Broken\nExec=/nonexistent/broken\n");
    const QString script = folder.write(QStringLiteral("../script.sh"), "#!/bin/sh\n");
    QFile(script).setPermissions(QFile::ReadOwner | QFile::ExeOwner);

    applications.openURL(QUrl::fromLocalFile(QStringLiteral("/Applications/Slack.app")));
    EXPECT_EQ(folder.waitForRecord(QStringLiteral("slack")), QStringList());
    applications.openURL(QUrl::fromLocalFile(entry));
    EXPECT_EQ(folder.waitForRecord(QStringLiteral("notes")), QStringList());
    for (const QString& path : {broken, script, QStringLiteral("/Applications/Nothing Here.app")})
        applications.openURL(QUrl::fromLocalFile(path));
    EXPECT_FALSE(folder.waitForRecord(QStringLiteral("editor"), 500)) << "an editor opened an application's file";

    // A document still opens with its handler.
    applications.openURL(QUrl::fromLocalFile(folder.write(QStringLiteral("../notes.txt"), "text")));
    EXPECT_TRUE(folder.waitForRecord(QStringLiteral("editor")));
}

TEST_F(XdgApplicationsTest, IconsFallBackToAGenericOne)
{
    QIcon::setThemeName(QString());
    // The entry names an icon file that is not there.
    EXPECT_FALSE(applications.icon(QStringLiteral("/Applications/Google Chrome.app")).pixmap(16).isNull());
    EXPECT_FALSE(applications.icon(QStringLiteral("/Applications/Nothing Here.app")).pixmap(16).isNull());
    EXPECT_EQ(applications.icon(QStringLiteral("/opt/a")).cacheKey(),
              applications.icon(QStringLiteral("/opt/b")).cacheKey())
        << "the generic icon is loaded once";
}

} // namespace
