#include "ui/BandedPainting.h"

#include <gtest/gtest.h>

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

} // namespace
