// Panels behave the same made by the fake and by the X11 layer, and the X11
// ones carry the window-manager states that keep them floating everywhere.
#include "DesktopTestKit.h"
#include "StandInApplication.h"

#include "platform/fake/FakePanels.h"
#include "platform/fake/FakeScreens.h"
#include "platform/x11/X11Panels.h"
#include "platform/x11/X11Screens.h"
#include "platform/x11/XcbConnection.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QVariantAnimation>
#include <QWidget>

namespace {

using namespace std::chrono_literals;

// Waits until the animation clock has ticked a few times: an animation still
// running has moved on meanwhile, and what it finished has been told.
bool animationClockTicked(int ticks = 3)
{
    QVariantAnimation probe;
    probe.setStartValue(0.0);
    probe.setEndValue(1.0);
    probe.setDuration(10000);
    int seen = 0;
    QObject::connect(&probe, &QVariantAnimation::valueChanged, [&seen] { ++seen; });
    probe.start();
    return waitUntil([&] { return seen > ticks; });
}

struct FakePanelWorld {
    FakePanelWorld() { screens.list = {{QRectF(0, 0, 3200, 1200), QRectF(0, 0, 3200, 1200), 1}}; }
    PanelFactory& factory() { return panels; }
    void finishAnimation(Panel& panel) { static_cast<FakePanel&>(panel).finishAnimation(); }

    FakeScreens screens;
    FakePanelFactory panels{screens};
};

struct X11PanelWorld {
    PanelFactory& factory() { return panels; }
    void finishAnimation(Panel&) { }

    std::unique_ptr<XcbConnection> connection = XcbConnection::open();
    X11Screens screens{connection.get()};
    X11PanelFactory panels{screens};
};

template <typename World>
class PanelContract : public ::testing::Test {
protected:
    std::unique_ptr<Panel> makePanel(const QRectF& frame)
    {
        return world.factory().makePanel(std::make_unique<QWidget>(), frame, PanelLevel::floating);
    }
    World world;
};

using Worlds = ::testing::Types<FakePanelWorld, X11PanelWorld>;
TYPED_TEST_SUITE(PanelContract, Worlds);

TYPED_TEST(PanelContract, GoesOnAndOffScreenOnlyWhenAsked)
{
    auto panel = this->makePanel(QRectF(2846, 10, 330, 190));
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(panel->frame(), QRectF(2846, 10, 330, 190));
    panel->orderFront();
    EXPECT_TRUE(panel->isVisible());
    panel->orderOut();
    EXPECT_FALSE(panel->isVisible());
    panel->orderFront();
    EXPECT_TRUE(panel->isVisible());
}

TYPED_TEST(PanelContract, TakesFramesInBottomLeftScreenPoints)
{
    auto panel = this->makePanel(QRectF(100, 100, 330, 190));
    panel->orderFront();
    panel->setFrame(QRectF(400, 20, 516, 590), FrameChange::immediate);
    EXPECT_EQ(panel->frame(), QRectF(400, 20, 516, 590));
    ASSERT_TRUE(panel->screen().has_value());
    EXPECT_EQ(panel->screen()->frame, QRectF(0, 0, 3200, 1200));

    panel->setFrame(QRectF(-5000, 20, 330, 190), FrameChange::immediate);
    EXPECT_EQ(panel->screen(), std::nullopt);
}

TYPED_TEST(PanelContract, AnimatedMovesEndAtTheirFrameAndCompleteOnce)
{
    auto panel = this->makePanel(QRectF(100, 100, 330, 190));
    panel->orderFront();
    int completions = 0;
    panel->animateFrame(QRectF(1500, 300, 330, 190), 120ms, [&] { ++completions; });
    this->world.finishAnimation(*panel);
    ASSERT_TRUE(waitUntil([&] { return completions > 0; }));
    EXPECT_EQ(panel->frame(), QRectF(1500, 300, 330, 190));
    ASSERT_TRUE(animationClockTicked());
    EXPECT_EQ(completions, 1);
}

TEST(X11Panel, AMoveCutShortStillCompletes)
{
    X11PanelWorld world;
    auto panel =
        world.factory().makePanel(std::make_unique<QWidget>(), QRectF(100, 100, 330, 190), PanelLevel::floating);
    panel->orderFront();
    int completions = 0;
    panel->animateFrame(QRectF(1500, 300, 330, 190), 5000ms, [&] { ++completions; });
    panel->setFrame(QRectF(200, 200, 330, 190), FrameChange::immediate);
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(panel->frame(), QRectF(200, 200, 330, 190));
    ASSERT_TRUE(animationClockTicked());
    EXPECT_EQ(panel->frame(), QRectF(200, 200, 330, 190)) << "the cut-short animation must not move it further";
}

bool isViewable(const QWidget& window)
{
    return runTool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window.winId())})
        .contains(QStringLiteral("IsViewable"));
}

// Content painted in one colour, to be told apart on the screen, that counts
// the presses Qt hands it.
class SolidContent final : public QWidget {
public:
    explicit SolidContent(QColor colour = Qt::magenta) : m_colour(colour) { }
    int presses = 0;

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), m_colour); }
    void mousePressEvent(QMouseEvent*) override { ++presses; }

private:
    QColor m_colour;
};

// What the screen shows at a point of X coordinates.
QColor shownAt(const QPoint& point)
{
    return QGuiApplication::primaryScreen()->grabWindow(0, point.x(), point.y(), 1, 1).toImage().pixelColor(0, 0);
}

TEST(X11Panel, FloatsOnEveryDesktopOutsideTaskbarAndPagerWithoutFocus)
{
    X11PanelWorld world;
    auto content = std::make_unique<SolidContent>(Qt::magenta);
    QWidget* window = content.get();
    auto panel = world.factory().makePanel(std::move(content), QRectF(2846, 10, 330, 190), PanelLevel::floating);
    const QPoint centre(3011, 1095);
    const QString id = QStringLiteral("0x%1").arg(window->winId(), 0, 16);

    // Whatever the ordinary window does, over the panel's place and active,
    // and however often the panel is taken off screen and put back.
    QWidget ordinary;
    ordinary.setGeometry(2700, 900, 400, 300);
    for (int showing = 0; showing < 2; ++showing) {
        panel->orderFront();
        ordinary.show();
        ordinary.raise();
        ordinary.activateWindow();
        // Both on screen, the panel painted.
        EXPECT_TRUE(waitUntil(
            [&] { return isViewable(*window) && isViewable(ordinary) && shownAt(centre) == QColor(Qt::magenta); }));
        EXPECT_EQ(shownAt(centre), QColor(Qt::magenta)) << "the ordinary window covered the panel";
        const QString clients =
            runTool(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST")});
        EXPECT_FALSE(clients.contains(id)) << "taskbars and pagers list it: " << clients.toStdString();
        const QString hints = runTool(QStringLiteral("xprop"), {QStringLiteral("-id"), id, QStringLiteral("WM_HINTS")});
        EXPECT_TRUE(hints.contains(QStringLiteral("Client accepts input or input focus: False")))
            << hints.toStdString();

        // On another desktop the ordinary window goes, the panel stays.
        runTool(QStringLiteral("xdotool"), {QStringLiteral("set_desktop"), QString::number(1 + showing)});
        EXPECT_TRUE(waitUntil([&] { return !isViewable(ordinary); }));
        EXPECT_TRUE(isViewable(*window));
        runTool(QStringLiteral("xdotool"), {QStringLiteral("set_desktop"), QStringLiteral("0")});
        ASSERT_TRUE(waitUntil([&] { return isViewable(ordinary); }));

        panel->orderOut();
        EXPECT_TRUE(waitUntil([&] { return !isViewable(*window); }));
    }
}

TEST(X11Panel, ClickingItLeavesTheActiveWindowActive)
{
    X11PanelWorld world;
    QWidget ordinary;
    ordinary.setWindowTitle(QStringLiteral("ordinary"));
    ordinary.setGeometry(100, 100, 400, 300);
    ordinary.show();
    ordinary.activateWindow();
    const QString ordinaryId = QString::number(ordinary.winId());
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == ordinaryId; })) << activeWindow().toStdString();

    auto content = std::make_unique<SolidContent>();
    SolidContent* onPanel = content.get();
    auto panel = world.factory().makePanel(std::move(content), QRectF(2846, 10, 330, 190), PanelLevel::floating);
    panel->orderFront();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(onPanel));
    EXPECT_EQ(activeWindow(), ordinaryId) << "showing the panel took focus: " << activeWindow().toStdString();

    // The panel's centre in X coordinates: 1200 - (10 + 95).
    clickAt(QPoint(3011, 1095));
    ASSERT_TRUE(waitUntil([&] { return onPanel->presses == 1; }));
    EXPECT_EQ(activeWindow(), ordinaryId) << "clicking the panel took focus: " << activeWindow().toStdString();
}

TEST(X11Panel, BothLevelsStayInFrontOfAFullScreenWindowWithoutTakingFocus)
{
    X11PanelWorld world;
    auto floating = world.factory().makePanel(std::make_unique<SolidContent>(Qt::magenta), QRectF(2846, 10, 330, 190),
                                              PanelLevel::floating);
    auto alert = world.factory().makePanel(std::make_unique<SolidContent>(Qt::cyan), QRectF(2614, 94, 226, 96),
                                           PanelLevel::aboveFloating);
    // Their centres in X coordinates.
    const QPoint floatingCentre(3011, 1095);
    const QPoint alertCentre(2727, 1058);
    const auto bothShown = [&] {
        return shownAt(floatingCentre) == QColor(Qt::magenta) && shownAt(alertCentre) == QColor(Qt::cyan);
    };
    floating->orderFront();
    alert->orderFront();
    ASSERT_TRUE(waitUntil(bothShown));

    // A video player going full screen over everything, white all over.
    StandInApplication player({QStringLiteral("--windows"), QStringLiteral("1"), QStringLiteral("--fullscreen"),
                               QStringLiteral("--report-presses")});
    QString playerWindow;
    ASSERT_TRUE(waitUntil([&] {
        playerWindow = runTool(QStringLiteral("xdotool"),
                               {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                QStringLiteral("--classname"), QStringLiteral("lumivo-test-app")})
                           .trimmed();
        return !playerWindow.isEmpty() && activeWindow() == playerWindow && shownAt(QPoint(5, 5)) == QColor(Qt::white);
    })) << "the full-screen window never came up";
    // The panels step back in front of the full-screen window the window manager raised.
    EXPECT_TRUE(waitUntil(bothShown));
    EXPECT_TRUE(bothShown()) << "covered by the full-screen window";

    // A click on it raises it again; putting the panels away and back
    // brings them back in front. The window manager has dealt with the
    // press by the time the window has it.
    clickAt(QPoint(400, 400));
    ASSERT_TRUE(waitUntil([&] { return player.presses() == 1; }));
    EXPECT_TRUE(waitUntil(bothShown));
    EXPECT_TRUE(bothShown()) << "covered once the full-screen window was raised";
    alert->orderOut();
    floating->orderOut();
    ASSERT_TRUE(waitUntil([&] { return shownAt(floatingCentre) == QColor(Qt::white); }));
    floating->orderFront();
    alert->orderFront();
    EXPECT_TRUE(waitUntil(bothShown)) << "shown again, but behind the full-screen window";
    EXPECT_EQ(activeWindow(), playerWindow) << "a panel took the focus from the full-screen window";
}

} // namespace
