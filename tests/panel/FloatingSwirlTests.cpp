#include "ViewTestKit.h"

#include "panel/FloatingSwirl.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace {

// The figure drawn into pictures of the panel's size, to compare two frames
// pixel by pixel.
class FigureFrames : public ::testing::Test {
protected:
    static constexpr QPointF centre{165, 95};

    QImage render(const FloatingSwirl::Frame& frame)
    {
        QImage image(330, 190, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        figure.paint(painter, centre, frame, QRectF(image.rect()));
        return image;
    }

    // Every pixel that differs between the two frames' pictures lies in the
    // area the figure names for them; answers how many differ.
    int expectChangesInsideChangedArea(const FloatingSwirl::Frame& previous, const FloatingSwirl::Frame& next)
    {
        const QImage before = render(previous);
        const QImage after = render(next);
        const QRegion area = figure.changedArea(previous, next).translated(centre.toPoint());
        int changed = 0;
        for (int y = 0; y < before.height(); ++y) {
            for (int x = 0; x < before.width(); ++x) {
                if (before.pixel(x, y) == after.pixel(x, y))
                    continue;
                ++changed;
                EXPECT_TRUE(area.contains(QPoint(x, y)))
                    << "a changed pixel outside the repainted area at " << x << ", " << y;
                if (!area.contains(QPoint(x, y)))
                    return changed;
            }
        }
        return changed;
    }

    ViewTestKit kit;
    FloatingSwirl figure{kit.environment, [] {}};
    const FloatingSwirl::Frame rest = FloatingSwirl::snapped({}, 1);
};

TEST_F(FigureFrames, ATurnOfTheSwirlRepaintsTheSwirlAlone)
{
    FloatingSwirl::Frame turned = rest;
    turned.turn = -1.07;
    EXPECT_GT(expectChangesInsideChangedArea(rest, turned), 100);
    const QRect area = figure.changedArea(rest, turned);
    EXPECT_LT(area.width(), 110) << "not the whole figure";
    // The sparkles and the glow disc's rim lie outside it.
    EXPECT_FALSE(area.contains(FloatingSwirl::sparkles()[0].offset.toPoint()));
}

TEST_F(FigureFrames, EveryChangeRepaintsWhereThePictureDiffers)
{
    FloatingSwirl::Frame next = rest;
    next.sparkleLit[1] = 0.7;
    EXPECT_GT(expectChangesInsideChangedArea(rest, next), 20);

    next = rest;
    next.burstStates[2] = {true, 0.3};
    next.ringTurn = -20;
    EXPECT_GT(expectChangesInsideChangedArea(rest, next), 20);

    FloatingSwirl::Frame later = next;
    later.burstStates[2] = {true, 0.6};
    later.ringTurn = -21;
    EXPECT_GT(expectChangesInsideChangedArea(next, later), 20);

    next = rest;
    next.shadowTurn = 40;
    EXPECT_GT(expectChangesInsideChangedArea(rest, next), 100);

    next = rest;
    next.brightness = 0.06;
    EXPECT_GT(expectChangesInsideChangedArea(rest, next), 100);

    for (const auto& change : {+[](FloatingSwirl::Frame& frame) { frame.lift = -9; },
                               +[](FloatingSwirl::Frame& frame) { frame.glowStep = FloatingSwirl::glowSteps - 1; },
                               +[](FloatingSwirl::Frame& frame) { frame.scale = 1.09; }}) {
        next = rest;
        change(next);
        EXPECT_GT(expectChangesInsideChangedArea(rest, next), 1000);
    }
    EXPECT_TRUE(figure.changedArea(rest, rest).isEmpty());
}

// Turning the swirl with its shadow moves light around; it neither adds
// nor loses any, at any pixel density.
TEST_F(FigureFrames, ATurnKeepsTheFiguresLightWhole)
{
    const auto light = [](const QImage& image) {
        double total = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                total += qAlpha(image.pixel(x, y));
        }
        return total;
    };
    for (const qreal ratio : {1.0, 2.0}) {
        FloatingSwirl::Frame frame = FloatingSwirl::snapped({.glow = 1}, ratio);
        const auto renderAt = [&](const FloatingSwirl::Frame& shown) {
            QImage image(QSize(330, 190) * ratio, QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(ratio);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            figure.paint(painter, centre, shown, QRectF(0, 0, 330, 190));
            return image;
        };
        const double unturned = light(renderAt(frame));
        for (const double turn : {-20.0, -40.0, -75.0}) {
            frame.turn = frame.shadowTurn = turn;
            EXPECT_NEAR(light(renderAt(frame)) / unturned, 1, 0.02) << "turned " << turn << " at ratio " << ratio;
        }
    }
}

TEST(FigureSnapping, FloatsInWholeDevicePixelsAndBreathesInSteps)
{
    for (const qreal ratio : {1.0, 1.25, 2.0}) {
        for (double bob = 0; bob <= 1; bob += 0.05) {
            const FloatingSwirl::Frame frame = FloatingSwirl::snapped({.bob = bob}, ratio);
            EXPECT_NEAR(frame.lift * ratio, std::round(frame.lift * ratio), 1e-9);
            EXPECT_NEAR(frame.lift, FloatingSwirl::verticalOffset(bob), 0.5 / ratio + 1e-9);
        }
    }
    EXPECT_EQ(FloatingSwirl::snapped({.glow = 0}, 1).glowStep, 0);
    EXPECT_EQ(FloatingSwirl::snapped({.glow = 1}, 1).glowStep, FloatingSwirl::glowSteps - 1);
    const FloatingSwirl::Frame waving =
        FloatingSwirl::snapped({.swirlPhase = -90, .waveAngle = -12, .shadowTurn = -80}, 1);
    EXPECT_NEAR(waving.turn, -104.4, 1e-9);
    EXPECT_EQ(waving.ringTurn, -90);
    EXPECT_EQ(waving.shadowTurn, -80);
}

} // namespace
