#include "ui/ChangedPixels.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Row {
    int y;
    int left;
    int right;
};

// How the changed rows of a picture gather into rectangles.
TEST(ChangedRows, JoinRowsWhileThatAddsFewerUnchangedPixelsThanARectangleCosts)
{
    struct Case {
        const char* what;
        std::vector<Row> rows;
        std::vector<QRect> rectangles;
    };
    const int wide = rectangleCostInPixels + 10;
    const std::vector<Case> cases{
        {"nothing changed", {}, {}},
        {"a block of rows", {{3, 10, 19}, {4, 10, 19}, {5, 10, 19}}, {QRect(10, 3, 10, 3)}},
        {"rows a little apart join across the gap", {{3, 10, 19}, {6, 12, 17}}, {QRect(10, 3, 10, 4)}},
        {"rows far apart stay apart",
         {{0, 0, wide - 1}, {3, 0, wide - 1}},
         {QRect(0, 0, wide, 1), QRect(0, 3, wide, 1)}},
        {"a short row beside a wide one stays apart",
         {{0, 0, 9}, {1, 0, 9}, {2, 0, wide + 9}},
         {QRect(0, 0, 10, 2), QRect(0, 2, wide + 10, 1)}},
    };
    for (const Case& c : cases) {
        ChangedRows changed;
        QRegion expected;
        for (const Row& row : c.rows)
            changed.add(row.y, row.left, row.right);
        for (const QRect& rect : c.rectangles)
            expected += rect;
        EXPECT_EQ(changed.region(), expected) << c.what;
    }
}

QImage picture(QSize size, QRgb fill)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

TEST(ChangedPixels, CarriesTheAreaOverAndTellsWhereItChanged)
{
    QImage shown = picture(QSize(100, 80), 0);
    QImage next = shown;
    next.setPixel(20, 10, 0xff112233);
    next.setPixel(25, 12, 0x80402010);
    next.setPixel(90, 70, 0xffffffff); // outside the area: neither carried nor told
    const QRegion changed = carryChangedPixels(next, shown, QRect(0, 0, 60, 60));

    EXPECT_TRUE(changed.contains(QPoint(20, 10)));
    EXPECT_TRUE(changed.contains(QPoint(25, 12)));
    EXPECT_LE(changed.boundingRect().width() * changed.boundingRect().height(), 6 * 3);
    EXPECT_EQ(shown.pixel(20, 10), next.pixel(20, 10));
    EXPECT_EQ(shown.pixel(25, 12), next.pixel(25, 12));
    EXPECT_EQ(shown.pixel(90, 70), 0u);

    // The same frame again changes nothing.
    EXPECT_TRUE(carryChangedPixels(next, shown, QRect(0, 0, 60, 60)).isEmpty());
}

TEST(ChangedPixels, RegionsConvertBetweenPointsAndPixelsCoveringEveryPixelTouched)
{
    const QRegion pixels = QRegion(3, 5, 7, 2) + QRegion(40, 40, 1, 1);
    EXPECT_EQ(pointsOfPixels(pixels, 1), pixels);
    EXPECT_EQ(pointsOfPixels(pixels, 2), QRegion(1, 2, 4, 2) + QRegion(20, 20, 1, 1));
    EXPECT_EQ(pixelsOfPoints(QRegion(1, 2, 4, 2), 2), QRegion(2, 4, 8, 4));
    // A point at 1.25 covers parts of two pixels: both are taken.
    EXPECT_EQ(pixelsOfPoints(QRegion(1, 1, 1, 1), 1.25), QRegion(1, 1, 2, 2));
}

} // namespace
