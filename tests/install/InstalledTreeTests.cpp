// The companion as `cmake --install` lays it out under a fresh prefix (the
// same rules make the Debian package): what desktops, software centres and
// man read of it passes their own validators, and the installed programs run
// from there.
#include "desktop/RunningCompanion.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>
#include <QSvgRenderer>

#include <memory>

namespace {

const QStringList programs{QStringLiteral("lumivo-companion"), QStringLiteral("lumivo-companion-employee")};
const QStringList components{QStringLiteral("com.lumivo_intelligence.companion"),
                             QStringLiteral("com.lumivo_intelligence.companion.employee")};

struct ToolRun {
    int exitCode = -1;
    QString output; // standard output and error together
};

ToolRun runChecked(const QString& program, const QStringList& arguments,
                   const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {-1, QString::fromUtf8(process.readAll())};
    return {process.exitCode(), QString::fromUtf8(process.readAll())};
}

// The keys of a desktop entry's main group.
QMap<QString, QString> desktopEntry(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QMap<QString, QString> keys;
    bool inMainGroup = false;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char('[')))
            inMainGroup = line == QStringLiteral("[Desktop Entry]");
        else if (inMainGroup && line.contains(QLatin1Char('=')))
            keys.insert(line.section(QLatin1Char('='), 0, 0), line.section(QLatin1Char('='), 1));
    }
    return keys;
}

class InstalledTree : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_prefix = std::make_unique<QTemporaryDir>();
        s_install = runChecked(QStringLiteral(LUMIVO_CMAKE_COMMAND),
                               {QStringLiteral("--install"), QStringLiteral(LUMIVO_BINARY_DIR),
                                QStringLiteral("--prefix"), s_prefix->path()});
    }
    static void TearDownTestSuite() { s_prefix.reset(); }
    void SetUp() override { ASSERT_EQ(s_install.exitCode, 0) << s_install.output.toStdString(); }

    static QString installed(const QString& relative) { return QDir(s_prefix->path()).filePath(relative); }
    static QString prefix() { return s_prefix->path(); }

private:
    static inline std::unique_ptr<QTemporaryDir> s_prefix;
    static inline ToolRun s_install;
};

TEST_F(InstalledTree, EachEditionsIconIsThereAtEverySizeAndAsADrawing)
{
    for (const QString& program : programs) {
        for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            const QString path =
                installed(QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(program));
            QImageReader reader(path);
            ASSERT_EQ(reader.size(), QSize(size, size)) << path.toStdString();
            // A round disc: opaque in the middle, transparent in the corners.
            const QImage picture = reader.read();
            EXPECT_EQ(qAlpha(picture.pixel(size / 2, size / 2)), 255) << path.toStdString();
            EXPECT_EQ(qAlpha(picture.pixel(0, 0)), 0) << path.toStdString();
        }
        const QString drawing = installed(QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(program));
        EXPECT_TRUE(QSvgRenderer(drawing).isValid()) << drawing.toStdString();
    }
    // Installed side by side, the editions tell apart.
    EXPECT_NE(QImage(installed(QStringLiteral("share/icons/hicolor/48x48/apps/lumivo-companion.png"))),
              QImage(installed(QStringLiteral("share/icons/hicolor/48x48/apps/lumivo-companion-employee.png"))));
}

TEST_F(InstalledTree, DesktopEntriesNameTheInstalledProgramAndIconAndPassTheValidator)
{
    for (const QString& program : programs) {
        const QString path = installed(QStringLiteral("share/applications/%1.desktop").arg(program));
        const ToolRun validation = runChecked(QStringLiteral("desktop-file-validate"), {path});
        EXPECT_EQ(validation.exitCode, 0) << validation.output.toStdString();
        EXPECT_TRUE(validation.output.isEmpty()) << validation.output.toStdString();

        const QMap<QString, QString> entry = desktopEntry(path);
        // Unquoted: the generic xdg-open of Debian 12 cannot start a quoted program.
        EXPECT_EQ(entry.value(QStringLiteral("Exec")), QStringLiteral("%1 %u").arg(program));
        EXPECT_TRUE(QFileInfo(installed(QStringLiteral("bin/") + program)).isExecutable());
        EXPECT_EQ(entry.value(QStringLiteral("Icon")), program);
        // The desktop starts the command center for a link; it hands the link on.
        EXPECT_EQ(entry.value(QStringLiteral("MimeType")),
                  program == programs.first() ? QStringLiteral("x-scheme-handler/lumivo;") : QString());
        EXPECT_EQ(entry.value(QStringLiteral("StartupNotify")), QStringLiteral("false"));
        // Debian 12's validator predates the standard key for this (SingleMainWindow); GNOME reads both.
        EXPECT_EQ(entry.value(QStringLiteral("X-GNOME-SingleWindow")), QStringLiteral("true"));
        for (const char* key : {"Name", "GenericName", "Comment", "Keywords", "Categories"})
            EXPECT_FALSE(entry.value(QString::fromLatin1(key)).isEmpty()) << key;
    }
}

TEST_F(InstalledTree, MetainfoOfEachEditionIsValidAndLaunchesItsDesktopEntry)
{
    for (qsizetype index = 0; index < components.size(); ++index) {
        const QString path = installed(QStringLiteral("share/metainfo/%1.metainfo.xml").arg(components.at(index)));
        ASSERT_TRUE(QFileInfo::exists(path)) << path.toStdString();
        const ToolRun validation =
            runChecked(QStringLiteral("appstreamcli"), {QStringLiteral("validate"), QStringLiteral("--no-net"), path});
        EXPECT_EQ(validation.exitCode, 0) << validation.output.toStdString();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString metainfo = QString::fromUtf8(file.readAll());
        EXPECT_TRUE(metainfo.contains(
            QStringLiteral("<launchable type=\"desktop-id\">%1.desktop</launchable>").arg(programs.at(index))));
        EXPECT_TRUE(metainfo.contains(QStringLiteral("<release version=\"" LUMIVO_PROJECT_VERSION "\"")));
    }
    // The whole tree: every metainfo file finds the desktop entry it launches.
    const ToolRun tree = runChecked(QStringLiteral("appstreamcli"),
                                    {QStringLiteral("validate-tree"), QStringLiteral("--no-net"), prefix()});
    EXPECT_EQ(tree.exitCode, 0) << tree.output.toStdString();
}

TEST_F(InstalledTree, TheManualPageReadsUnderBothProgramNames)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("MANWIDTH"), QStringLiteral("100"));
    environment.insert(QStringLiteral("MANPAGER"), QStringLiteral("cat"));
    for (const QString& program : programs) {
        const ToolRun page = runChecked(QStringLiteral("man"),
                                        {QStringLiteral("--warnings"), QStringLiteral("-l"),
                                         installed(QStringLiteral("share/man/man1/%1.1.gz").arg(program))},
                                        environment);
        EXPECT_EQ(page.exitCode, 0) << page.output.toStdString();
        EXPECT_FALSE(page.output.contains(QStringLiteral("warning"))) << page.output.toStdString();
        for (const char* text :
             {"lumivo-companion, lumivo-companion-employee", "lumivo://notify?type=TYPE&detail=TEXT",
              "xdg-open 'lumivo://notify?type=call&detail=Front%20desk'", "settings.json",
              "com.lumivo-intelligence.companion.employee.lock", "lumivo-companion.commandCenter.socket", "SIGTERM",
              "XDG_RUNTIME_DIR", "EXIT STATUS", "lumivo.settings"})
            EXPECT_TRUE(page.output.contains(QString::fromUtf8(text))) << program.toStdString() << " lacks " << text;

        // It names every option and link that the program's own help lists.
        const ToolRun help = runChecked(installed(QStringLiteral("bin/") + program), {QStringLiteral("--help")});
        ASSERT_EQ(help.exitCode, 0) << help.output.toStdString();
        static const QRegularExpression listed(QStringLiteral("^  (-\\w, --\\w+|lumivo://\\S+)"),
                                               QRegularExpression::MultilineOption);
        qsizetype count = 0;
        for (const QRegularExpressionMatch& match : listed.globalMatch(help.output)) {
            EXPECT_TRUE(page.output.contains(match.captured(1)))
                << program.toStdString() << " lacks " << match.captured(1).toStdString();
            ++count;
        }
        EXPECT_EQ(count, 5) << help.output.toStdString();
    }
}

TEST_F(InstalledTree, TheEmployeeEditionIsALinkToTheOneProgram)
{
    const QFileInfo employee(installed(QStringLiteral("bin/lumivo-companion-employee")));
    EXPECT_TRUE(employee.isSymLink());
    EXPECT_EQ(employee.symLinkTarget(), installed(QStringLiteral("bin/lumivo-companion")));
}

// The copies of the installed program that run: those whose program file is it.
int installedCopiesRunning(const QString& program)
{
    const QString canonical = QFileInfo(program).canonicalFilePath();
    int count = 0;
    for (const QString& process : QDir(QStringLiteral("/proc")).entryList({QStringLiteral("[0-9]*")}, QDir::Dirs))
        count += QFileInfo(QStringLiteral("/proc/%1/exe").arg(process)).canonicalFilePath() == canonical;
    return count;
}

TEST_F(InstalledTree, XdgOpenOnAPlainX11SessionHandsALinkToTheEditionThatRuns)
{
    // What the package's trigger does on installing: the desktop's cache of
    // link handlers, which names the command center alone.
    const QString applications = installed(QStringLiteral("share/applications"));
    const ToolRun cache = runChecked(QStringLiteral("update-desktop-database"), {applications});
    ASSERT_EQ(cache.exitCode, 0) << cache.output.toStdString();
    QFile handlers(QDir(applications).filePath(QStringLiteral("mimeinfo.cache")));
    ASSERT_TRUE(handlers.open(QIODevice::ReadOnly));
    EXPECT_TRUE(handlers.readAll().contains("\nx-scheme-handler/lumivo=lumivo-companion.desktop;\n"));

    CompanionSession session;
    session.useDataFolder(installed(QStringLiteral("share")));
    // A session that no desktop environment announces: xdg-open's generic way.
    QProcessEnvironment plainX11 = session.environment();
    for (const char* variable :
         {"XDG_CURRENT_DESKTOP", "XDG_SESSION_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "KDE_SESSION_VERSION",
          "GNOME_DESKTOP_SESSION_ID", "MATE_DESKTOP_SESSION_ID", "BROWSER"})
        plainX11.remove(QString::fromLatin1(variable));
    const QString path = plainX11.value(QStringLiteral("PATH"));
    plainX11.insert(QStringLiteral("PATH"), installed(QStringLiteral("bin")) + u':' + path);
    const QString program = installed(QStringLiteral("bin/lumivo-companion"));
    const auto xdgOpen = [&] {
        return runChecked(QStringLiteral("xdg-open"), {QStringLiteral("lumivo://notify?type=call&detail=x")}, plainX11);
    };

    RunningCompanion commandCenter(session, program);
    RunningCompanion employee(session, installed(QStringLiteral("bin/lumivo-companion-employee")));
    ASSERT_TRUE(commandCenter.waitForPanel().has_value());
    ASSERT_TRUE(employee.waitForPanel().has_value());

    // Both run: the command center takes it.
    ToolRun opened = xdgOpen();
    ASSERT_EQ(opened.exitCode, 0) << opened.output.toStdString();
    EXPECT_TRUE(waitUntil([&] { return commandCenter.alertPanel().has_value(); }));
    EXPECT_FALSE(employee.alertPanel().has_value());
    EXPECT_EQ(installedCopiesRunning(program), 2);

    // Only the employee edition runs: the copy the desktop starts hands it there.
    ASSERT_EQ(commandCenter.terminate(), 0);
    opened = xdgOpen();
    ASSERT_EQ(opened.exitCode, 0) << opened.output.toStdString();
    EXPECT_TRUE(waitUntil([&] { return employee.alertPanel().has_value(); }));
    EXPECT_EQ(installedCopiesRunning(program), 1);
    EXPECT_EQ(employee.terminate(), 0);
}

TEST_F(InstalledTree, TheInstalledProgramsShowTheirPanelAndLeaveCleanlyOnSigterm)
{
    for (const QString& program : programs) {
        CompanionSession session;
        RunningCompanion companion(session, installed(QStringLiteral("bin/") + program));
        ASSERT_TRUE(companion.waitForPanel().has_value())
            << program.toStdString() << ": " << companion.describeState().toStdString();

        if (program == programs.first()) {
            // The screenshot of the AppStream metadata: Vora in the corner
            // of the screen with an alert handed over by a second copy.
            ASSERT_EQ(startAnotherCopy(session, {QStringLiteral("lumivo://notify?type=call&detail=Front%20desk")},
                                       installed(QStringLiteral("bin/") + program)),
                      0);
            std::optional<ShownWindow> alert;
            ASSERT_TRUE(waitUntil([&] { return (alert = companion.alertPanel()).has_value(); }));
            ASSERT_TRUE(waitForStillPicture(alert->geometry));
            const QImage screenshot =
                captureDesktop(QRect(3200 - 640, 1200 - 360, 640, 360), QStringLiteral("metainfo-vora-alert"));
            EXPECT_GT(drawnPixels(screenshot), 8000);
        }
        EXPECT_EQ(companion.terminate(), 0) << program.toStdString() << ": " << companion.describeState().toStdString();
    }
}

} // namespace
