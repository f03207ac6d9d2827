// The opened menu on a real X11 desktop, as the panel hosts it: each look is
// captured from the screen, saved for a person to see and checked for what
// must be there.
#include "support/Backdrop.h"
#include "support/ModelTestKit.h"

#include "menu-panels/PanelFixtures.h"

#include "ProgramMenuKit.h"
#include "desktop/DesktopTestKit.h"
#include "menu/MenuMetrics.h"
#include "menu/OpenedMenu.h"
#include "menu/StandardSections.h"
#include "menu/panels/MenuPanels.h"
#include "model/ResourceBundle.h"
#include "services/QrCodeImage.h"
#include "ui/AnimationDriver.h"

#include <QCursor>
#include <QDir>
#include <QJsonArray>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

class MenuScreenshots : public ::testing::Test {
protected:
    void open(CompanionEdition edition, CompanionAppearance appearance = CompanionAppearance::light,
              const QStringList& personalApps = {})
    {
        kit.writeSettings(
            {{CompanionModel::appearanceKey, appearance == CompanionAppearance::dark ? u"dark"_s : u"light"_s},
             {CompanionModel::personalAppsKey, QJsonArray::fromStringList(personalApps)}});
        model = kit.makeModel();
        backdrop.setGeometry(100, 100, 560, 640);
        companion = new CompanionView(*model, environment, &backdrop);
        companion->setGeometry(20, 20, 516, 590);
        menu = new OpenedMenu(*companion, environment, edition, applications, menuPanels());
        companion->hostMenu(menu);
        backdrop.show();
        QCursor::setPos(1200, 1000);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&backdrop));
        model->menuOpen = true;
        // The card comes fully in beside the mascot, which steps aside.
        ASSERT_TRUE(waitUntil([&] {
            const AnimatedValue& presence = companion->menuPresence();
            return menu->isShowing() && presence.target() == 1 && !presence.isAnimating()
                && !companion->mascotShift().isAnimating();
        }));
        ASSERT_TRUE(menu->isShowing());
    }

    // The card follows the model a turn or two of the event loop later.
    static void followModel() { MenuMap::settle(); }

    // What the views show now, on the screen.
    QImage shown()
    {
        backdrop.repaint();
        return backdrop.screenshot();
    }

    QImage capture(const QString& name)
    {
        const QImage shot = shown();
        QDir().mkpath(folder);
        shot.save(folder + u"/menu-"_s + name + u".png"_s);
        return shot;
    }

    // The card in the captured picture.
    QRect card() const { return menu->cardGeometry().toAlignedRect().translated(menu->pos() + companion->pos()); }

    // The mean lightness of the card's inside, away from rim and tiles' glows.
    static double lightness(const QImage& shot, const QRect& area)
    {
        double sum = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                sum += QColor(shot.pixel(x, y)).lightnessF();
        return sum / (area.width() * area.height());
    }

    static int differentPixels(const QImage& a, const QImage& b, const QRect& area)
    {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                count += a.pixel(x, y) != b.pixel(x, y);
        return count;
    }

    ModelTestKit kit;
    std::unique_ptr<CompanionModel> model;
    const ResourceBundle bundle{QStringLiteral(LUMIVO_BINARY_DIR "/src/lumivo-companion.resources")};
    ViewEnvironment environment = ViewEnvironment::live(bundle);
    MenuApplications applications;
    Backdrop backdrop;
    CompanionView* companion = nullptr;
    OpenedMenu* menu = nullptr;
    const QString folder = QStringLiteral(LUMIVO_BINARY_DIR "/screenshots");
};

TEST_F(MenuScreenshots, BothEditionsInLightAndDark)
{
    for (CompanionEdition edition : CompanionEdition::allCases) {
        std::array<double, 2> lightnesses{};
        for (CompanionAppearance appearance : {CompanionAppearance::light, CompanionAppearance::dark}) {
            open(edition, appearance);
            const QString name =
                edition.rawValue() + (appearance == CompanionAppearance::dark ? u"-dark"_s : u"-light"_s);
            const QImage shot = capture(name);
            // Between the agents and the OS grid lies bare card: its ground shows the appearance.
            const QRect gap = menu->control(u"ChatGPT"_s)->geometry().translated(menu->pos() + companion->pos());
            const QRect ground(card().left() + 40, gap.bottom() + 4, 200, 3);
            lightnesses[appearance == CompanionAppearance::dark] = lightness(shot, ground);
            // The rim's light runs round the whole card.
            EXPECT_GT(lightness(shot, QRect(card().left(), card().center().y(), 2, 40)), lightness(shot, ground));
            backdrop.hide();
            delete companion;
        }
        EXPECT_LT(lightnesses[1], lightnesses[0] - 0.05) << "the dark card is no darker";
    }
}

TEST_F(MenuScreenshots, TheRimChangesAsTheRingsTurnWhileTheTilesKeepStill)
{
    open(CompanionEdition::commandCenter);
    const QImage before = capture(u"rings-before"_s);
    // The rings turn 40 degrees a second.
    const double turnBefore = companion->borderPhase().value();
    EXPECT_TRUE(waitUntil([&] { return std::fmod(companion->borderPhase().value() - turnBefore + 360, 360) >= 16; }));
    const QImage after = capture(u"rings-after"_s);
    const QRect rim(card().left(), card().top() + 40, 3, card().height() - 80);
    EXPECT_GT(differentPixels(before, after, rim), rim.height() / 4);
    // The inside of the card keeps still between the aurora's steps, or barely moves with them.
    const QRect still =
        menu->control(u"Email"_s)->geometry().translated(menu->pos() + companion->pos()).adjusted(12, 8, -12, -8);
    EXPECT_LT(differentPixels(before, after, still), still.width() * still.height() / 2);
}

TEST_F(MenuScreenshots, AHoveredTileGlowsPastItsFrame)
{
    open(CompanionEdition::commandCenter);
    MenuButton* email = menu->control(u"Email"_s);
    const QRect tile = QRect(email->mapTo(&backdrop, QPoint(0, 0)), email->size());
    const QRect below(tile.left(), tile.bottom() + 2, tile.width(), 3);
    const QImage resting = capture(u"tile-resting"_s);
    QCursor::setPos(backdrop.mapToGlobal(tile.center()));
    // The glow springs out under the tile.
    EXPECT_TRUE(waitUntil([&] {
        const QImage now = shown();
        return email->underMouse() && lightness(now, below) > lightness(resting, below) + 0.02
            && QColor(now.pixel(below.center())).redF() > QColor(resting.pixel(below.center())).redF();
    }));
    const QImage hovered = capture(u"tile-hovered"_s);
    EXPECT_TRUE(email->underMouse());
    // The magenta glow spreads under the tile, into the gap before the next row.
    EXPECT_GT(lightness(hovered, below), lightness(resting, below) + 0.02);
    EXPECT_GT(QColor(hovered.pixel(below.center())).redF(), QColor(resting.pixel(below.center())).redF());
}

// Counts the pixels of area whose colour is near the brand's violet to orange.
int brandPixels(const QImage& shot, const QRect& area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor colour(shot.pixel(x, y));
            count += colour.saturationF() > 0.45 && colour.valueF() > 0.45
                && (colour.hueF() > 0.68 || (colour.hueF() >= 0 && colour.hueF() < 0.08));
        }
    }
    return count;
}

RunningAppInfo runningApp(std::int32_t id, const QString& name, const QColor& colour, bool frontmost = false)
{
    QPixmap square(36, 36);
    square.fill(Qt::transparent);
    QPainter painter(&square);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(colour);
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(2, 2, 32, 32), 8, 8);
    painter.end();
    return {id, name, QIcon(square), frontmost};
}

std::vector<RunningAppInfo> someRunningApps(int count)
{
    static const std::vector<std::pair<QString, QColor>> apps{
        {u"Firefox"_s, QColor(255, 120, 30)},    {u"Files"_s, QColor(70, 130, 220)},
        {u"GIMP"_s, QColor(120, 110, 90)},       {u"LibreOffice Writer"_s, QColor(40, 110, 200)},
        {u"Slack"_s, QColor(90, 30, 100)},       {u"Terminal"_s, QColor(40, 40, 40)},
        {u"Thunderbird"_s, QColor(30, 90, 200)}, {u"VLC media player"_s, QColor(240, 130, 0)},
    };
    std::vector<RunningAppInfo> listed;
    for (int index = 0; index < count; ++index) {
        const auto& [name, colour] = apps[std::size_t(index) % apps.size()];
        listed.push_back(runningApp(
            100 + index, index < int(apps.size()) ? name : name + u" "_s + QString::number(index), colour, index == 0));
    }
    return listed;
}

TEST_F(MenuScreenshots, EachPanelWithRealisticFigures)
{
    open(CompanionEdition::commandCenter, CompanionAppearance::dark);
    const QDateTime now = QDateTime::currentDateTime();
    model->agentUsage = usageOf(usageFeed(now));
    model->runningApps = someRunningApps(5);
    model->forceReadyApps = QSet<std::int32_t>{103};
    model->fleetBots = botsOf(fleetFeed(now));
    followModel();
    // The usage pill stands among the standard sections, above the footer.
    const QImage standard = capture(u"usage-pill"_s);
    MenuButton* pill = menu->control(u"AI usage"_s);
    ASSERT_NE(pill, nullptr);
    const QRect pillArea = pill->geometry().translated(menu->pos() + companion->pos());
    EXPECT_GT(brandPixels(standard, pillArea), pillArea.width() * 4) << "the agents' pills show what is left";

    const std::vector<std::pair<QString, Published<bool> CompanionModel::*>> flags{
        {u"layout"_s, &CompanionModel::layoutPanelOpen}, {u"google"_s, &CompanionModel::googlePanelOpen},
        {u"usage"_s, &CompanionModel::usagePanelOpen},   {u"task"_s, &CompanionModel::taskPanelOpen},
        {u"fleet"_s, &CompanionModel::fleetPanelOpen},
    };
    for (const auto& [name, flag] : flags) {
        (*model).*flag = true;
        followModel();
        capture(u"panel-"_s + name);
        // Every panel fits the card in the panel, and starts with its Back chip.
        EXPECT_LE(menu->cardGeometry().height(),
                  companion->height() - CompanionView::contentPadding.top() - CompanionView::contentPadding.bottom())
            << name.toStdString();
        EXPECT_NE(menu->control(u"Close Varadi controls"_s), nullptr) << name.toStdString();
        (*model).*flag = false;
    }
}

TEST_F(MenuScreenshots, EmptyAndOfflinePanels)
{
    open(CompanionEdition::commandCenter);
    model->usagePanelOpen = true;
    followModel();
    capture(u"panel-usage-waiting"_s);
    model->usagePanelOpen = false;

    model->taskPanelOpen = true;
    followModel();
    capture(u"panel-task-empty"_s);
    EXPECT_EQ(menu->control(u"Quit All"_s), nullptr) << "nothing to quit";
    model->taskPanelOpen = false;

    model->fleetPanelOpen = true;
    model->fleetBots = botsOf(fleetFeed(QDateTime::currentDateTime()));
    model->fleetError = u"Fleet service offline — start Varadi OS to manage bots."_s;
    followModel();
    const QImage offline = capture(u"panel-fleet-offline"_s);
    // The offline text stands over the last list, in orange.
    const MenuButton* firstSwitch = menu->control(u"Switch Front desk off"_s);
    ASSERT_NE(firstSwitch, nullptr);
    const int rows = firstSwitch->mapTo(&backdrop, QPoint(0, 0)).y();
    const QRect above(card().left() + 10, rows - 40, card().width() - 20, 30);
    int orange = 0;
    for (int y = above.top(); y <= above.bottom(); ++y)
        for (int x = above.left(); x <= above.right(); ++x) {
            const QColor colour(offline.pixel(x, y));
            orange += colour.hueF() > 0.03 && colour.hueF() < 0.12 && colour.saturationF() > 0.5;
        }
    EXPECT_GT(orange, 40);
}

TEST_F(MenuScreenshots, ALongTaskListScrollsInsideTheCard)
{
    open(CompanionEdition::commandCenter);
    model->runningApps = someRunningApps(16);
    model->taskPanelOpen = true;
    followModel();
    const int room =
        companion->height() - int(CompanionView::contentPadding.top() + CompanionView::contentPadding.bottom());
    EXPECT_LE(menu->cardGeometry().height(), room);
    const QImage top = capture(u"panel-task-long"_s);
    MenuButton* first = menu->control(u"Quit Firefox"_s);
    ASSERT_NE(first, nullptr);
    const QPoint over = first->mapTo(&backdrop, first->rect().center()) - QPoint(120, 0);
    // The wheel over the list moves it; what was first goes out of the window.
    for (int notch = 0; notch < 3; ++notch) {
        QWheelEvent wheel(QPointF(first->parentWidget()->mapFrom(&backdrop, over)), QPointF(backdrop.mapToGlobal(over)),
                          QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(first->parentWidget(), &wheel);
    }
    const QImage scrolled = capture(u"panel-task-scrolled"_s);
    EXPECT_LT(first->geometry().bottom(), 0) << "the first row left the window";
    const QRect list = first->parentWidget()->geometry().translated(menu->pos() + companion->pos());
    EXPECT_GT(differentPixels(top, scrolled, list), list.width() * list.height() / 8);
}

TEST_F(MenuScreenshots, GoMobileWithItsCode)
{
    open(CompanionEdition::commandCenter);
    model->mobileQRImage = QrCodeImage::forText(u"http://192.168.1.20:4173/?token=3f9c2a"_s);
    model->mobileLinkCopied = true;
    model->mobileInstructionsVisible = true;
    followModel();
    const QImage shot = capture(u"go-mobile"_s);
    // The code stands on its white block, module by module, black on white.
    MenuButton* back = menu->control(u"Close Varadi controls"_s);
    ASSERT_NE(back, nullptr);
    const QPoint blockCorner = back->mapTo(&backdrop, back->rect().bottomLeft()) + QPoint(4, 20);
    const QRect block(blockCorner, QSize(160, 160));
    int white = 0;
    int black = 0;
    for (int y = block.top(); y <= block.bottom(); ++y) {
        for (int x = block.left(); x <= block.right(); ++x) {
            const int level = qGray(shot.pixel(x, y));
            white += level > 230;
            black += level < 40;
        }
    }
    EXPECT_GT(white, block.width() * block.height() / 4);
    EXPECT_GT(black, block.width() * block.height() / 5);

    // Too tall for the panel, the sections show through a window that ends
    // with the card; a real wheel turned over a tile brings their end in.
    const int room =
        companion->height() - int(CompanionView::contentPadding.top() + CompanionView::contentPadding.bottom());
    EXPECT_LE(menu->cardGeometry().height(), room);
    QWidget* viewport = menu->standardSections()->scroller().viewport();
    const QRect window(viewport->mapTo(&backdrop, QPoint(0, 0)), viewport->size());
    // The thumb on the window's right edge: lit at the top before, at the bottom after.
    const QRect thumbTop(window.right() - 2, window.top() + 2, 3, 20);
    const QRect thumbBottom(window.right() - 2, window.bottom() - 21, 3, 20);
    EXPECT_GT(lightness(shot, thumbTop), lightness(shot, thumbBottom) + 0.1);
    MenuButton* email = menu->control(u"Email"_s);
    pointerAt(email->mapToGlobal(email->rect().center()),
              {u"click"_s, u"--repeat"_s, u"12"_s, u"--delay"_s, u"40"_s, u"5"_s});
    QCursor::setPos(1200, 1000);
    // The wheel has brought the end of the sections in once the thumb reaches the window's bottom.
    const PanelScroller& scroller = menu->standardSections()->scroller();
    EXPECT_TRUE(waitUntil([&] { return scroller.thumbRect().bottom() >= scroller.window().bottom() - 0.01; }));
    const QImage end = capture(u"go-mobile-scrolled"_s);
    EXPECT_LT(lightness(end, thumbTop), lightness(end, thumbBottom) - 0.1);
    MenuButton* usage = menu->control(u"AI usage"_s);
    const QRect pill(usage->mapTo(&backdrop, QPoint(0, 0)), usage->size());
    EXPECT_TRUE(window.contains(pill));
    EXPECT_EQ(backdrop.childAt(pill.center()), usage) << "a press there reaches the pill";
    // Under the pill, the footer's white words on the dark card.
    const QRect footer(window.left() + 30, pill.bottom() + 8, window.width() - 60, 18);
    int lit = 0;
    for (int y = footer.top(); y <= footer.bottom(); ++y)
        for (int x = footer.left(); x <= footer.right(); ++x)
            lit += qGray(end.pixel(x, y)) > 200;
    EXPECT_GT(lit, 150);
    EXPECT_LT(lit, footer.width() * footer.height() / 3);
}

TEST_F(MenuScreenshots, TwoPersonalApps)
{
    // A personal circle asks for its icon without asking whether the application is there.
    applications.icon = [](const QString& path) {
        QPixmap square(42, 42);
        square.fill(path.contains(u"Notes"_s) ? QColor(250, 200, 40) : QColor(30, 140, 240));
        return QIcon(square);
    };
    open(CompanionEdition::commandCenter, CompanionAppearance::dark,
         {u"/Applications/Notes.app"_s, u"/Applications/Visual Studio Code.app"_s});
    const QImage shot = capture(u"personal-apps"_s);
    for (const QString& name : {u"Notes"_s, u"Visual Studio Code"_s}) {
        const MenuButton* circle = menu->control(name);
        ASSERT_NE(circle, nullptr);
        const QPoint centre = circle->mapTo(&backdrop, circle->rect().center());
        const QColor shown(shot.pixel(centre));
        EXPECT_GT(shown.saturationF(), 0.5) << name.toStdString() << " shows no icon of its own";
    }
    // Ten circles overflow the row: the add circle waits past its end until the row scrolls.
    const MenuButton* add = menu->control(u"Add a personal app"_s);
    EXPECT_GT(add->mapTo(menu, add->rect().topRight()).x(), menu->cardGeometry().right() - MenuMetrics::menuPadding);
}

} // namespace
