#include "model/ResourceBundle.h"
#include "panel/MascotArtwork.h"
#include "panel/VaradiChevronMark.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

std::vector<QPointF> pointsOf(const QPainterPath& path)
{
    std::vector<QPointF> points;
    for (int i = 0; i < path.elementCount(); ++i)
        points.emplace_back(path.elementAt(i).x, path.elementAt(i).y);
    return points;
}

TEST(ChevronMark, InItsDesignSizeReproducesTheDesignPointsShiftedToTheOrigin)
{
    const auto points = pointsOf(VaradiChevronMark::path(QRectF(0, 0, 553, 487)));
    // Three closed polygons of 6, 6 and 4 corners, each closed back at its start.
    ASSERT_EQ(points.size(), 7u + 7u + 5u);
    EXPECT_EQ(points[0], QPointF(296 - 17, 0));
    EXPECT_EQ(points[1], QPointF(553, 487));
    EXPECT_EQ(points[5], QPointF(0, 487));
    EXPECT_EQ(points[7], QPointF(296 - 17, 264 - 61));
    EXPECT_EQ(points[14], QPointF(241 - 17, 462 - 61));
    EXPECT_EQ(points[16], QPointF(332 - 17, 506 - 61));
    EXPECT_EQ(VaradiChevronMark::path(QRectF(0, 0, 553, 487)).fillRule(), Qt::WindingFill);
}

TEST(ChevronMark, StretchesToAnyRectangle)
{
    const QRectF square(10, 20, 100, 100);
    const QPainterPath mark = VaradiChevronMark::path(square);
    EXPECT_EQ(mark.boundingRect(), square);
    // The apex stays where the design puts it across the width: squeezed, not cropped.
    EXPECT_NEAR(mark.elementAt(0).x, 10 + (296 - 17) / 553.0 * 100, 1e-9);
    EXPECT_NEAR(mark.elementAt(0).y, 20, 1e-9);
    const QPainterPath empty = VaradiChevronMark::path(QRectF(5, 7, 0, 0));
    for (const QPointF& point : pointsOf(empty))
        EXPECT_EQ(point, QPointF(5, 7));
}

class ArtworkBundle : public ::testing::Test {
protected:
    void copyFromBuiltBundle(const QString& name)
    {
        QFile::copy(QStringLiteral(LUMIVO_BINARY_DIR "/src/lumivo-companion.resources/") + name
                        + QStringLiteral(".png"),
                    folder.filePath(name + QStringLiteral(".png")));
    }
    QTemporaryDir folder;
    ResourceBundle bundle{folder.path()};
};

TEST_F(ArtworkBundle, TheSwirlFallsBackToTheLogoAndTheLogoToTheApplicationIcon)
{
    copyFromBuiltBundle(QStringLiteral("vora-logo-light-canonical"));
    copyFromBuiltBundle(QStringLiteral("vora-agent-logo"));
    const QImage swirl = voraSwirlImage(bundle);
    const QImage logo = voraLogoImage(bundle);
    EXPECT_EQ(swirl, QImage(folder.filePath(QStringLiteral("vora-logo-light-canonical.png"))));
    EXPECT_NE(swirl, logo);

    QFile::remove(folder.filePath(QStringLiteral("vora-logo-light-canonical.png")));
    EXPECT_EQ(voraSwirlImage(bundle), logo);

    // A damaged logo counts as missing.
    QFile damaged(folder.filePath(QStringLiteral("vora-agent-logo.png")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("not a picture");
    damaged.close();
    EXPECT_FALSE(voraLogoImage(bundle).isNull());
    EXPECT_NE(voraLogoImage(bundle), logo);
    EXPECT_FALSE(voraSwirlImage(bundle).isNull());
}

// The swirl as the mascot draws it, against its drawing rendered directly
// at that size: shrinking the 512-pixel artwork must leave no stair steps
// along the blades (one filtered draw left pixels up to 106 levels off at
// 116 points, 71 at twice that).
TEST(SwirlPicture, IsShrunkByAveragingSoItsEdgesMatchTheDrawingAtThatSize)
{
    const QImage artwork(
        QStringLiteral(LUMIVO_BINARY_DIR "/src/lumivo-companion.resources/vora-logo-light-canonical.png"));
    ASSERT_FALSE(artwork.isNull());
    QSvgRenderer drawing(QStringLiteral(LUMIVO_SOURCE_DIR "/resources/artwork/vora-logo-light-canonical.svg"));
    ASSERT_TRUE(drawing.isValid());
    for (const qreal ratio : {1.0, 2.0}) {
        const QImage swirl = shrunkToFit(artwork, 116, ratio);
        const int pixels = qRound(116 * ratio);
        ASSERT_EQ(swirl.size(), QSize(pixels, pixels));
        EXPECT_EQ(swirl.devicePixelRatio(), ratio);
        QImage reference(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
        reference.fill(Qt::transparent);
        {
            QPainter painter(&reference);
            painter.setRenderHint(QPainter::Antialiasing);
            drawing.render(&painter);
        }
        int worst = 0;
        for (int y = 0; y < pixels; ++y) {
            for (int x = 0; x < pixels; ++x) {
                const QRgb a = swirl.pixel(x, y);
                const QRgb b = reference.pixel(x, y);
                worst = std::max({worst, std::abs(qAlpha(a) - qAlpha(b)), std::abs(qRed(a) - qRed(b)),
                                  std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
            }
        }
        EXPECT_LE(worst, 48) << "at ratio " << ratio;
    }
    // A picture that is not square keeps its proportions, centred.
    QImage wide(200, 100, QImage::Format_ARGB32_Premultiplied);
    wide.fill(Qt::white);
    const QImage fitted = shrunkToFit(wide, 50, 1);
    EXPECT_EQ(qAlpha(fitted.pixel(25, 25)), 255);
    EXPECT_EQ(qAlpha(fitted.pixel(25, 5)), 0);
}

TEST(MenuPanelGradient, TakesTheGreysOfTheAppearanceFromCornerToCorner)
{
    const QRectF card(0, 0, 322, 400);
    const QLinearGradient light = menuPanelGradient(CompanionAppearance::light, card);
    EXPECT_EQ(light.start(), card.topLeft());
    EXPECT_EQ(light.finalStop(), card.bottomRight());
    ASSERT_EQ(light.stops().size(), 2);
    EXPECT_NEAR(light.stops()[0].second.redF(), 0.32, 1e-3);
    EXPECT_NEAR(light.stops()[0].second.alphaF(), 0.46, 1e-3);
    EXPECT_NEAR(light.stops()[1].second.greenF(), 0.40, 1e-3);
    EXPECT_NEAR(light.stops()[1].second.alphaF(), 0.40, 1e-3);
    const QLinearGradient dark = menuPanelGradient(CompanionAppearance::dark, card);
    EXPECT_NEAR(dark.stops()[0].second.blueF(), 0.16, 1e-3);
    EXPECT_NEAR(dark.stops()[0].second.alphaF(), 0.52, 1e-3);
    EXPECT_NEAR(dark.stops()[1].second.redF(), 0.24, 1e-3);
    EXPECT_NEAR(dark.stops()[1].second.alphaF(), 0.46, 1e-3);
}

} // namespace
