// The open menu's frames: the card is put together again only where it
// changed, and only the pixels that changed are painted.
#include "MenuTestKit.h"

#include "menu/CardLights.h"
#include "menu/MenuMetrics.h"
#include "ui/ChangedPixels.h"
#include "ui/GlowCache.h"

#include <QPaintEvent>

#include <gtest/gtest.h>

namespace {

// A body of a height of our choosing that counts how often it is painted.
class CountedBody final : public MenuSection {
public:
    CountedBody(MenuContext& context, qreal& height, int& paints)
        : MenuSection(context), m_height(height), m_paints(paints)
    {
    }
    qreal layout(qreal top) override
    {
        m_top = top;
        return m_height;
    }
    void paint(QPainter&, const QRectF& dirty) override
    {
        m_paints += dirty.intersects(QRectF(0, m_top, MenuMetrics::menuWidth, m_height));
    }
    std::vector<MenuPiece*> pieces() override { return {}; }

private:
    qreal& m_height;
    int& m_paints;
    qreal m_top = 0;
};

// The area of the menu painted, in points.
class PaintedArea final : public QObject {
public:
    long long area = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            for (const QRect& rect : static_cast<QPaintEvent*>(event)->region())
                area += static_cast<long long>(rect.width()) * rect.height();
        }
        return false;
    }
};

TEST(MenuFrames, OnlyWhatTheRingsAndSparksChangeIsPaintedAndTheCardIsNotPutTogetherAgain)
{
    // A card whose height ends a quarter of a point past a whole one, whose
    // picture a rounded size once told apart from its own every frame.
    qreal bodyHeight = 60;
    int bodyPaints = 0;
    MenuBodies bodies;
    bodies.taskSection = [&](MenuContext& context) {
        return std::make_unique<CountedBody>(context, bodyHeight, bodyPaints);
    };
    {
        MenuTestKit measuring(CompanionEdition::commandCenter, bodies);
        measuring.model->taskPanelOpen = true;
        const qreal height = measuring.open().cardGeometry().height();
        bodyHeight += 0.25 - (height - std::floor(height));
    }
    MenuTestKit kit(CompanionEdition::commandCenter, bodies);
    kit.model->taskPanelOpen = true;
    OpenedMenu& menu = kit.open();
    ASSERT_NEAR(menu.cardGeometry().height() - std::floor(menu.cardGeometry().height()), 0.25, 1e-6);
    kit.view.show();
    for (int frame = 0; frame < 24; ++frame) {
        kit.advance(1 / OpenedMenu::rimFramesPerSecond);
        kit.animations.tick();
        kit.settle();
    }

    const auto nextFrame = [&] {
        kit.advance(1 / OpenedMenu::rimFramesPerSecond);
        kit.animations.tick();
        kit.settle();
    };
    // Three frames between two turns of the slow aurora.
    const auto auroraTurn = [&] { return std::floor(kit.now() * OpenedMenu::auroraFramesPerSecond); };
    for (const double turn = auroraTurn(); auroraTurn() == turn;)
        nextFrame();
    PaintedArea painted;
    menu.installEventFilter(&painted);
    const int paintsBefore = bodyPaints;
    const long long card = static_cast<long long>(menu.width()) * menu.height();
    for (int frame = 0; frame < 3; ++frame)
        nextFrame();
    EXPECT_EQ(bodyPaints, paintsBefore) << "nothing in the card changed";
    EXPECT_GT(painted.area, 0) << "the sparks ran on";
    EXPECT_LT(painted.area, 3 * card / 3) << "three frames, each less than a third of the card";
}

// The first frame after the card has come in shows all of it, also when the
// frames of its coming in were painted but no repaint came between the last
// of them and that first one (a card then showed only its rim and sparks).
TEST(MenuFrames, TheFirstFrameAfterComingInShowsTheWholeCard)
{
    MenuTestKit kit;
    OpenedMenu& menu = kit.open();
    kit.view.show();
    const QRectF contentArea(QPointF(0, 0), QSizeF(kit.view.size()));
    for (const double presence : {0.5, 0.9, 1.0}) {
        kit.settle();
        menu.place(contentArea, false, presence);
        kit.advance(1 / OpenedMenu::rimFramesPerSecond);
        kit.animations.tick();
    }
    QImage shown(menu.size(), QImage::Format_ARGB32_Premultiplied);
    shown.fill(Qt::transparent);
    menu.render(&shown, {}, {}, QWidget::DrawChildren);
    const QRect inside = menu.cardGeometry().marginsRemoved(QMarginsF(12, 12, 12, 12)).toRect();
    int bare = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x)
            bare += qAlpha(shown.pixel(x, y)) == 0;
    }
    EXPECT_EQ(bare, 0) << "of " << inside.width() * inside.height() << " pixels inside the card";
}

int differences(const QImage& a, const QImage& b, const QRegion& outside = {})
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y) && !outside.contains(QPoint(x, y));
    }
    return count;
}

TEST(CardLightsChanges, TheLitCardTellsWhereItChangedAndNothingChangesElsewhere)
{
    CardLights lights(QSizeF(322, 300), 1);
    const QImage content = transparentImage(lights.size(), 1);
    lights.composeStill(content, {}, CompanionAppearance::light, 0);
    lights.lightUp({0, 0, 0});
    EXPECT_TRUE((QRegion(QRect(QPoint(0, 0), lights.size().toSize())) - lights.litChanged()).isEmpty())
        << "the first picture is all new";
    lights.lightUp({0, 0, 0});
    EXPECT_TRUE(lights.litChanged().isEmpty()) << "nothing moved";

    for (const CardLights::RingPhases& phases :
         {CardLights::RingPhases{0, 40, -25}, CardLights::RingPhases{CardLights::brandRedrawDegrees + 1, 80, -50}}) {
        const QImage before = lights.lightUp({0, 0, 0});
        const QImage after = lights.lightUp(phases);
        EXPECT_GT(differences(before, after), 100);
        EXPECT_EQ(differences(before, after, lights.litChanged()), 0) << "a change was not told";
    }
}

TEST(CardLightsChanges, FrameAfterFrameTheLitCardIsTheOneAFreshCardLightsUp)
{
    // Sparks a little or far on, across the top of the turn, the brand ring
    // short of its redraw or past it, and the content changing beneath the rim.
    struct Step {
        CardLights::RingPhases phases;
        QRect contentChange;
    };
    const Step steps[] = {
        {{0, 7, -5}, {}},
        {{2, 180, -200}, QRect(20, 20, 120, 12)},
        {{CardLights::brandRedrawDegrees + 2, 359, -359}, {}},
        {{CardLights::brandRedrawDegrees + 2, 361, -1}, QRect(200, 100, 60, 80)},
        {{40, 500, -700}, QRect(0, 0, 400, 400)},
    };
    for (const qreal dpr : {1.0, 2.0}) {
        CardLights lights(QSizeF(200, 160), dpr);
        QImage content = transparentImage(lights.size(), dpr);
        lights.composeStill(content, {}, CompanionAppearance::dark, 0);
        lights.lightUp({0, 0, 0});
        for (const Step& step : steps) {
            const QImage before = lights.lightUp(steps[0].phases);
            QPainter(&content).fillRect(step.contentChange, QColor(40, 200, 90, 180));
            lights.composeStill(content, step.contentChange, CompanionAppearance::dark, 0);
            const QImage after = lights.lightUp(step.phases);
            EXPECT_EQ(differences(before, after, pixelsOfPoints(lights.litChanged(), dpr)), 0)
                << "a change was not told at " << dpr;
            // A card lit once shows the brand ring where this one last redrew it.
            CardLights fresh(QSizeF(200, 160), dpr);
            fresh.composeStill(content, {}, CompanionAppearance::dark, 0);
            fresh.lightUp({step.phases.border >= CardLights::brandRedrawDegrees ? step.phases.border : 0, 0, 0});
            EXPECT_EQ(differences(after, fresh.lightUp(step.phases)), 0) << dpr;
        }
    }
}

TEST(CardLightsChanges, ATurnOfTheAuroraAloneGivesTheStillPictureAFreshComposeGives)
{
    QImage content = transparentImage(QSizeF(322, 300).grownBy(CardLights::margins), 1);
    QPainter(&content).fillRect(QRect(60, 60, 40, 20), QColor(255, 255, 255, 200));
    CardLights turned(QSizeF(322, 300), 1);
    turned.composeStill(content, {}, CompanionAppearance::dark, 10);
    turned.composeStill(content, {}, CompanionAppearance::dark, 37);
    CardLights fresh(QSizeF(322, 300), 1);
    fresh.composeStill(content, {}, CompanionAppearance::dark, 37);
    EXPECT_EQ(differences(turned.still(), fresh.still()), 0);
}

} // namespace
