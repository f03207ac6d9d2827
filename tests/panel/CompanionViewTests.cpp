#include "ViewTestKit.h"

#include "menu/MenuMetrics.h"
#include "panel/CompanionView.h"
#include "panel/WindowDragSurface.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(CompanionViewLayout, MascotSitsBottomTrailingUnlessTheMenuIsOpenToTheRight)
{
    struct Case {
        bool menuOpen;
        bool toRight;
        Qt::Alignment alignment;
        qreal shift;
    };
    for (const Case& c : {Case{false, false, Qt::AlignBottom | Qt::AlignRight, 0},
                          Case{false, true, Qt::AlignBottom | Qt::AlignRight, 0}, // a stale side does nothing
                          Case{true, true, Qt::AlignBottom | Qt::AlignLeft, 20},
                          Case{true, false, Qt::AlignBottom | Qt::AlignRight, -20}}) {
        EXPECT_EQ(CompanionView::companionAlignmentFor(c.menuOpen, c.toRight), c.alignment);
        EXPECT_EQ(CompanionView::mascotShiftFor(c.menuOpen, c.toRight), c.shift);
    }
    EXPECT_EQ(MenuMetrics::zorivirActionWidth(), 151.5);
    EXPECT_EQ(MenuMetrics::zorivirColumns()[0].spacing, 5);
    EXPECT_EQ(MenuMetrics::zorivirColumns()[1].spacing, 0);
}

class CompanionViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        model->setMenuOpen = [this](bool open) { menuRequests.push_back(open); };
        model->beginDrag = [this] { hookCalls.push_back("beginDrag"); };
        model->endDrag = [this] { hookCalls.push_back("endDrag"); };
        model->dragBy = [this](QSizeF) { hookCalls.push_back("dragBy"); };
        view.show();
    }

    // Every wave angle set from now on, with the stiffness of its spring.
    std::vector<std::pair<double, double>> recordWave(double seconds)
    {
        std::vector<std::pair<double, double>> steps;
        for (double passed = 0; passed <= seconds; passed += 0.01) {
            const AnimatedValue& angle = view.waveAngle();
            const std::pair<double, double> step(angle.target(), angle.motion() ? angle.motion()->spring.stiffness : 0);
            if (angle.isAnimating() && (steps.empty() || steps.back() != step))
                steps.push_back(step);
            kit.advance(0.01);
        }
        return steps;
    }

    ViewTestKit kit;
    std::unique_ptr<CompanionModel> model = kit.makeModel();
    CompanionView view{*model, kit.environment};
    std::vector<bool> menuRequests;
    std::vector<std::string> hookCalls;
};

TEST_F(CompanionViewTest, PinsTheMascotToThePanelsBottomTrailingCorner)
{
    EXPECT_EQ(view.size(), QSize(330, 190));
    EXPECT_EQ(view.mascotFrame(), QRectF(168, 28, 154, 154));
    EXPECT_EQ(view.dragSurface()->geometry(), QRect(168, 28, 154, 154));
    EXPECT_EQ(view.dragSurface()->toolTip(), QStringLiteral("Click for controls or drag Vora anywhere"));
}

TEST_F(CompanionViewTest, OpeningTheMenuShiftsTheMascotWithTheMenusSpring)
{
    model->withAnimation(Animation::spring(0.36, 0.82), [&] {
        model->menuOpensToRight = false;
        model->menuOpen = true;
    });
    kit.settle();
    EXPECT_EQ(view.mascotShift().target(), -20);
    ASSERT_TRUE(view.mascotShift().motion());
    EXPECT_NEAR(view.mascotShift().motion()->spring.stiffness, SpringParameters::fromResponse(0.36, 0.82).stiffness,
                1e-9);
    EXPECT_EQ(view.menuPresence().target(), 1);
    kit.advance(1);
    EXPECT_NEAR(view.mascotFrame().left(), 148, 1e-3);
}

TEST_F(CompanionViewTest, AClickTogglesTheMenuAndADragReportsOnlyItsStartAndEnd)
{
    view.dragSurface()->onClick();
    model->menuOpen = true;
    view.dragSurface()->onClick();
    EXPECT_EQ(menuRequests, (std::vector<bool>{true, false}));
    view.dragSurface()->onDragStart();
    view.dragSurface()->onDragEnd();
    EXPECT_EQ(hookCalls, (std::vector<std::string>{"beginDrag", "endDrag"}));
}

TEST_F(CompanionViewTest, AWaveSwingsThroughItsSequenceThenSettles)
{
    kit.draws = {80, 80}; // keep the idle look out of the way
    ASSERT_TRUE(view.performWave());
    EXPECT_TRUE(view.waveRunning());
    const auto steps = recordWave(2.0);
    const std::vector<std::pair<double, double>> expected{{14, 140}, {-12, 140}, {12, 140}, {-10, 140},
                                                          {7, 140},  {-4, 140},  {0, 90}};
    EXPECT_EQ(steps, expected);
    EXPECT_FALSE(view.waveRunning());
    kit.advance(2);
    EXPECT_NEAR(view.waveAngle().value(), 0, 1e-3);
}

TEST_F(CompanionViewTest, ASecondWaveWhileOnePlaysIsDroppedNotQueued)
{
    bool firstFinished = false;
    ASSERT_TRUE(view.performWave([&] { firstFinished = true; }));
    kit.advance(0.5);
    bool secondFinished = false;
    EXPECT_FALSE(view.performWave([&] { secondFinished = true; }));
    model->requestWave();
    kit.settle();
    kit.advance(1.25);
    EXPECT_FALSE(firstFinished);
    kit.advance(0.1); // 1.8 s after the first began
    EXPECT_TRUE(firstFinished);
    EXPECT_FALSE(secondFinished);
    EXPECT_FALSE(view.waveRunning());
    kit.advance(3);
    EXPECT_FALSE(view.waveRunning());
}

TEST_F(CompanionViewTest, WaveRequestsPlayWithTheMenuOpenButNotWhileHidden)
{
    model->companionHidden = true;
    kit.settle();
    model->requestWave();
    kit.settle();
    EXPECT_FALSE(view.waveRunning());
    model->companionHidden = false;
    kit.settle();
    EXPECT_FALSE(view.waveRunning()) << "a request made while hidden is not replayed";

    model->menuOpen = true;
    model->requestWave();
    kit.settle();
    EXPECT_TRUE(view.waveRunning());
}

TEST_F(CompanionViewTest, TimedWavesComeEvery28SecondsAfterTheLastEndsAndSkipWhileHiddenOrOpen)
{
    kit.draws = {84, 84, 84};
    kit.advance(27.99);
    EXPECT_FALSE(view.waveRunning());
    kit.advance(0.01);
    EXPECT_TRUE(view.waveRunning());
    kit.advance(1.8); // the wave ends 29.8 s in
    EXPECT_FALSE(view.waveRunning());
    kit.advance(27.99);
    EXPECT_FALSE(view.waveRunning());
    model->menuOpen = true;
    kit.advance(0.01); // 57.8 s: skipped with the menu open
    EXPECT_FALSE(view.waveRunning());
    model->menuOpen = false;
    model->companionHidden = true;
    kit.advance(28); // 85.8 s: skipped while hidden
    EXPECT_FALSE(view.waveRunning());
    model->companionHidden = false;
    kit.advance(28); // 113.8 s
    EXPECT_TRUE(view.waveRunning());
}

TEST(IdleLook, NeedsTheMascotShownTheMenuClosedNoDragAndAnIdleFace)
{
    EXPECT_TRUE(CompanionView::idleLookAllowed(false, false, false, CompanionExpression::idle));
    EXPECT_FALSE(CompanionView::idleLookAllowed(true, false, false, CompanionExpression::idle));
    EXPECT_FALSE(CompanionView::idleLookAllowed(false, true, false, CompanionExpression::idle));
    EXPECT_FALSE(CompanionView::idleLookAllowed(false, false, true, CompanionExpression::idle));
    for (CompanionExpression other :
         {CompanionExpression::listening, CompanionExpression::thinking, CompanionExpression::excited})
        EXPECT_FALSE(CompanionView::idleLookAllowed(false, false, false, other));
}

TEST_F(CompanionViewTest, IdleLoopThinksForAWhileAtRandomPausesWhenAllowed)
{
    kit.draws = {36, 84, 50};
    kit.advance(35.99);
    EXPECT_EQ(model->expression.get(), CompanionExpression::idle);
    kit.advance(0.02);
    EXPECT_EQ(model->expression.get(), CompanionExpression::thinking);
    kit.advance(2.4);
    EXPECT_EQ(model->expression.get(), CompanionExpression::idle);
    EXPECT_EQ(std::count(kit.drawnRanges.begin(), kit.drawnRanges.end(), std::pair<double, double>(36, 84)), 2);

    // At 120 s the menu is open: no look, and the loop goes on.
    model->menuOpen = true;
    kit.advance(84);
    EXPECT_EQ(model->expression.get(), CompanionExpression::idle);
    model->menuOpen = false;
    // At 170 s another face is on: the idle look leaves it alone.
    model->expression = CompanionExpression::listening;
    kit.advance(50);
    EXPECT_EQ(model->expression.get(), CompanionExpression::listening);
}

TEST_F(CompanionViewTest, HidingRemovesTheMascotAndShowingItStartsItsAmbienceAgain)
{
    ASSERT_TRUE(view.floatingSwirl());
    kit.advance(3);
    EXPECT_NE(view.swirlPhase().value(), 0);
    model->menuOpen = true;
    model->companionHidden = true;
    kit.settle();
    EXPECT_FALSE(view.floatingSwirl());
    EXPECT_FALSE(view.dragSurface()->isVisible());
    EXPECT_EQ(view.menuPresence().target(), 1) << "the open menu stays";

    model->companionHidden = false;
    kit.settle();
    ASSERT_TRUE(view.floatingSwirl());
    EXPECT_TRUE(view.dragSurface()->isVisible());
    EXPECT_EQ(view.swirlPhase().value(), 0);
    ASSERT_TRUE(view.swirlPhase().motion());
    EXPECT_TRUE(view.swirlPhase().motion()->repeatsForever);
    EXPECT_EQ(view.swirlPhase().target(), -360);
    EXPECT_EQ(view.counterPulsePhase().target(), -360);
    EXPECT_EQ(view.borderPhase().target(), 360);
    kit.advance(7);
    EXPECT_NEAR(view.swirlPhase().value(), -180, 1e-6);
    EXPECT_NEAR(view.borderPhase().value(), 280, 1e-6);
}

TEST(FigureScale, DraggingWinsOverExcitementWhichWinsOverHovering)
{
    EXPECT_EQ(FloatingSwirl::scaleFor(true, CompanionExpression::excited, true), 1.08);
    EXPECT_EQ(FloatingSwirl::scaleFor(false, CompanionExpression::excited, true), 1.09);
    EXPECT_EQ(FloatingSwirl::scaleFor(false, CompanionExpression::thinking, true), 1.05);
    EXPECT_EQ(FloatingSwirl::scaleFor(false, CompanionExpression::listening, false), 1.0);
    EXPECT_EQ(FloatingSwirl::brightnessFor(true), 0.06);
    EXPECT_EQ(FloatingSwirl::verticalOffset(0), 4);
    EXPECT_EQ(FloatingSwirl::verticalOffset(1), -9);
    // Tilted by 1.2 times the wave on top of the turn.
    EXPECT_NEAR(FloatingSwirl::swirlRotation(-90, -12), -104.4, 1e-9);
}

TEST_F(CompanionViewTest, ADragsEndReturnsTheFigureToRestWithoutHeadingForTheExcitedSize)
{
    model->isDragging = true;
    model->expression = CompanionExpression::excited;
    kit.settle();
    EXPECT_EQ(view.figureScale().target(), 1.08);
    kit.advance(1);
    model->isDragging = false;
    model->expression = CompanionExpression::idle;
    kit.settle();
    EXPECT_EQ(view.figureScale().target(), 1.0);
    ASSERT_TRUE(view.figureScale().motion());
    EXPECT_NEAR(view.figureScale().motion()->spring.stiffness, SpringParameters::fromResponse(0.32, 0.72).stiffness,
                1e-9);
    for (int i = 0; i < 100; ++i) {
        kit.advance(0.01);
        EXPECT_LE(view.figureScale().value(), 1.0801);
    }
}

} // namespace
