// The built program's opened menu on a real X11 desktop: a tile of each row
// pressed with the pointer acts through its hook (the menu closes or keeps
// open, a panel takes the body, the default browser is handed an address,
// a personal app starts), the card's margin drags the panel, and both
// editions open their menu.
#include "ProgramMenuKit.h"
#include "support/ApplicationFolder.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

// Moves the held pointer in small steps, as a hand does.
void dragThrough(const QPoint& from, const QPoint& to)
{
    constexpr int steps = 8;
    for (int step = 1; step <= steps; ++step)
        moveMouse(from + (to - from) * step / steps);
}

TEST(MenuProgram, ATileOfEachRowActsThroughItsHook)
{
    // The desktop's applications: a recording browser for web addresses and
    // a personal app that records its start.
    ApplicationFolder folder;
    folder.addApplication(u"browser"_s, u"Browser"_s, "MimeType=x-scheme-handler/http;x-scheme-handler/https;\n", "%u");
    const QString notebook = folder.addApplication(u"notebook"_s, u"Notebook"_s);
    const QByteArray dataRoot = QFileInfo(folder.path()).path().toUtf8();
    qputenv("XDG_DATA_HOME", dataRoot);
    qputenv("XDG_DATA_DIRS", dataRoot);
    CompanionSession session;
    QFile mimeApps(QFileInfo(session.configFolder()).path() + u"/mimeapps.list"_s);
    ASSERT_TRUE(mimeApps.open(QIODevice::WriteOnly));
    mimeApps.write(
        "[Default Applications]\nx-scheme-handler/http=browser.desktop\nx-scheme-handler/https=browser.desktop\n");
    mimeApps.close();
    session.writeSettings({{u"lumivo-companion-personal-apps"_s, QJsonArray{notebook}}});

    RunningCompanion companion(session);
    ASSERT_TRUE(companion.waitForMascot().has_value());
    std::optional<ShownWindow> panel = openMenu(companion);
    ASSERT_TRUE(panel.has_value());
    const MenuMap map(CompanionEdition::commandCenter, {notebook}, panel->geometry.size());
    const QRect card = map.card(*panel);
    captureScreen(panel->geometry, u"command-center"_s);

    // Header: "Expand" hands the dashboard to the default browser and keeps the menu open.
    clickAt(map.centreOf(u"Expand"_s, *panel));
    EXPECT_EQ(folder.waitForRecord(u"browser"_s), QStringList({u"http://127.0.0.1:4173/?companion=1&expanded=1"_s}));
    EXPECT_TRUE(isOpen(companion));

    // The tool bar and the command bar open panels inside the menu: the
    // standard sections under the agents give way, and come back.
    const QRect sections(card.left(), card.top() + 260, card.width(), 150);
    const QImage standard = captureScreen(sections, u"sections"_s);
    for (const QString& toggle : {u"Task Manager"_s, u"Search"_s}) {
        clickAt(map.centreOf(toggle, *panel));
        // The panel takes the place of the sections.
        EXPECT_TRUE(waitUntil([&] { return alikeShare(standard, grabDesktop(sections)) < 0.75; }))
            << toggle.toStdString();
        EXPECT_TRUE(isOpen(companion)) << toggle.toStdString();
        EXPECT_LT(alikeShare(standard, captureScreen(sections, u"sections-"_s + QString(toggle).remove(u' '))), 0.75)
            << toggle.toStdString();
        clickAt(map.centreOf(toggle, *panel));
        EXPECT_TRUE(waitUntil([&] { return alikeShare(standard, grabDesktop(sections)) > 0.9; }))
            << toggle.toStdString();
        EXPECT_GT(alikeShare(standard, captureScreen(sections, u"sections-back"_s)), 0.9) << toggle.toStdString();
    }

    // Launchers of every other row run their hook and close the menu.
    for (const QString& launcher :
         {u"Weather"_s, u"Talk"_s, u"Claude"_s, u"Email"_s, u"Agreement"_s, u"My Vora Audit"_s}) {
        panel = openMenu(companion);
        ASSERT_TRUE(panel.has_value()) << launcher.toStdString();
        clickAt(map.centreOf(launcher, *panel));
        EXPECT_TRUE(waitUntil([&] { return !isOpen(companion); })) << launcher.toStdString() << " left the menu open";
    }

    // A personal app starts and the menu closes.
    panel = openMenu(companion);
    ASSERT_TRUE(panel.has_value());
    clickAt(map.centreOf(u"notebook"_s, *panel));
    EXPECT_TRUE(waitUntil([&] { return !isOpen(companion); }));
    EXPECT_TRUE(folder.waitForRecord(u"notebook"_s).has_value()) << "the personal app did not start";

    // The close button closes it.
    panel = openMenu(companion);
    ASSERT_TRUE(panel.has_value());
    clickAt(map.centreOf(u"Close Vora controls"_s, *panel));
    EXPECT_TRUE(waitUntil([&] { return !isOpen(companion); }));
}

TEST(MenuProgram, TheCardsBareMarginDragsThePanel)
{
    CompanionSession session;
    RunningCompanion companion(session);
    ASSERT_TRUE(companion.waitForMascot().has_value());
    const std::optional<ShownWindow> panel = openMenu(companion);
    ASSERT_TRUE(panel.has_value());
    const MenuMap map(CompanionEdition::commandCenter, {}, panel->geometry.size());
    const QRect card = map.card(*panel);

    // A click on the margin does nothing; a drag from it carries the panel along.
    const QPoint margin(card.left() + 3, card.top() + 200);
    clickAt(margin);
    ASSERT_TRUE(runningCopyCaughtUp(session));
    EXPECT_EQ(companion.panel()->geometry, panel->geometry);
    pressAt(margin);
    dragThrough(margin, margin - QPoint(600, 300));
    releaseAt(margin - QPoint(600, 300));
    EXPECT_TRUE(waitUntil([&] {
        return companion.panel()->geometry.topLeft() == panel->geometry.topLeft() - QPoint(600, 300);
    })) << companion.panel()->geometry.x()
        << "," << companion.panel()->geometry.y();
    EXPECT_TRUE(isOpen(companion)) << "a drag leaves the menu open";
    // The drag's end is the shell's: it saves where the panel was dropped.
    EXPECT_TRUE(waitUntil([&] { return session.settings().contains(u"lumivo-companion-panel-x"_s); }));
}

TEST(MenuProgram, TheEmployeeEditionsMenuIsDrawnStaysOpenInItsGapsAndClosesFromItsButton)
{
    CompanionSession session;
    RunningCompanion companion(session, u"lumivo-companion-employee"_s);
    ASSERT_TRUE(companion.waitForMascot().has_value());
    const std::optional<ShownWindow> panel = openMenu(companion);
    ASSERT_TRUE(panel.has_value());
    const MenuMap map(CompanionEdition::employee, {}, panel->geometry.size());
    EXPECT_FALSE(map.has(u"Task Manager"_s));
    const QRect card = map.card(*panel);
    EXPECT_GT(drawnPixels(captureScreen(card, u"employee"_s)), card.width() * card.height() / 2);

    // "Go Mobile" spans the tool bar: its far left end keeps the menu open.
    const QPoint goMobile = map.centreOf(u"Go Mobile"_s, *panel);
    clickAt(QPoint(card.left() + 24, goMobile.y()));
    ASSERT_TRUE(runningCopyCaughtUp(session, u"lumivo-companion-employee"_s));
    EXPECT_TRUE(isOpen(companion));
    clickAt(map.centreOf(u"Close Vora controls"_s, *panel));
    EXPECT_TRUE(waitUntil([&] { return !isOpen(companion); }));
}

} // namespace
