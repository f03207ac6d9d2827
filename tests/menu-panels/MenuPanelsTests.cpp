// The menu's sub-panels in the opened menu, against a model whose hooks
// record their calls: each panel's controls and what they call, the
// two-step quits, the fleet by edition and by error, and lists that scroll
// within the room the panel has.
#include "PanelFixtures.h"

#include "menu/MenuTestKit.h"

#include "menu/PanelScroller.h"
#include "menu/panels/GoogleLinksPanel.h"
#include "menu/panels/MenuPanels.h"
#include "menu/panels/TaskPanel.h"
#include "menu/panels/UsageFigures.h"
#include "menu/panels/UsagePanel.h"
#include "model/OutsideText.h"
#include "ui/Symbols.h"

#include <QAccessible>
#include <QWheelEvent>

#include <map>
#include <tuple>

using namespace Qt::StringLiterals;

namespace {

using Calls = std::vector<std::string>;

class PanelKit : public MenuTestKit {
public:
    explicit PanelKit(CompanionEdition edition = CompanionEdition::commandCenter) : MenuTestKit(edition, menuPanels())
    {
    }

    OpenedMenu& show(Published<bool> CompanionModel::*flag)
    {
        OpenedMenu& shown = open();
        (*model).*flag = true;
        settle();
        return shown;
    }
    bool has(const QString& name) const { return menu->control(name) != nullptr; }
    // The card fits the room the panel gives it.
    bool fits() const { return menu->cardGeometry().height() <= view.height() - 26 + 0.01; }
    PanelScroller const* scroller() const
    {
        if (const auto* list = dynamic_cast<const ListPanel*>(menu->bodySection()))
            return &list->scroller();
        return nullptr;
    }
    // Turns the wheel over the list by notches (down is positive).
    void turnWheel(int notches)
    {
        QWidget* viewport = scroller()->viewport();
        QWheelEvent wheel(QPointF(10, 10), QPointF(viewport->mapToGlobal(QPoint(10, 10))), QPoint(),
                          QPoint(0, -120 * notches), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(viewport, &wheel);
        settle();
    }
};

std::vector<RunningAppInfo> apps(int count)
{
    std::vector<RunningAppInfo> listed;
    for (int index = 0; index < count; ++index)
        listed.push_back({100 + index, u"App %1"_s.arg(index, 2, 10, QLatin1Char('0')),
                          MenuTestKit::colouredIcon(Qt::red), index == 0});
    return listed;
}

TEST(MenuPanels, EachShowsInTheBodyAndItsBackChipClearsOnlyItsOwnFlag)
{
    PanelKit kit;
    OpenedMenu& menu = kit.open();
    CompanionModel& model = *kit.model;
    model.runningApps = apps(2);
    model.fleetBots = botsOf(fleetFeed(QDateTime::currentDateTime()));
    model.agentUsage = usageOf(usageFeed(QDateTime::currentDateTime()));
    for (Published<bool> CompanionModel::*flag :
         {&CompanionModel::layoutPanelOpen, &CompanionModel::googlePanelOpen, &CompanionModel::usagePanelOpen,
          &CompanionModel::taskPanelOpen, &CompanionModel::fleetPanelOpen})
        model.*flag = true;
    kit.settle();
    const std::vector<std::tuple<MenuBody, QString, PanelFlags>> steps{
        {MenuBody::layout, u"Side by Side"_s, {.google = true, .usage = true, .task = true, .fleet = true}},
        {MenuBody::google, u"Recall"_s, {.usage = true, .task = true, .fleet = true}},
        {MenuBody::usage, QString(), {.task = true, .fleet = true}},
        {MenuBody::task, u"Quit App 01"_s, {.fleet = true}},
        {MenuBody::fleet, u"Switch Front desk off"_s, {}},
    };
    for (const auto& [body, control, after] : steps) {
        EXPECT_EQ(menu.body(), body);
        EXPECT_TRUE(control.isEmpty() || kit.has(control)) << control.toStdString();
        EXPECT_FALSE(kit.has(u"Email"_s)) << "the standard sections gave way";
        EXPECT_TRUE(kit.fits()) << int(body);
        kit.press(u"Close Varadi controls"_s);
        EXPECT_EQ(PanelFlags::of(model), after) << int(body);
    }
    EXPECT_EQ(menu.body(), MenuBody::standard);
    EXPECT_TRUE(kit.takeCalls().empty()) << "no Back chip closes the menu or calls a hook";
}

TEST(MenuPanels, TheUsagePillOpensTheUsagePanelInTheOwnersEditionOnly)
{
    PanelKit kit;
    OpenedMenu& menu = kit.open();
    MenuButton* pill = menu.control(u"AI usage"_s);
    ASSERT_NE(pill, nullptr);
    EXPECT_EQ(pill->toolTip(), u"Daily & weekly usage breakdown"_s);
    std::vector<std::optional<Animation>> transactions;
    QObject::connect(kit.model.get(), &ObservableObject::willChange,
                     [&] { transactions.push_back(kit.model->currentTransaction()); });
    kit.press(u"AI usage"_s);
    EXPECT_EQ(PanelFlags::of(*kit.model), PanelFlags({.usage = true}));
    EXPECT_EQ(menu.body(), MenuBody::usage);
    ASSERT_EQ(transactions.size(), 3u) << "the usage flag toggled, the Google and layout flags cleared";
    EXPECT_EQ(transactions.front(), Animation::easeInOut(0.16));
    EXPECT_TRUE(kit.takeCalls().empty()) << "the menu stays open";

    PanelKit employee(CompanionEdition::employee);
    EXPECT_FALSE(employee.open().control(u"AI usage"_s));
}

TEST(MenuPanels, LayoutAndGoogleTilesCallTheirHooks)
{
    PanelKit kit;
    kit.show(&CompanionModel::layoutPanelOpen);
    kit.press(u"Side by Side"_s);
    EXPECT_EQ(kit.takeCalls(), Calls({"tileWindowsLeftRight", "setMenuOpen(false)"}));
    kit.press(u"Four Corners"_s);
    EXPECT_EQ(kit.takeCalls(), Calls({"tileWindowsToCorners", "setMenuOpen(false)"}));

    kit.model->layoutPanelOpen = false;
    kit.model->googlePanelOpen = true;
    kit.settle();
    // One tile per Google and business link of the catalogue, from Google search to Hubstaff.
    const std::vector<GoogleLinksPanel::Link> links = GoogleLinksPanel::links(CompanionEdition::commandCenter);
    ASSERT_EQ(links.size(), std::size_t(CompanionCTA::hubstaff - CompanionCTA::googleSearch + 1));
    for (std::size_t index = 0; index < links.size(); ++index) {
        EXPECT_EQ(links[index].target, CompanionCTA(CompanionCTA::Value(CompanionCTA::googleSearch + index)));
        EXPECT_TRUE(Symbols::isKnown(links[index].symbol)) << links[index].symbol.toStdString();
        kit.press(links[index].title);
        EXPECT_EQ(
            kit.takeCalls(),
            Calls({"openGoogleLink(" + links[index].target.rawValue().toStdString() + ")", "setMenuOpen(false)"}));
    }
    kit.press(u"Recall"_s);
    EXPECT_EQ(kit.takeCalls(), Calls({"openRecallPage", "setMenuOpen(false)"}));
    kit.press(u"Close Tabs"_s);
    EXPECT_EQ(kit.takeCalls(), Calls({"closeGoogleSearchWindows"})) << "the command closes the panel, not the menu";

    // The separate-windows switch flips the saved choice and shows it.
    ASSERT_TRUE(kit.model->googleOpensSeparately);
    const QString onTip = kit.menu->control(u"New Windows"_s)->toolTip();
    kit.press(u"New Windows"_s);
    EXPECT_FALSE(kit.model->googleOpensSeparately);
    EXPECT_EQ(kit.storedSettings().value(CompanionModel::googleSeparateKey), QJsonValue(false));
    EXPECT_NE(kit.menu->control(u"New Windows"_s)->toolTip(), onTip);
    kit.press(u"New Windows"_s);
    EXPECT_TRUE(kit.model->googleOpensSeparately);
    EXPECT_TRUE(kit.takeCalls().empty());
}

TEST(MenuPanels, OnlyTheOwnersEditionHasThePayrollAndAccountingTiles)
{
    const auto titles = [](CompanionEdition edition) {
        std::map<CompanionCTA, QString> byTarget;
        for (const GoogleLinksPanel::Link& link : GoogleLinksPanel::links(edition))
            byTarget.emplace(link.target, link.title);
        return byTarget;
    };
    std::map<CompanionCTA, QString> owners = titles(CompanionEdition::commandCenter);
    EXPECT_EQ(owners[CompanionCTA::gusto], u"HR/Payroll"_s);
    EXPECT_EQ(owners[CompanionCTA::xero], u"Accounting"_s);
    owners.erase(CompanionCTA::gusto);
    owners.erase(CompanionCTA::xero);
    EXPECT_EQ(titles(CompanionEdition::employee), owners);

    PanelKit employee(CompanionEdition::employee);
    employee.show(&CompanionModel::googlePanelOpen);
    EXPECT_TRUE(employee.has(u"Docs"_s));
    EXPECT_FALSE(employee.has(u"HR/Payroll"_s) || employee.has(u"Accounting"_s));
}

TEST(MenuPanels, TheUsagePanelWaitsThenShowsBothAgents)
{
    PanelKit kit;
    OpenedMenu& menu = kit.show(&CompanionModel::usagePanelOpen);
    const qreal waiting = menu.cardGeometry().height();
    kit.model->agentUsage = usageOf(usageFeed(QDateTime::currentDateTime()));
    kit.settle();
    EXPECT_GT(menu.cardGeometry().height(), waiting + 150) << "both agents' figures replace the waiting text";
    EXPECT_TRUE(kit.fits());

    const QLocale british(QLocale::English, QLocale::UnitedKingdom);
    const QDateTime now(QDate(2024, 5, 2), QTime(12, 0));
    const CompanionAgentUsage usage = usageOf(usageFeed(now));
    const UsagePanel::AgentLines claude = UsagePanel::linesFor(u"Claude"_s, usage.claude, now, british);
    EXPECT_TRUE(claude.active);
    EXPECT_EQ(claude.plan, u"MAX"_s);
    ASSERT_EQ(claude.limits.size(), 3u);
    EXPECT_EQ(claude.limits[0].label, u"5-hour window"_s);
    EXPECT_EQ(claude.limits[0].figures, u"59% left \u00B7 resets 14:14"_s);
    EXPECT_DOUBLE_EQ(claude.limits[0].usedShare, 0.415);
    EXPECT_EQ(claude.limits[1].figures, u"88% left \u00B7 resets Sun 12:00"_s);
    EXPECT_EQ(claude.limits[2].figures, u"37% left"_s) << "no reset time was sent";
    EXPECT_EQ(claude.today, u"182.3K tokens \u00B7 4 sessions"_s);
    EXPECT_EQ(claude.week, u"1.2M tokens \u00B7 31 sessions"_s);
    EXPECT_EQ(claude.models, u"opus 120K \u00B7 sonnet 62.3K"_s);
    const UsagePanel::AgentLines codex = UsagePanel::linesFor(u"Codex"_s, usage.codex, now, british);
    EXPECT_FALSE(codex.active);
    ASSERT_EQ(codex.limits.size(), 1u);
    EXPECT_EQ(codex.limits[0].label, u"Weekly limit"_s);
    EXPECT_EQ(codex.limits[0].figures, u"22% left \u00B7 resets Mon 12:00"_s);
    // An agent without limits says so, and its block is shorter.
    const UsagePanel::AgentLines bare = UsagePanel::linesFor(u"Codex"_s, CompanionAgentUsage::Agent{}, now, british);
    EXPECT_TRUE(bare.limits.empty());
    EXPECT_LT(UsagePanel::blockHeight(bare), UsagePanel::blockHeight(codex));
    EXPECT_LT(UsagePanel::blockHeight(codex), UsagePanel::blockHeight(claude));
}

TEST(MenuPanels, TheUsagePanelKeepsItsRowsAndItsBadgeToTheirRoomWhateverTheFeedSends)
{
    CompanionAgentUsage usage = usageOf(usageFeed(QDateTime::currentDateTime()));
    usage.claude.models = std::vector(10'000, usage.claude.models->front());
    usage.claude.plan->windows = std::vector(10'000, usage.claude.plan->windows.front());
    usage.claude.limits->planType = QString(OutsideText::longestLabel, u'W');
    UsagePanel::AgentLines lines = UsagePanel::linesFor(u"Claude"_s, usage.claude, QDateTime(), QLocale::c());
    EXPECT_EQ(lines.limits.size(), UsagePanel::mostLimitRows);
    EXPECT_EQ(lines.models.count(u"opus"_s), qsizetype(UsageFigures::mostModelsNamed));
    EXPECT_TRUE(lines.models.endsWith(u"\u00B7 \u2026"_s));

    // The plan's badge ends the heading line, in the room the name and "ACTIVE" leave.
    const QRectF line(10, 0, 280, 20);
    const std::optional<UsagePanel::PlanChip> cut = UsagePanel::planChip(line, lines);
    ASSERT_TRUE(cut && cut->text.endsWith(u'\u2026'));
    EXPECT_EQ(cut->chip.right(), line.right());
    EXPECT_FALSE(UsagePanel::planChip(QRectF(10, 0, 60, 20), lines)) << "no room after the name";
    lines.plan = u"MAX"_s;
    EXPECT_EQ(UsagePanel::planChip(line, lines)->text, u"MAX"_s);
}

TEST(MenuPanels, TaskRowsQuitOrForceQuitAndQuitAllAsksFirst)
{
    PanelKit kit;
    CompanionModel& model = *kit.model;
    model.runningApps = apps(3);
    model.forceReadyApps = QSet<std::int32_t>{101};
    kit.show(&CompanionModel::taskPanelOpen);
    EXPECT_TRUE(kit.has(u"Quit App 00"_s));
    EXPECT_FALSE(kit.has(u"Quit App 01"_s));
    kit.press(u"Quit App 00"_s);
    kit.press(u"Force Quit App 01"_s);
    EXPECT_EQ(kit.takeCalls(), Calls({"quitApp(100)", "forceQuitApp(101)"}));
    // The row follows the model: no longer force-ready, it offers a plain quit again.
    model.forceReadyApps = QSet<std::int32_t>{};
    kit.settle();
    EXPECT_TRUE(kit.has(u"Quit App 01"_s));
    EXPECT_FALSE(kit.has(u"Force Quit App 01"_s));

    kit.press(u"Quit All"_s);
    EXPECT_TRUE(kit.takeCalls().empty()) << "the first press only asks";
    EXPECT_TRUE(kit.view.confirmQuitAll());
    EXPECT_FALSE(kit.has(u"Quit All"_s));
    kit.press(u"Confirm Quit All"_s);
    EXPECT_EQ(kit.takeCalls(), Calls({"quitApp(100)", "quitApp(101)", "quitApp(102)"}));
    EXPECT_FALSE(kit.view.confirmQuitAll());
    EXPECT_TRUE(kit.has(u"Quit All"_s));

    // A first press left behind does not carry over to the next showing.
    kit.press(u"Quit All"_s);
    kit.press(u"Close Varadi controls"_s);
    model.taskPanelOpen = true;
    kit.settle();
    EXPECT_FALSE(kit.view.confirmQuitAll());
    kit.press(u"Quit All"_s);
    EXPECT_TRUE(kit.takeCalls().empty());

    // Nothing running: nothing to quit, and nothing for assistive technology to find.
    model.runningApps = {};
    kit.settle();
    EXPECT_FALSE(kit.has(u"Quit All"_s));
    EXPECT_FALSE(kit.has(u"Confirm Quit All"_s));
    QAccessible::setActive(true);
    std::function<int(QAccessibleInterface*)> quitAllsUnder = [&](QAccessibleInterface* node) {
        int found = node->text(QAccessible::Name).contains(u"Quit All"_s);
        for (int index = 0; index < node->childCount(); ++index)
            found += quitAllsUnder(node->child(index));
        return found;
    };
    EXPECT_EQ(quitAllsUnder(QAccessible::queryAccessibleInterface(&kit.view)), 0);
    model.runningApps = apps(1);
    kit.settle();
    EXPECT_EQ(quitAllsUnder(QAccessible::queryAccessibleInterface(&kit.view)), 1);
}

TEST(MenuPanels, FleetRowsSwitchBotsAndSwitchingOffAsksFirst)
{
    PanelKit kit;
    CompanionModel& model = *kit.model;
    model.fleetBots = botsOf(fleetFeed(QDateTime::currentDateTime()));
    OpenedMenu& menu = kit.show(&CompanionModel::fleetPanelOpen);
    kit.press(u"Switch Night shift on"_s);
    kit.press(u"Allow updates for Front desk"_s);
    kit.press(u"Stop updates for Bookkeeper"_s);
    EXPECT_EQ(kit.takeCalls(),
              Calls({"setBotEnabled(bot-2,true)", "setBotUpdates(bot-1,true)", "setBotUpdates(bot-3,false)"}));

    kit.press(u"Switch Front desk off"_s);
    EXPECT_TRUE(kit.takeCalls().empty()) << "the first press only asks";
    EXPECT_EQ(model.confirmKillBotID.get(), u"bot-1"_s);
    kit.press(u"Confirm switching Front desk off"_s);
    EXPECT_EQ(kit.takeCalls(), Calls({"setBotEnabled(bot-1,false)"}));
    EXPECT_EQ(model.confirmKillBotID.get(), std::nullopt);

    // Asking for one bot and then switching another on forgets the question.
    kit.press(u"Switch Bookkeeper off"_s);
    kit.press(u"Switch Night shift on"_s);
    EXPECT_EQ(model.confirmKillBotID.get(), std::nullopt);
    EXPECT_TRUE(kit.has(u"Switch Bookkeeper off"_s));
    kit.takeCalls();

    // A question left from an earlier showing is forgotten.
    kit.press(u"Switch Bookkeeper off"_s);
    kit.press(u"Close Varadi controls"_s);
    model.fleetPanelOpen = true;
    kit.settle();
    EXPECT_EQ(model.confirmKillBotID.get(), std::nullopt);
    EXPECT_TRUE(kit.has(u"Switch Bookkeeper off"_s));

    // Offline: the text stands over the last list, whose switches still work.
    const qreal online = menu.cardGeometry().height();
    model.fleetError = u"Fleet service offline \u2014 start Varadi OS to manage bots."_s;
    kit.settle();
    EXPECT_GT(menu.cardGeometry().height(), online);
    EXPECT_TRUE(kit.has(u"Switch Night shift on"_s));
    EXPECT_TRUE(kit.fits());
}

TEST(MenuPanels, TheEmployeeEditionShowsNoFleet)
{
    PanelKit kit(CompanionEdition::employee);
    kit.model->fleetBots = botsOf(fleetFeed(QDateTime::currentDateTime()));
    kit.model->fleetError = u"Fleet service offline"_s;
    OpenedMenu& menu = kit.show(&CompanionModel::fleetPanelOpen);
    EXPECT_EQ(menu.body(), MenuBody::fleet);
    EXPECT_TRUE(kit.has(u"Close Varadi controls"_s));
    for (MenuButton* control : menu.controls())
        EXPECT_FALSE(control->accessibleName().contains(u"Front desk"_s)) << control->accessibleName().toStdString();
}

TEST(MenuPanels, LongListsScrollWithinTheRoomThePanelHas)
{
    for (const int panelHeight : {590, 420}) {
        PanelKit kit;
        kit.view.resize(516, panelHeight);
        CompanionModel& model = *kit.model;
        model.runningApps = apps(16);
        model.fleetBots = botsOf(fleetFeed(QDateTime::currentDateTime()));
        model.agentUsage = usageOf(usageFeed(QDateTime::currentDateTime()));
        for (Published<bool> CompanionModel::*flag :
             {&CompanionModel::layoutPanelOpen, &CompanionModel::googlePanelOpen, &CompanionModel::usagePanelOpen,
              &CompanionModel::taskPanelOpen, &CompanionModel::fleetPanelOpen}) {
            kit.show(flag);
            EXPECT_TRUE(kit.fits()) << panelHeight << " " << int(kit.menu->body());
            model.*flag = false;
        }
        kit.show(&CompanionModel::taskPanelOpen);
        const PanelScroller& list = *kit.scroller();
        ASSERT_TRUE(list.overflows());
        const auto onShow = [&](const QString& name) {
            const MenuButton* button = kit.menu->control(name);
            return button && list.window().contains(button->cardRect());
        };
        EXPECT_TRUE(onShow(u"Quit App 00"_s));
        EXPECT_FALSE(onShow(u"Quit App 15"_s));
        kit.turnWheel(100);
        EXPECT_FALSE(onShow(u"Quit App 00"_s));
        EXPECT_TRUE(onShow(u"Quit App 15"_s)) << "the wheel goes as far as the last row and no further";
        EXPECT_NEAR(kit.menu->control(u"Quit App 15"_s)->cardRect().bottom(), list.window().bottom() - 5, 0.01);
        // A row that goes away brings the list back within its end.
        model.runningApps = apps(12);
        kit.settle();
        EXPECT_LE(list.offset(), 12 * TaskPanel::rowHeight + 11 * SubPanel::rowSpacing - list.window().height() + 0.01);
        kit.turnWheel(-100);
        EXPECT_EQ(list.offset(), 0);
    }
    // Opened on a shorter screen, the panel on screen is shorter: the open list takes the room it now has.
    PanelKit kit;
    kit.model->runningApps = apps(16);
    OpenedMenu& menu = kit.show(&CompanionModel::taskPanelOpen);
    const qreal tall = menu.cardGeometry().height();
    kit.view.show();
    kit.view.resize(516, 400);
    kit.settle();
    EXPECT_TRUE(kit.fits());
    const qreal shorter = menu.cardGeometry().height();
    EXPECT_LT(shorter, tall);
    // The collapsed panel, too narrow for the card, says nothing of its room.
    kit.view.resize(330, 190);
    kit.settle();
    EXPECT_EQ(menu.cardGeometry().height(), shorter);
}

} // namespace
