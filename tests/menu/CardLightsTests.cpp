// The card's prepared light: the still picture with its aurora, and the
// rings composed over it along the rim.
#include "menu/CardLights.h"
#include "ui/GlowCache.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace {

int differences(const QImage& a, const QImage& b, const QRect& area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y);
    return count;
}

TEST(CardLights, TheRingsLightOnlyTheRimAndTurnWithTheirPhases)
{
    CardLights lights(QSizeF(322, 300), 1);
    const QRect card = lights.cardRect().toRect();
    QImage content = transparentImage(lights.size(), 1);
    {
        QPainter painter(&content);
        painter.fillRect(QRect(card.center(), QSize(20, 20)), Qt::red);
    }
    ASSERT_TRUE(lights.composeStill(content, {}, CompanionAppearance::light, 0));
    const QImage still = lights.still();
    // The content lies over the ground; far out in the margin there is nothing.
    EXPECT_EQ(still.pixel(card.center() + QPoint(10, 10)), qRgba(255, 0, 0, 255));
    EXPECT_EQ(qAlpha(still.pixel(1, 1)), 0);

    // The rim's strips run along the edge and leave the middle alone.
    EXPECT_TRUE(lights.rimRegion().contains(QPoint(card.left() + 1, card.center().y())));
    EXPECT_TRUE(lights.rimRegion().contains(QPoint(card.right() + 3, card.center().y())));
    EXPECT_FALSE(lights.rimRegion().contains(card.center()));
    EXPECT_FALSE(lights.rimRegion().intersects(card.adjusted(40, 40, -40, -40)));

    const QImage first = lights.lightUp({0, 0, 0});
    const QRect leftEdge(card.left(), card.top() + 30, 2, card.height() - 60);
    EXPECT_GT(differences(first, still, leftEdge), leftEdge.width() * leftEdge.height() * 9 / 10)
        << "the brand ring lights the whole edge";
    const QImage turned = lights.lightUp({0, 120, -120});
    const QRect rim(card.left(), card.top(), card.width(), 3);
    EXPECT_GT(differences(first, turned, rim), 40) << "the sparks moved";
    // A turn of the brand ring short of its redraw step leaves it as it was.
    const QImage nudged = lights.lightUp({1, 120, -120});
    EXPECT_EQ(differences(turned, nudged, rim), 0);
    const QImage moved = lights.lightUp({CardLights::brandRedrawDegrees + 1, 120, -120});
    EXPECT_GT(differences(turned, moved, rim), 0);
}

TEST(CardLights, TheAuroraTurnsInsideTheCardAndTheAppearanceSetsItsGround)
{
    CardLights lights(QSizeF(322, 300), 1);
    const QRect card = lights.cardRect().toRect();
    const QImage content = transparentImage(lights.size(), 1);
    lights.composeStill(content, {}, CompanionAppearance::light, 0);
    const QImage light = lights.still();
    // Nothing to do when nothing changed.
    EXPECT_FALSE(lights.composeStill(content, {}, CompanionAppearance::light, 0));

    EXPECT_TRUE(lights.composeStill(content, {}, CompanionAppearance::light, 90));
    const QImage turned = lights.still();
    EXPECT_GT(differences(light, turned, card.adjusted(20, 20, -20, -20)), 1000);
    // The margins keep their shadow as it was.
    EXPECT_EQ(differences(light, turned, QRect(0, 0, card.left() - 1, card.top() - 1)), 0);

    lights.composeStill(content, {}, CompanionAppearance::dark, 90);
    const QRgb lightGround = turned.pixel(card.left() + 60, card.bottom() - 60);
    const QRgb darkGround = lights.still().pixel(card.left() + 60, card.bottom() - 60);
    EXPECT_LT(qGray(darkGround), qGray(lightGround));
}

} // namespace
