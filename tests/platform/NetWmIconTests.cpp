#include "platform/x11/NetWmIcon.h"

#include <gtest/gtest.h>

#include <QPixmap>

#include <vector>

namespace {

std::vector<quint32> picture(quint32 width, quint32 height, quint32 colour)
{
    std::vector<quint32> values{width, height};
    values.resize(2 + size_t(width) * height, colour);
    return values;
}

std::vector<quint32> joined(std::vector<quint32> first, const std::vector<quint32>& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

TEST(NetWmIcon, ReadsEveryPictureWithItsPixels)
{
    const auto values = joined(picture(16, 16, 0xff112233), picture(32, 24, 0x80ffffff));
    const QIcon icon = iconFromNetWmIcon(values);
    EXPECT_EQ(icon.availableSizes(), (QList<QSize>{QSize(16, 16), QSize(32, 24)}));
    EXPECT_EQ(icon.pixmap(QSize(16, 16)).toImage().pixel(3, 5), 0xff112233u);
}

TEST(NetWmIcon, StopsAtTheFirstPictureThatDoesNotFit)
{
    struct Case {
        const char* why;
        std::vector<quint32> values;
        qsizetype pictures;
    };
    auto truncated = picture(16, 16, 1);
    truncated.pop_back();
    const QList<Case> cases{
        {"nothing", {}, 0},
        {"a lone width", {16}, 0},
        {"short of pixels", truncated, 0},
        {"zero width", picture(0, 16, 1), 0},
        {"too large to be an icon", {100000, 100000, 1, 2, 3}, 0},
        {"overflowing size", {0xffffffff, 0xffffffff}, 0},
        {"good then bad", joined(picture(8, 8, 1), {64, 64, 1}), 1},
    };
    for (const Case& test : cases)
        EXPECT_EQ(iconFromNetWmIcon(test.values).availableSizes().size(), test.pictures) << test.why;
}

} // namespace
