// The delegate's behaviour on a desktop in memory: start-up, the saved
// position, the menu, the alert panel, dragging, walking, following and links.
#include "CompanionAppTestKit.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QIcon>
#include <QImage>
#include <QJsonArray>
#include <QKeySequence>
#include <QMenu>
#include <QSystemTrayIcon>

namespace {

class CompanionApp : public ::testing::Test {
protected:
    LumivoCompanionApp& start() { return t.start(); }
    CompanionModel& model() { return *t.model; }
    QRectF panelFrame() { return t.panel().frame(); }
    void useTwoScreens() { t.fake.screens.list = {CompanionAppTestKit::laptop, CompanionAppTestKit::external}; }
    // Whether a click with the mouse on the display the panel is not on
    // brings the panel there, once any hop under way has landed.
    bool followsAClickToTheOtherDisplay()
    {
        t.panel().finishAnimation();
        t.advance();
        const QRectF before = panelFrame();
        const bool onTheLaptop = before.x() < CompanionAppTestKit::external.frame.x();
        t.fake.screens.mouse = onTheLaptop ? QPointF(2000, 500) : QPointF(700, 500);
        t.fake.mouse.pressElsewhere();
        t.advance();
        return panelFrame() != before;
    }

    CompanionAppTestKit t;
};

TEST_F(CompanionApp, StartsInTheBottomRightCornerAndWavesAfterStartUp)
{
    start();
    EXPECT_EQ(panelFrame(), QRectF(1086, 10, 330, 190));
    EXPECT_TRUE(t.panel().visible);
    EXPECT_EQ(t.panel().level, PanelLevel::floating);
    EXPECT_EQ(t.alertPanel().level, PanelLevel::aboveFloating);
    EXPECT_EQ(t.alertPanel().frame().size(), QSizeF(226, 96));
    EXPECT_FALSE(t.alertPanel().visible);
    EXPECT_FALSE(model().isWalking);

    EXPECT_EQ(model().waveSignal, 0) << "the greeting waits for the next turn of the main loop";
    t.advance();
    EXPECT_EQ(model().waveSignal, 1);
}

TEST_F(CompanionApp, WithoutAnyScreenStartsFromTheStandardScreen)
{
    t.fake.screens.list.clear();
    start();
    EXPECT_EQ(panelFrame(), QRectF(1086, 10, 330, 190));
}

TEST_F(CompanionApp, RestoresTheSavedOriginKeptOnAScreen)
{
    // Read as whole points, so the window system never grows the panel to
    // cover a fraction.
    t.kit.writeSettings(
        {{LumivoCompanionApp::panelPositionXKey, 300.5}, {LumivoCompanionApp::panelPositionYKey, 399.6}});
    start();
    EXPECT_EQ(panelFrame(), QRectF(301, 400, 330, 190));

    // Saved on a display that is gone: the nearest screen, clamped.
    t.kit.writeSettings({{LumivoCompanionApp::panelPositionXKey, 3000}, {LumivoCompanionApp::panelPositionYKey, 2000}});
    start();
    EXPECT_EQ(panelFrame().topLeft(), QPointF(1110, 685));

    // Only one of the two keys: the start-up corner stays.
    t.kit.writeSettings({{LumivoCompanionApp::panelPositionXKey, 300}});
    start();
    EXPECT_EQ(panelFrame().topLeft(), QPointF(1086, 10));
}

TEST_F(CompanionApp, OpensTheMenuAwayFromTheMascotAndClosesBackToWhereItStood)
{
    start();
    t.panel().setFrame(QRectF(670, 10, 330, 190), FrameChange::immediate);
    model().setMenuOpen(true);
    EXPECT_TRUE(model().menuOpen);
    EXPECT_FALSE(model().menuOpensToRight);
    EXPECT_EQ(panelFrame(), QRectF(492, 10, 516, 590));
    t.app->persistPanelPosition();
    EXPECT_EQ(t.kit.storedSettings().value(LumivoCompanionApp::panelPositionXKey).toDouble(), 670)
        << "saved with the menu open: where the panel closes back to";
    EXPECT_EQ(t.kit.storedSettings().value(LumivoCompanionApp::panelPositionYKey).toDouble(), 10);

    model().layoutPanelOpen = true;
    model().usagePanelOpen = true;
    model().setMenuOpen(false);
    EXPECT_FALSE(model().menuOpen);
    EXPECT_FALSE(model().usagePanelOpen);
    EXPECT_TRUE(model().layoutPanelOpen);
    EXPECT_EQ(panelFrame().size(), QSizeF(516, 590)) << "the panel shrinks one turn later";
    t.advance();
    EXPECT_EQ(panelFrame(), QRectF(670, 10, 330, 190));
    EXPECT_EQ(t.app->panelOriginBeforeMenuOpen(), std::nullopt);

    // Opening on the left half, near the top: to the right, pushed down inside.
    t.panel().setFrame(QRectF(70, 680, 330, 190), FrameChange::immediate);
    model().setMenuOpen(true);
    EXPECT_TRUE(model().menuOpensToRight);
    EXPECT_EQ(panelFrame(), QRectF(222, 285, 516, 590));
    model().setMenuOpen(false);
    t.advance();
    EXPECT_EQ(panelFrame(), QRectF(70, 680, 330, 190));
}

TEST_F(CompanionApp, TheMenuStaysClosedWhileWalkingOrHopping)
{
    useTwoScreens();
    start();
    t.app->startWalking();
    model().setMenuOpen(true);
    EXPECT_FALSE(model().menuOpen);
    t.app->stopWalking();
    // A click on the other display starts a hop there.
    t.fake.screens.mouse = QPointF(2000, 500);
    t.fake.mouse.pressElsewhere();
    t.advance();
    ASSERT_EQ(t.panel().animationDurations.size(), 1u);
    model().setMenuOpen(true);
    EXPECT_FALSE(model().menuOpen);
    EXPECT_EQ(panelFrame().size(), QSizeF(330, 190));
}

TEST_F(CompanionApp, TheAlertPanelStandsBesideTheMascotAndLeavesAfterTheBubble)
{
    start();
    model().enqueueAlert(CompanionAlertSource::call, QStringLiteral("Front desk"));
    ASSERT_TRUE(model().activeAlert.get());
    EXPECT_TRUE(t.alertPanel().visible);
    // Right half of the screen: left of the mascot's region.
    EXPECT_FALSE(model().alertOpensToRight);
    EXPECT_EQ(t.alertPanel().frame().topLeft(), QPointF(1416 - 170 - 226 - 6, 200 - 96 - 10));

    model().dismissAlert();
    t.advance(210ms);
    EXPECT_TRUE(t.alertPanel().visible);
    t.advance(20ms);
    EXPECT_FALSE(t.alertPanel().visible);
    EXPECT_FALSE(model().alertOpensToRight);
}

TEST_F(CompanionApp, AnAlertArrivingSoonAfterADismissalKeepsItsPanel)
{
    start();
    model().enqueueAlert(CompanionAlertSource::email, QStringLiteral("one"));
    model().enqueueAlert(CompanionAlertSource::slack, QStringLiteral("two"));
    model().dismissAlert();
    t.advance(300ms); // the next alert shows 280 ms after the dismissal
    ASSERT_TRUE(model().activeAlert.get());
    EXPECT_TRUE(t.alertPanel().visible);
}

TEST_F(CompanionApp, TheMenuAndTheHideHookTakeTheAlertPanelAwayAndBringItBack)
{
    start();
    model().enqueueAlert(CompanionAlertSource::call, QStringLiteral("Front desk"));
    model().setMenuOpen(true);
    EXPECT_FALSE(t.alertPanel().visible);
    t.app->prepareAlertPresentation();
    EXPECT_FALSE(t.alertPanel().visible);
    model().setMenuOpen(false);
    t.advance();
    EXPECT_TRUE(t.alertPanel().visible);

    model().hide();
    EXPECT_TRUE(model().companionHidden);
    EXPECT_FALSE(t.alertPanel().visible);
    EXPECT_TRUE(t.panel().visible) << "the hook leaves the floating panel alone";
    model().hide();
    EXPECT_TRUE(t.alertPanel().visible);
}

TEST_F(CompanionApp, ADragSnapsBackInsideSavesAndBringsTheAlertBack)
{
    start();
    model().beginDrag();
    EXPECT_TRUE(model().isDragging);
    EXPECT_EQ(model().expression.get(), CompanionExpression::excited);
    model().enqueueAlert(CompanionAlertSource::call, QStringLiteral("during the drag"));
    EXPECT_TRUE(model().activeAlert.get());
    EXPECT_FALSE(t.alertPanel().visible) << "no alert panel while dragging";

    // The drag surface moves the panel itself; half of it off the right edge.
    t.panel().setFrame(QRectF(1300, 300, 330, 190), FrameChange::immediate);
    model().endDrag();
    EXPECT_EQ(panelFrame().topLeft(), QPointF(1110, 300));
    EXPECT_EQ(t.panel().changes.back(), FrameChange::windowSystemAnimation);
    EXPECT_FALSE(model().isDragging);
    EXPECT_EQ(model().expression.get(), CompanionExpression::idle);
    EXPECT_EQ(t.kit.storedSettings().value(LumivoCompanionApp::panelPositionXKey).toDouble(), 1110);
    EXPECT_EQ(t.kit.storedSettings().value(LumivoCompanionApp::panelPositionYKey).toDouble(), 300);
    EXPECT_TRUE(t.alertPanel().visible);

    // Within half a point of a valid place: not moved again, still saved.
    model().beginDrag();
    t.panel().setFrame(QRectF(1110.4, 500, 330, 190), FrameChange::immediate);
    const std::size_t changes = t.panel().changes.size();
    model().endDrag();
    EXPECT_EQ(t.panel().changes.size(), changes);
    EXPECT_EQ(t.kit.storedSettings().value(LumivoCompanionApp::panelPositionXKey).toDouble(), 1110.4);
}

TEST_F(CompanionApp, DragByMovesFromWhereTheDragBeganAndOnlyDuringADrag)
{
    start();
    model().dragBy(QSizeF(-100, 50));
    EXPECT_EQ(panelFrame().topLeft(), QPointF(1086, 10));
    model().beginDrag();
    model().dragBy(QSizeF(-100, -50));
    model().dragBy(QSizeF(-200, -60));
    EXPECT_EQ(panelFrame().topLeft(), QPointF(886, 70));
    model().dragBy(QSizeF(-5000, 5000));
    EXPECT_EQ(panelFrame().topLeft(), QPointF(0, 0));
}

TEST_F(CompanionApp, DraggingTheOpenMenuMovesTheRememberedCollapsedPlace)
{
    t.fake.screens.list = {makeScreen(QRectF(0, 0, 2560, 1440), 1)};
    start();
    t.panel().setFrame(QRectF(300, 100, 330, 190), FrameChange::immediate);
    model().setMenuOpen(true);
    ASSERT_TRUE(model().menuOpensToRight);
    model().beginDrag();
    t.panel().setFrame(QRectF(600, 100, 516, 590), FrameChange::immediate);
    model().endDrag();
    // Saved with the menu open: the collapsed place, which the menu closes back to.
    EXPECT_EQ(t.kit.storedSettings().value(LumivoCompanionApp::panelPositionXKey).toDouble(), 440);
    EXPECT_EQ(t.kit.storedSettings().value(LumivoCompanionApp::panelPositionYKey).toDouble(), 100);
    model().setMenuOpen(false);
    t.advance();
    EXPECT_EQ(panelFrame(), QRectF(440, 100, 330, 190));
}

TEST_F(CompanionApp, WalksSixtyStepsASecondTurningAtTheEdgesAndPausesForADrag)
{
    start();
    t.panel().setFrame(QRectF(1080, 10, 330, 190), FrameChange::immediate);
    t.app->startWalking();
    EXPECT_TRUE(model().isWalking);
    t.advance(1000ms);
    EXPECT_NEAR(panelFrame().x(), 1080 + 0.36 * 55, 0.36 * 6) << "about sixty steps in a second";
    t.advance(1000ms);
    EXPECT_FALSE(model().facingRight) << "turned at the right edge";
    EXPECT_LT(panelFrame().right(), 1430.01);

    model().beginDrag();
    EXPECT_FALSE(model().isWalking);
    const QRectF held = panelFrame();
    t.advance(500ms);
    EXPECT_EQ(panelFrame(), held);
    model().endDrag();
    EXPECT_TRUE(model().isWalking);
    t.advance(100ms);
    EXPECT_LT(panelFrame().x(), held.x());

    t.app->stopWalking();
    const QRectF stopped = panelFrame();
    t.advance(500ms);
    EXPECT_EQ(panelFrame(), stopped);
}

TEST_F(CompanionApp, FollowsTheMouseToAnotherDisplayOnTheSecondTick)
{
    useTwoScreens();
    start();
    t.fake.screens.mouse = QPointF(2000, 500);
    t.advance(1000ms);
    EXPECT_EQ(panelFrame().topLeft(), QPointF(1086, 10));

    t.advance(1000ms);
    EXPECT_EQ(panelFrame(), QRectF(3006, 10, 330, 190));
    EXPECT_EQ(t.panel().animationDurations.back(), 280ms);
    EXPECT_TRUE(model().facingRight);
    EXPECT_EQ(model().expression.get(), CompanionExpression::excited);

    model().setMenuOpen(true);
    EXPECT_FALSE(model().menuOpen) << "no menu during a hop";
    const std::int64_t waves = model().waveSignal;
    t.panel().finishAnimation();
    t.advance();
    EXPECT_EQ(model().waveSignal, waves + 1) << "the mascot waves on arrival";

    // The count starts again after a move: back on the first display, the
    // panel follows on the second tick, not the first.
    t.fake.screens.mouse = QPointF(700, 500);
    t.advance(1000ms);
    EXPECT_EQ(panelFrame().topLeft(), QPointF(3006, 10));
    t.advance(1000ms);
    EXPECT_EQ(panelFrame().topLeft(), QPointF(1086, 10));
    t.panel().finishAnimation();
    t.advance();
    model().setMenuOpen(true);
    EXPECT_TRUE(model().menuOpen) << "the menu opens once the hop is over";
}

TEST_F(CompanionApp, AVisitToAnotherDisplayForOneTickMovesNothing)
{
    useTwoScreens();
    start();
    t.fake.screens.mouse = QPointF(2000, 500);
    t.advance(1000ms);
    t.fake.screens.mouse = QPointF(700, 500);
    t.advance(1000ms);
    // The count started again: the next visit moves the panel on its second tick.
    t.fake.screens.mouse = QPointF(2000, 500);
    t.advance(1000ms);
    EXPECT_EQ(panelFrame().topLeft(), QPointF(1086, 10));
    t.advance(1000ms);
    EXPECT_EQ(panelFrame().topLeft(), QPointF(3006, 10));
}

TEST_F(CompanionApp, DoesNotFollowWhileAnAlertShowsTheMenuIsOpenOrFollowingIsOff)
{
    useTwoScreens();
    start();
    model().enqueueAlert(CompanionAlertSource::call, QStringLiteral("x"));
    t.fake.screens.mouse = QPointF(2000, 500);
    t.advance(3000ms);
    EXPECT_EQ(panelFrame().topLeft(), QPointF(1086, 10));
    model().dismissAlert();
    t.advance(300ms);

    t.app->toggleFollowAcrossScreens(nullptr);
    EXPECT_EQ(t.kit.storedSettings().value(LumivoCompanionApp::followAcrossScreensKey), QJsonValue(false));
    t.advance(3000ms);
    EXPECT_EQ(panelFrame().topLeft(), QPointF(1086, 10));
    t.fake.mouse.pressElsewhere();
    t.advance();
    EXPECT_EQ(panelFrame().topLeft(), QPointF(1086, 10));
}

TEST_F(CompanionApp, AClickOnAnotherDisplaySummonsThePanelThere)
{
    useTwoScreens();
    start();
    t.fake.screens.mouse = QPointF(2000, 500);
    t.fake.mouse.pressElsewhere();
    t.advance();
    EXPECT_EQ(panelFrame(), QRectF(3006, 10, 330, 190));
    model().setMenuOpen(true);
    EXPECT_FALSE(model().menuOpen) << "no menu during a hop";

    // A second click during the hop starts nothing new.
    const std::size_t animations = t.panel().animationDurations.size();
    t.fake.screens.mouse = QPointF(700, 500);
    t.fake.mouse.pressElsewhere();
    t.advance();
    EXPECT_EQ(t.panel().animationDurations.size(), animations);
}

TEST_F(CompanionApp, TheFollowSwitchStartsFromTheSavedSetting)
{
    useTwoScreens();
    start();
    EXPECT_TRUE(followsAClickToTheOtherDisplay());
    EXPECT_TRUE(t.mainMenu().actions().at(3)->isChecked());

    t.kit.writeSettings({{LumivoCompanionApp::followAcrossScreensKey, false}});
    start();
    EXPECT_FALSE(followsAClickToTheOtherDisplay());
    QAction* follow = t.mainMenu().actions().at(3);
    EXPECT_EQ(follow->text(), QStringLiteral("Follow Me Across Screens"));
    EXPECT_FALSE(follow->isChecked());
    follow->trigger();
    EXPECT_TRUE(followsAClickToTheOtherDisplay());
    EXPECT_TRUE(follow->isChecked());
    EXPECT_EQ(t.kit.storedSettings().value(LumivoCompanionApp::followAcrossScreensKey), QJsonValue(true));
}

TEST_F(CompanionApp, ADisplayChangeFitsThePanelBackAndSavesWithTheMenuClosed)
{
    useTwoScreens();
    start();
    t.panel().setFrame(QRectF(2800, 500, 330, 190), FrameChange::immediate);
    t.fake.screens.rearrange({CompanionAppTestKit::laptop});
    t.advance();
    EXPECT_EQ(panelFrame(), QRectF(1110, 500, 330, 190)) << "nearest remaining screen";
    EXPECT_EQ(t.panel().changes.back(), FrameChange::windowSystemAnimation);
    EXPECT_EQ(t.kit.storedSettings().value(LumivoCompanionApp::panelPositionXKey).toDouble(), 1110);

    // Moved without a save, then opened: any save from here on writes another place.
    t.panel().setFrame(QRectF(1000, 300, 330, 190), FrameChange::immediate);
    model().setMenuOpen(true);
    t.fake.screens.rearrange({makeScreen(QRectF(0, 0, 1440, 500), 1)});
    t.advance();
    EXPECT_EQ(panelFrame().size(), QSizeF(516, 480));
    EXPECT_EQ(t.kit.storedSettings().value(LumivoCompanionApp::panelPositionXKey).toDouble(), 1110)
        << "nothing saved with the menu open";
}

TEST_F(CompanionApp, ResetWithTheMenuOpenRemembersTheCornerAsTheCollapsedPlace)
{
    start();
    model().setMenuOpen(true);
    model().resetPosition();
    EXPECT_EQ(panelFrame().topLeft(), QPointF(1440 - 516 - 24, 10));
    EXPECT_EQ(t.kit.storedSettings().value(LumivoCompanionApp::panelPositionXKey).toDouble(), 900);
    t.app->persistPanelPosition();
    EXPECT_EQ(t.kit.storedSettings().value(LumivoCompanionApp::panelPositionXKey).toDouble(), 900)
        << "saved with the menu open: the corner is where the panel closes back to";
    model().setMenuOpen(false);
    t.advance();
    EXPECT_EQ(panelFrame(), QRectF(900, 10, 330, 190));
}

TEST_F(CompanionApp, HidingTakesEverythingAwayAndShowingBringsThePanelToTheMouse)
{
    useTwoScreens();
    start();
    model().setMenuOpen(true);
    t.app->hideLumivo();
    EXPECT_TRUE(model().companionHidden);
    EXPECT_FALSE(model().menuOpen);
    EXPECT_TRUE(t.panel().visible);
    t.advance();
    EXPECT_FALSE(t.panel().visible);

    t.app->toggleFollowAcrossScreens(nullptr); // off; showing summons anyway
    t.fake.screens.mouse = QPointF(2000, 500);
    t.app->showLumivo();
    EXPECT_FALSE(model().companionHidden);
    EXPECT_TRUE(t.panel().visible);
    EXPECT_EQ(panelFrame().topLeft(), QPointF(3006, 10));
    EXPECT_TRUE(t.app->applicationShouldHandleReopen());
}

TEST_F(CompanionApp, LinksRaiseAlertsOpenDestinationsAndBringThePanelForward)
{
    start();
    int schedules = 0;
    int monitors = 0;
    model().openSchedule = [&] { ++schedules; };
    model().openActivityMonitor = [&] { ++monitors; };
    const int fronts = t.panel().frontOrders;

    t.app->openURLs({QUrl(QStringLiteral("LUMIVO://NOTIFY?type=CALL&detail=Front%20desk")),
                     QUrl(QStringLiteral("lumivo://notify?type=fax"))});
    ASSERT_TRUE(model().activeAlert.get());
    EXPECT_EQ(model().activeAlert.get()->source(), CompanionAlertSource::call);
    EXPECT_EQ(model().activeAlert.get()->detail(), QStringLiteral("Front desk"));
    EXPECT_EQ(t.panel().frontOrders, fronts + 1) << "the fax link brings nothing forward";
    EXPECT_TRUE(t.alertPanel().visible);

    t.app->handleCompanionURL(QUrl(QStringLiteral("lumivo://activity-monitor")));
    EXPECT_EQ(monitors, 1);
    EXPECT_EQ(t.panel().frontOrders, fronts + 1);
    t.app->handleCompanionURL(QUrl(QStringLiteral("lumivo://schedule")));
    EXPECT_EQ(schedules, 1);
    EXPECT_EQ(t.panel().frontOrders, fronts + 2);
}

TEST_F(CompanionApp, TellsTheViewsWhetherAnybodyCanSeeEitherPanelUntilShutdown)
{
    start();
    EXPECT_EQ(t.fake.visibility.watchedWindows,
              (QList<QWidget*>{t.panel().content.get(), t.alertPanel().content.get()}));
    EXPECT_EQ(t.seenAnswers, std::vector<bool>{true});
    t.fake.visibility.setSeen(false);
    t.fake.visibility.setSeen(true);
    EXPECT_EQ(t.seenAnswers, (std::vector<bool>{true, false, true}));
    t.app->applicationWillTerminate();
    EXPECT_EQ(t.fake.visibility.monitorCount(), 0u);
}

TEST_F(CompanionApp, TheDesktopActionsAnswerTheHooksAndOtherApplicationsRefreshTheTaskList)
{
    start();
    model().openSchedule();
    model().openDashboard();
    EXPECT_EQ(t.fake.applications.openedURLs,
              (QList<QUrl>{CompanionCTA(CompanionCTA::calendar).destination().fallbackURL(),
                           QUrl(QStringLiteral("http://127.0.0.1:4173/?companion=1&expanded=1"))}));

    model().taskPanelOpen = true;
    RunningApplication notes;
    notes.processIdentifier = 41;
    notes.localizedName = QStringLiteral("Notes");
    notes.regular = true;
    t.fake.workspace.launch(notes);
    EXPECT_TRUE(model().runningApps->empty()) << "refreshed on the next turn of the main loop";
    t.advance();
    ASSERT_EQ(model().runningApps->size(), 1u);
    EXPECT_EQ(model().runningApps->front().name, QStringLiteral("Notes"));
}

TEST_F(CompanionApp, ShutdownSavesThePositionAndStopsWatching)
{
    start();
    t.panel().setFrame(QRectF(500, 200, 330, 190), FrameChange::immediate);
    EXPECT_EQ(t.fake.mouse.monitorCount(), 1u);
    t.app->applicationWillTerminate();
    EXPECT_EQ(t.fake.mouse.monitorCount(), 0u);
    EXPECT_EQ(t.kit.storedSettings().value(LumivoCompanionApp::panelPositionXKey).toDouble(), 500);
    EXPECT_EQ(t.kit.storedSettings().value(LumivoCompanionApp::panelPositionYKey).toDouble(), 200);

    // With the menu open the collapsed origin is what is saved.
    start();
    const QPointF collapsed = panelFrame().topLeft();
    model().setMenuOpen(true);
    ASSERT_NE(panelFrame().x(), collapsed.x());
    t.app->applicationWillTerminate();
    EXPECT_EQ(t.kit.storedSettings().value(LumivoCompanionApp::panelPositionXKey).toDouble(), collapsed.x());

    model().quit();
    EXPECT_EQ(t.terminations, 1);
}

QStringList titlesOf(const QMenu& menu)
{
    QStringList titles;
    for (const QAction* action : menu.actions())
        titles.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    return titles;
}

TEST_F(CompanionApp, TheMenusOfferShowHideResetFollowAndQuit)
{
    start();
    EXPECT_EQ(t.mainMenu().title(), QStringLiteral("Varadi"));
    EXPECT_EQ(
        titlesOf(t.mainMenu()),
        (QStringList{QStringLiteral("Show Vora"), QStringLiteral("Hide Vora"), QStringLiteral("Reset Vora Position"),
                     QStringLiteral("Follow Me Across Screens"), QStringLiteral("-"), QStringLiteral("Quit Vora")}));
    EXPECT_EQ(t.mainMenu().actions().last()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));

    EXPECT_EQ(t.statusMenu().title(), QStringLiteral("CEO Vora"));
    EXPECT_EQ(
        titlesOf(t.statusMenu()),
        (QStringList{QStringLiteral("Show CEO Vora"), QStringLiteral("Hide CEO Vora"),
                     QStringLiteral("Reset CEO Vora Position"), QStringLiteral("-"), QStringLiteral("Quit CEO Vora")}));
    // Without its picture the status item has no tooltip, and its menu still works.
    EXPECT_TRUE(t.app->statusItem()->toolTip().isEmpty());
    t.statusMenu().actions().at(1)->trigger();
    EXPECT_TRUE(model().companionHidden);
    t.statusMenu().actions().last()->trigger();
    t.mainMenu().actions().last()->trigger();
    EXPECT_EQ(t.terminations, 2);
}

TEST_F(CompanionApp, TheStatusItemShowsItsPictureWithItsTooltip)
{
    QImage picture(36, 36, QImage::Format_ARGB32);
    picture.fill(Qt::magenta);
    t.statusIconPath = t.kit.directory.filePath(QStringLiteral("tovi-agent-logo.png"));
    ASSERT_TRUE(picture.save(t.statusIconPath));
    start();
    EXPECT_EQ(t.app->statusItem()->toolTip(), QStringLiteral("CEO Vora"));
    EXPECT_FALSE(t.app->statusItem()->icon().isNull());

    t.statusIconPath = t.kit.directory.filePath(QStringLiteral("broken.png"));
    QFile broken(t.statusIconPath);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();
    start();
    EXPECT_TRUE(t.app->statusItem()->toolTip().isEmpty());
}

TEST_F(CompanionApp, TheStatusItemTakesTheEditionsIconFromTheIconThemeWhenInstalled)
{
    // The hicolor theme as the package installs it, with only the employee
    // edition's icon.
    const QDir icons(t.kit.directory.filePath(QStringLiteral("icons")));
    ASSERT_TRUE(icons.mkpath(QStringLiteral("hicolor/22x22/apps")));
    QFile index(icons.filePath(QStringLiteral("hicolor/index.theme")));
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=Hicolor\nDirectories=22x22/apps\n\n[22x22/apps]\nSize=22\nType=Fixed\n");
    index.close();
    QImage picture(22, 22, QImage::Format_ARGB32);
    picture.fill(Qt::magenta);
    ASSERT_TRUE(picture.save(icons.filePath(QStringLiteral("hicolor/22x22/apps/lumivo-companion-employee.png"))));
    const QStringList searchPaths = QIcon::themeSearchPaths();
    const QString themeName = QIcon::themeName();
    QIcon::setThemeSearchPaths({icons.path()});
    QIcon::setThemeName(QStringLiteral("hicolor"));

    t.statusIconName = QStringLiteral("lumivo-companion-employee");
    start();
    EXPECT_EQ(t.app->statusItem()->icon().name(), QStringLiteral("lumivo-companion-employee"));
    EXPECT_EQ(t.app->statusItem()->toolTip(), QStringLiteral("CEO Vora"));

    // Not in the theme: the bundle's picture stands in, and without it the
    // item stays an empty square.
    t.statusIconName = QStringLiteral("lumivo-companion");
    t.statusIconPath = t.kit.directory.filePath(QStringLiteral("tovi-agent-logo.png"));
    ASSERT_TRUE(picture.save(t.statusIconPath));
    start();
    EXPECT_TRUE(t.app->statusItem()->icon().name().isEmpty());
    EXPECT_FALSE(t.app->statusItem()->icon().isNull());
    t.statusIconPath.clear();
    start();
    EXPECT_TRUE(t.app->statusItem()->toolTip().isEmpty());

    QIcon::setThemeSearchPaths(searchPaths);
    QIcon::setThemeName(themeName);
}

} // namespace
