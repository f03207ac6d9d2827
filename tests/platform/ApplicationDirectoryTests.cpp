#include "model/CompanionDestinations.h"
#include "platform/desktop/ApplicationDirectory.h"
#include "support/ApplicationFolder.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

namespace {

QString entryIdOf(const std::optional<ResolvedApplication>& application)
{
    return application && application->entry ? application->entry->id : QString();
}

TEST(ApplicationDirectory, ResolvesCataloguePathsThroughTheTable)
{
    ApplicationFolder folder;
    folder.addApplication(QStringLiteral("google-chrome"), QStringLiteral("Google Chrome"));
    folder.addApplication(QStringLiteral("xfce4-taskmanager"), QStringLiteral("Task Manager"));
    const ApplicationDirectory directory({folder.path()});

    const auto chrome = directory.resolve(QStringLiteral("/Applications/Google Chrome.app"));
    ASSERT_TRUE(chrome);
    EXPECT_EQ(chrome->identifier, QStringLiteral("com.google.Chrome"));
    EXPECT_EQ(entryIdOf(chrome), QStringLiteral("google-chrome"));

    // A later candidate stands in when the first is not installed, under the
    // row's one identifier.
    const auto monitor = directory.resolve(QStringLiteral("/System/Applications/Utilities/Activity Monitor.app"));
    EXPECT_EQ(entryIdOf(monitor), QStringLiteral("xfce4-taskmanager"));
    EXPECT_EQ(monitor->identifier, QStringLiteral("gnome-system-monitor"));

    // A known path with nothing installed does not fall back to a name search.
    folder.addApplication(QStringLiteral("music-by-name"), QStringLiteral("Music"));
    EXPECT_FALSE(ApplicationDirectory({folder.path()}).resolve(QStringLiteral("/System/Applications/Music.app")));
}

TEST(ApplicationDirectory, ResolvesOtherBundlesByTheEntrysName)
{
    ApplicationFolder folder;
    folder.addApplication(QStringLiteral("a-slack-helper"), QStringLiteral("Slack"), "NoDisplay=true\n");
    folder.addApplication(QStringLiteral("com.slack.Slack"), QStringLiteral("Slack"));
    folder.addApplication(QStringLiteral("claude"), QStringLiteral("Claude Desktop"));
    const ApplicationDirectory directory({folder.path()});

    // The entry the menus show wins over a hidden helper of the same name.
    const auto slack = directory.resolve(QStringLiteral("/Applications/Slack.app"));
    EXPECT_EQ(entryIdOf(slack), QStringLiteral("com.slack.Slack"));
    EXPECT_EQ(slack->identifier, QStringLiteral("com.slack.Slack"));
    // Names compare without case; an entry's ID answers when no name does.
    EXPECT_EQ(entryIdOf(directory.resolve(QStringLiteral("/Users/someone/Applications/SLACK.app"))),
              QStringLiteral("com.slack.Slack"));
    EXPECT_EQ(entryIdOf(directory.resolve(QStringLiteral("/Applications/Claude.app"))), QStringLiteral("claude"));
    EXPECT_FALSE(directory.resolve(QStringLiteral("/Applications/Superhuman.app")));
}

TEST(ApplicationDirectory, EarlierFoldersHideTheSameEntryInLaterOnes)
{
    ApplicationFolder user;
    ApplicationFolder system;
    system.addApplication(QStringLiteral("notes"), QStringLiteral("Notes Classic"));
    system.addApplication(QStringLiteral("editor"), QStringLiteral("Editor"));
    system.addApplication(QStringLiteral("tools/calc"), QStringLiteral("Calc"));
    user.addApplication(QStringLiteral("notes"), QStringLiteral("My Notes"));
    user.write(QStringLiteral("editor.desktop"), "[Desktop Entry]\nType=Application\nName=Editor\nHidden=true\n");
    const ApplicationDirectory directory({user.path(), system.path()});

    EXPECT_EQ(directory.resolve(QStringLiteral("/Applications/My Notes.app"))->entry->filePath,
              user.path() + QStringLiteral("/notes.desktop"));
    EXPECT_FALSE(directory.resolve(QStringLiteral("/Applications/Notes Classic.app")));
    EXPECT_FALSE(directory.resolve(QStringLiteral("/Applications/Editor.app")));
    // An entry in a subfolder has the subfolder in its ID.
    EXPECT_EQ(entryIdOf(directory.resolve(QStringLiteral("/Applications/Calc.app"))), QStringLiteral("tools-calc"));
}

TEST(ApplicationDirectory, TakesEntryFilesAndExecutablesChosenByPath)
{
    ApplicationFolder installed;
    const QString inFolder = installed.addApplication(QStringLiteral("org.example.Notes"), QStringLiteral("Notes"));
    ApplicationFolder elsewhere;
    const QString loose = elsewhere.addApplication(QStringLiteral("editor"), QStringLiteral("Editor"));
    const QString broken = elsewhere.write(QStringLiteral("broken.desktop"), "[Desktop Entry]\nType=Application\n");
    const QString document = elsewhere.write(QStringLiteral("notes.txt"), "text");
    const ApplicationDirectory directory({installed.path()});

    EXPECT_EQ(directory.resolve(inFolder)->identifier, QStringLiteral("org.example.Notes"));
    EXPECT_EQ(directory.resolve(loose)->identifier, QStringLiteral("editor"));
    EXPECT_FALSE(directory.resolve(broken));
    EXPECT_FALSE(directory.resolve(document));
    EXPECT_FALSE(directory.resolve(elsewhere.filePath(QStringLiteral("missing.desktop"))));

    const auto executable = directory.resolve(QStringLiteral(LUMIVO_TEST_APP));
    ASSERT_TRUE(executable);
    EXPECT_FALSE(executable->entry);
    EXPECT_TRUE(executable->identifier.isEmpty());
    EXPECT_EQ(executable->executable, QFileInfo(QStringLiteral(LUMIVO_TEST_APP)).canonicalFilePath());
}

TEST(ApplicationDirectory, IdentifiesWindowsByClass)
{
    ApplicationFolder folder;
    folder.addApplication(QStringLiteral("chromium"), QStringLiteral("Chromium"));
    folder.addApplication(QStringLiteral("org.example.Notes"), QStringLiteral("Notes"));
    folder.addApplication(QStringLiteral("editor"), QStringLiteral("Editor"), "StartupWMClass=EditorMainWindow\n");
    const ApplicationDirectory directory({folder.path()});

    struct Case {
        QString instance, windowClass, identifier, entry;
    };
    const QList<Case> cases{
        {QStringLiteral("google-chrome"), QStringLiteral("Google-chrome"), QStringLiteral("com.google.Chrome"),
         QStringLiteral("chromium")},
        {QStringLiteral("chromium"), QStringLiteral("Chromium"), QStringLiteral("com.google.Chrome"),
         QStringLiteral("chromium")},
        {QStringLiteral("notes"), QStringLiteral("Notes"), QStringLiteral("org.example.Notes"),
         QStringLiteral("org.example.Notes")},
        {QStringLiteral("main"), QStringLiteral("EditorMainWindow"), QStringLiteral("editor"),
         QStringLiteral("editor")},
        {QStringLiteral("editor"), QStringLiteral("SomethingElse"), QStringLiteral("editor"), QStringLiteral("editor")},
    };
    for (const Case& test : cases) {
        const auto window = directory.identifyWindow(test.instance, test.windowClass);
        ASSERT_TRUE(window) << test.windowClass.toStdString();
        EXPECT_EQ(window->identifier, test.identifier);
        EXPECT_EQ(entryIdOf(window), test.entry);
    }
    EXPECT_FALSE(directory.identifyWindow(QStringLiteral("xterm"), QStringLiteral("XTerm")));
    EXPECT_FALSE(directory.identifyWindow(QString(), QString()));
}

TEST(ApplicationDirectory, SeesApplicationsInstalledWhileRunning)
{
    ApplicationFolder folder;
    const ApplicationDirectory directory({folder.path()});
    EXPECT_FALSE(directory.resolve(QStringLiteral("/Applications/Slack.app")));

    folder.addApplication(QStringLiteral("slack"), QStringLiteral("Slack"));
    // The folder's time moves on as it would a moment later.
    struct stat folderStat { };
    ASSERT_EQ(stat(folder.path().toLocal8Bit().constData(), &folderStat), 0);
    const utimbuf later{folderStat.st_atime, folderStat.st_mtime + 2};
    ASSERT_EQ(utime(folder.path().toLocal8Bit().constData(), &later), 0);
    EXPECT_TRUE(directory.resolve(QStringLiteral("/Applications/Slack.app")));
}

TEST(ApplicationDirectory, SeesAnEntryEditedWhileRunning)
{
    ApplicationFolder folder;
    folder.addApplication(QStringLiteral("notes"), QStringLiteral("Notes"));
    const ApplicationDirectory directory({folder.path()});
    ASSERT_TRUE(directory.resolve(QStringLiteral("/Applications/Notes.app")));

    // Saved over in place, as an editor does: the folder's time stays.
    folder.addApplication(QStringLiteral("notes"), QStringLiteral("Jottings"));
    EXPECT_TRUE(eventually([&] { return directory.resolve(QStringLiteral("/Applications/Jottings.app")); }));
    // Still found by its ID, it is the entry as edited that launches.
    EXPECT_EQ(directory.resolve(QStringLiteral("/Applications/Notes.app"))->entry->name, QStringLiteral("Jottings"));
}

// Every application the catalogue can launch resolves once an application
// that stands for it is installed: a row of the table or an entry of its name.
TEST(ApplicationDirectory, EveryCatalogueApplicationCanResolve)
{
    ApplicationFolder folder;
    QStringList paths;
    for (const CompanionCTA cta : CompanionCTA::allCases) {
        const CompanionDestination destination = cta.destination();
        if (destination.applicationPath())
            paths.append(*destination.applicationPath());
        if (destination.fallbackURL().isLocalFile())
            paths.append(destination.fallbackURL().toLocalFile());
    }
    ASSERT_FALSE(paths.isEmpty());
    for (const QString& path : paths) {
        const QString name = QFileInfo(path).completeBaseName();
        folder.addApplication(QStringLiteral("by-name-") + QString::number(qHash(name)), name);
    }
    for (const QString& id :
         {QStringLiteral("google-chrome"), QStringLiteral("gnome-system-monitor"), QStringLiteral("org.gnome.Calendar"),
          QStringLiteral("sm.puri.Chatty"), QStringLiteral("org.gnome.Calls"), QStringLiteral("org.gnome.Music"),
          QStringLiteral("org.gnome.Weather"), QStringLiteral("org.gnome.clocks")})
        folder.addApplication(id, id);
    const ApplicationDirectory directory({folder.path()});
    for (const QString& path : paths) {
        const auto application = directory.resolve(path);
        ASSERT_TRUE(application) << path.toStdString();
        EXPECT_FALSE(application->identifier.isEmpty()) << path.toStdString();
    }
}

} // namespace
