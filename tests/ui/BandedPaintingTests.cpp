#include "ui/BandedPainting.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(PaintingBands, CoverTheAreaExactlyInBandsOfFewDeviceRows)
{
    for (const qreal ratio : {1.0, 1.25, 2.0}) {
        const QRectF area(10, 20.5, 250, 251);
        const std::vector<QRectF> bands = paintingBands(area, ratio);
        ASSERT_FALSE(bands.empty());
        EXPECT_EQ(bands.front().top(), area.top());
        EXPECT_NEAR(bands.back().bottom(), area.bottom(), 1e-9);
        for (std::size_t i = 0; i < bands.size(); ++i) {
            EXPECT_EQ(bands[i].left(), area.left());
            EXPECT_EQ(bands[i].width(), area.width());
            EXPECT_LE(bands[i].height() * ratio, bandDeviceRows + 1e-9);
            if (i > 0) {
                EXPECT_NEAR(bands[i].top(), bands[i - 1].bottom(), 1e-9);
            }
        }
    }
    EXPECT_TRUE(paintingBands(QRectF(0, 0, 10, 0), 1).empty());
}

TEST(PaintingBands, OfARegionEachLiesWithinOneOfItsRectanglesAndTogetherTheyCoverIt)
{
    // Two overlapping squares: a region of three rectangles.
    const QRegion region = QRegion(0, 0, 200, 200) + QRegion(100, 100, 200, 200);
    ASSERT_GT(region.rectCount(), 1);
    QRegion covered;
    for (const QRectF& band : paintingBands(region, 1)) {
        const QRect pixels = band.toRect();
        EXPECT_TRUE(std::any_of(region.begin(), region.end(), [&](const QRect& part) { return part.contains(pixels); }))
            << "a band across rectangles";
        covered += pixels;
    }
    EXPECT_EQ(covered, region);
}

} // namespace
