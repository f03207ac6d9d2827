#include "model/CompanionRecords.h"
#include "model/ResourceBundle.h"
#include "support/QtPrinters.h"
#include "ui/ConicGradient.h"
#include "ui/FittedText.h"
#include "ui/GlowCache.h"
#include "ui/ImageEffects.h"
#include "ui/Symbols.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QtMath>

#include <gtest/gtest.h>

namespace {

QImage square(int size, qreal dpr = 1)
{
    QImage shape = transparentImage(QSizeF(size, size), dpr);
    QPainter(&shape).fillRect(QRectF(0, 0, size, size), Qt::black);
    return shape;
}

TEST(GlowCache, BlursEachShapeRadiusAndColourOnce)
{
    GlowCache cache;
    const QImage shape = square(10);
    const Glow& first = cache.glow(shape, 4, Qt::red);
    const qint64 key = first.image.cacheKey();
    EXPECT_EQ(cache.glow(shape, 4, Qt::red).image.cacheKey(), key);
    EXPECT_EQ(cache.count(), 1);
    cache.glow(shape, 6, Qt::red);
    cache.glow(shape, 4, Qt::blue);
    cache.glow(square(12), 4, Qt::red); // another shape
    EXPECT_EQ(cache.count(), 4);
    // The same picture drawn afresh is the same shape.
    EXPECT_EQ(cache.glow(square(10), 4, Qt::red).image.cacheKey(), key);
    EXPECT_EQ(cache.count(), 4);
    // A picture drawn on since is another shape.
    QImage redrawn = square(10);
    cache.glow(redrawn, 4, Qt::red);
    {
        QPainter painter(&redrawn);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(QRectF(0, 0, 5, 5), Qt::transparent);
    }
    EXPECT_NE(cache.glow(redrawn, 4, Qt::red).image.cacheKey(), key);
    EXPECT_EQ(cache.count(), 5);
}

TEST(GlowCache, GlowSpreadsPastTheShapeEvenlyInItsColour)
{
    const QImage shape = square(10, 2);
    const Glow glow = GlowCache::make(shape, 4, Qt::red);
    EXPECT_EQ(glow.image.devicePixelRatio(), 2);
    EXPECT_LT(glow.origin.x(), -4);
    EXPECT_EQ(glow.origin.x(), glow.origin.y());
    // The shape covers device pixels first..last on both axes; sample 4 pixels outside each side.
    const int first = qRound(-glow.origin.x() * 2);
    const int last = first + 19;
    const int middle = (first + last) / 2;
    const auto alphaAt = [&](int x, int y) { return qAlpha(glow.image.pixel(x, y)); };
    const int left = alphaAt(first - 4, middle);
    EXPECT_GT(left, 10);
    EXPECT_NEAR(alphaAt(last + 4, middle), left, 3);
    EXPECT_NEAR(alphaAt(middle, first - 4), left, 3);
    EXPECT_GT(alphaAt(middle, middle), left);
    const QPointF shapeCentre(middle / 2.0, middle / 2.0);
    const QRgb centre = glow.image.pixel((shapeCentre * 2).toPoint());
    EXPECT_GT(qRed(centre), 0);
    EXPECT_EQ(qGreen(centre), 0);
    EXPECT_EQ(qBlue(centre), 0);
}

TEST(ConicGradient, RunsClockwiseFromThreeOClockAndTurnsClockwise)
{
    const auto colourAt = [](qreal rotation, QPoint at) {
        QImage image(101, 101, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        QPainter painter(&image);
        painter.fillRect(image.rect(),
                         clockwiseConicGradient(QPointF(50.5, 50.5), {Qt::red, Qt::blue, Qt::red}, rotation));
        painter.end();
        return QColor(image.pixel(at));
    };
    const QPoint right(95, 50), below(50, 95), left(5, 50), above(50, 5);
    EXPECT_GT(colourAt(0, right).red(), 200);
    EXPECT_GT(colourAt(0, left).blue(), 200);
    // A quarter of the way round clockwise (straight down on screen) is halfway from red to blue.
    EXPECT_NEAR(colourAt(0, below).red(), 128, 20);
    EXPECT_NEAR(colourAt(0, above).red(), 128, 20);
    // Turned a quarter clockwise, the start lies straight down.
    EXPECT_GT(colourAt(90, below).red(), 200);
    EXPECT_GT(colourAt(90, above).blue(), 200);
}

TEST(ConicGradient, AdditiveFillAddsLight)
{
    QImage image(4, 4, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(50, 50, 50));
    QPainter painter(&image);
    QPainterPath all;
    all.addRect(0, 0, 4, 4);
    fillAdditive(painter, all, QColor(100, 0, 220));
    painter.end();
    EXPECT_EQ(QColor(image.pixel(1, 1)), QColor(150, 50, 255));
}

TEST(ImageEffects, BrightnessAddsToEachChannelWhereDrawn)
{
    QImage image(2, 1, QImage::Format_ARGB32_Premultiplied);
    image.setPixel(0, 0, qRgba(100, 0, 250, 255));
    image.setPixel(1, 0, qRgba(0, 0, 0, 0));
    const QImage bright = brightened(image, 0.12);
    EXPECT_EQ(bright.pixel(0, 0), qRgba(131, 31, 255, 255));
    EXPECT_EQ(bright.pixel(1, 0), qRgba(0, 0, 0, 0));
}

// Doubling a picture by hand gives what Qt's smooth scaling gives, to a
// few levels, for pictures of any size, soft or sharp.
TEST(ImageEffects, ADoubledPictureIsWhatSmoothScalingMakesOfIt)
{
    const auto largestDifference = [](const QImage& first, const QImage& second) {
        int largest = 0;
        for (int y = 0; y < first.height(); ++y) {
            for (int x = 0; x < first.width(); ++x) {
                for (const int shift : {0, 8, 16, 24})
                    largest = std::max(
                        largest,
                        std::abs(int((first.pixel(x, y) >> shift) & 0xff) - int((second.pixel(x, y) >> shift) & 0xff)));
            }
        }
        return largest;
    };
    QImage glow = transparentImage(QSizeF(37, 24), 1);
    {
        QPainter painter(&glow);
        QRadialGradient fill(QPointF(18, 12), 15);
        fill.setColorAt(0, QColor(200, 40, 150, 220));
        fill.setColorAt(1, Qt::transparent);
        painter.fillRect(glow.rect(), fill);
        painter.fillRect(QRect(30, 3, 4, 9), QColor(255, 255, 255, 160)); // a sharp edge
    }
    for (const QImage& half : {glow, square(1), square(5)}) {
        QImage doubled;
        drawDoubled(half, 2, doubled);
        ASSERT_EQ(doubled.size(), half.size() * 2);
        EXPECT_EQ(doubled.devicePixelRatio(), 2);
        QImage scaled(half.size() * 2, QImage::Format_ARGB32_Premultiplied);
        scaled.fill(Qt::transparent);
        QPainter painter(&scaled);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(scaled.rect()), half);
        painter.end();
        EXPECT_LE(largestDifference(doubled, scaled), 3) << half.width() << " x " << half.height();
    }
}

TEST(FittedText, ShrinksToFitButNotBelowItsFloor)
{
    const QFont font = systemFont(11.5, QFont::Bold);
    const QString title = QStringLiteral("Message My Vora");
    const qreal natural = QFontMetricsF(font).horizontalAdvance(title);
    EXPECT_EQ(shrunkToFit(font, title, natural + 1, 0.76), font);
    const QFont fitted = shrunkToFit(font, title, natural * 0.85, 0.76);
    EXPECT_LT(fitted.pointSizeF(), font.pointSizeF());
    EXPECT_LE(QFontMetricsF(fitted).horizontalAdvance(title), natural * 0.85);
    const QFont floor = shrunkToFit(font, title, natural * 0.3, 0.76);
    EXPECT_NEAR(floor.pointSizeF(), font.pointSizeF() * 0.76, 1e-6);
}

TEST(FittedText, WrapsAtWordsUpToALineLimitAndEndsACutTextWithAnEllipsis)
{
    const QFont font = systemFont(8.5, QFont::Medium);
    EXPECT_TRUE(wrappedLines(QString(), font, 144, 3).isEmpty());
    EXPECT_EQ(wrappedLines(QStringLiteral("Lunch moved"), font, 144, 3), QStringList{QStringLiteral("Lunch moved")});
    const QString longText = QStringLiteral("one two three four five six seven eight nine ten eleven twelve thirteen "
                                            "fourteen fifteen sixteen seventeen eighteen nineteen twenty");
    const QStringList lines = wrappedLines(longText, font, 80, 3);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("one two")));
    EXPECT_TRUE(lines[2].endsWith(QChar(0x2026)));
    for (const QString& line : lines)
        EXPECT_LE(QFontMetricsF(font).horizontalAdvance(line), 80.5);
    // Just enough lines: nothing is cut.
    EXPECT_FALSE(wrappedLines(longText, font, 80, 40).join(QString()).contains(QChar(0x2026)));
}

TEST(FittedText, ACutLineEndsWithTheEllipsisRightAfterTheLastLetterKept)
{
    const QFont font = systemFont(8.5, QFont::Medium);
    const QFontMetricsF metrics(font);
    const QString text = QStringLiteral("Front desk: the courier cuts it fine on the way up to see you");
    EXPECT_EQ(elidedLine(text, font, metrics.horizontalAdvance(text) + 1), text);
    int cuts = 0;
    for (qreal width = 20; width < metrics.horizontalAdvance(text); width += 0.5) {
        const QString line = elidedLine(text, font, width);
        ASSERT_TRUE(line.endsWith(QChar(0x2026))) << line.toStdString();
        EXPECT_FALSE(line.chopped(1).endsWith(QLatin1Char(' '))) << width << ": " << line.toStdString();
        EXPECT_TRUE(text.startsWith(line.chopped(1))) << line.toStdString();
        EXPECT_LE(metrics.horizontalAdvance(line), width);
        cuts += text.at(line.size() - 1) == QLatin1Char(' ');
    }
    EXPECT_GT(cuts, 0) << "no width cut the text right after a word";

    // The last of the wrapped lines is cut the same way.
    for (qreal width = 60; width < 160; width += 0.5) {
        const QStringList lines = wrappedLines(text, font, width, 2);
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_FALSE(lines.last().endsWith(QStringLiteral(" \u2026"))) << width << ": " << lines.last().toStdString();
    }
}

TEST(FittedText, TheViewsTypeIsTheFirstRoundedFamilyInstalled)
{
    const QString nunito = QStringLiteral("Nunito");
    const QString mplus = QStringLiteral("M PLUS Rounded 1c");
    const QString manjari = QStringLiteral("Manjari");
    const QString quicksand = QStringLiteral("Quicksand");
    EXPECT_EQ(preferredRoundedFamily({QStringLiteral("DejaVu Sans"), quicksand, manjari}), manjari);
    EXPECT_EQ(preferredRoundedFamily({quicksand, mplus, QStringLiteral("nunito")}), nunito);
    EXPECT_EQ(preferredRoundedFamily({quicksand, mplus}), mplus);
    EXPECT_EQ(preferredRoundedFamily({quicksand}), quicksand);
    EXPECT_EQ(preferredRoundedFamily({QStringLiteral("DejaVu Sans")}), QString());

    // The install script brings one; every size and weight uses it.
    const QString installed = preferredRoundedFamily(QFontDatabase::families());
    ASSERT_FALSE(installed.isEmpty()) << "no rounded family is installed";
    for (const QFont::Weight weight : {QFont::Medium, QFont::Bold, QFont::Black})
        EXPECT_EQ(QFontInfo(systemFont(11.5, weight)).family(), installed);
}

class SymbolTable : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(
            Symbols::loadFont(ResourceBundle(QStringLiteral(LUMIVO_BINARY_DIR "/src/lumivo-companion.resources"))));
    }
};

TEST_F(SymbolTable, EverySymbolTheViewsNameHasAShape)
{
    QStringList used{// alert bubble, decorations, menus and panels
                     QStringLiteral("arrowshape.turn.up.left.fill"),
                     QStringLiteral("xmark"),
                     QStringLiteral("sparkle"),
                     QStringLiteral("bolt.fill"),
                     QStringLiteral("chevron.left"),
                     QStringLiteral("chevron.right"),
                     QStringLiteral("arrow.up.left.and.arrow.down.right"),
                     QStringLiteral("xmark.app"),
                     QStringLiteral("desktopcomputer"),
                     QStringLiteral("antenna.radiowaves.left.and.right"),
                     QStringLiteral("building.columns.fill"),
                     QStringLiteral("iphone.and.arrow.forward"),
                     QStringLiteral("message.fill"),
                     QStringLiteral("mic.fill"),
                     QStringLiteral("magnifyingglass"),
                     QStringLiteral("square.and.pencil"),
                     QStringLiteral("display"),
                     QStringLiteral("brain.head.profile"),
                     QStringLiteral("sparkles"),
                     QStringLiteral("line.3.horizontal"),
                     QStringLiteral("calendar"),
                     QStringLiteral("video.fill"),
                     QStringLiteral("envelope.fill"),
                     QStringLiteral("bubble.left.and.bubble.right.fill"),
                     QStringLiteral("phone.fill"),
                     QStringLiteral("signature"),
                     QStringLiteral("doc.badge.gearshape"),
                     QStringLiteral("creditcard.fill"),
                     QStringLiteral("music.note"),
                     QStringLiteral("play.rectangle.fill"),
                     QStringLiteral("sparkles.tv.fill"),
                     QStringLiteral("play.square.fill"),
                     QStringLiteral("moon.circle.fill"),
                     QStringLiteral("plus")};
    for (CompanionAlertSource source : CompanionAlertSource::allCases)
        used.append(source.symbol());
    for (const QString& name : used) {
        EXPECT_TRUE(Symbols::isKnown(name)) << name.toStdString();
        const QRectF box = Symbols::path(name, 20).boundingRect();
        EXPECT_GT(box.width(), 5) << name.toStdString();
        EXPECT_LE(box.width(), 20.5) << name.toStdString();
        EXPECT_NEAR(box.center().x(), 0, 0.5) << name.toStdString();
    }
}

TEST_F(SymbolTable, EveryGlyphIsInTheShippedFontAndNamesAreDistinct)
{
    QFont font(Symbols::fontFamily());
    font.setPixelSize(24);
    const QRawFont raw = QRawFont::fromFont(font);
    const QStringList names = Symbols::names();
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), names.size());
    for (const QString& name : names) {
        if (const auto codePoint = Symbols::codePoint(name)) {
            EXPECT_TRUE(raw.supportsCharacter(*codePoint)) << name.toStdString();
        }
    }
}

TEST_F(SymbolTable, TheCalendarThatNeedsAttentionWearsAnExclamationBadge)
{
    // A disc 0.6 of the symbol's size across in its lower right corner,
    // pierced by an exclamation mark: its bar above the centre, its dot below.
    const qreal size = 48;
    const QPainterPath symbol = Symbols::path(u"calendar.badge.exclamationmark", size);
    const qreal radius = 0.3 * size;
    const QPointF centre = symbol.boundingRect().bottomRight() - QPointF(radius, radius);
    for (const int degrees : {0, 45, 135, 180, 225, 315}) {
        const qreal angle = qDegreesToRadians(qreal(degrees));
        EXPECT_TRUE(symbol.contains(centre + 0.75 * radius * QPointF(std::cos(angle), std::sin(angle)))) << degrees;
    }
    EXPECT_FALSE(symbol.contains(centre + QPointF(0, -0.3 * radius))) << "the mark's bar";
    EXPECT_TRUE(symbol.contains(centre + QPointF(0, 0.2 * radius))) << "between the bar and the dot";
    EXPECT_FALSE(symbol.contains(centre + QPointF(0, 0.45 * radius))) << "the mark's dot";
    // Above and left of it, the calendar: a solid header over an open face.
    const QRectF box = symbol.boundingRect();
    EXPECT_TRUE(symbol.contains(QPointF(box.center().x() - 0.2 * box.width(), box.top() + 0.2 * box.height())));
    EXPECT_FALSE(symbol.contains(QPointF(box.left() + 0.3 * box.width(), box.top() + 0.55 * box.height())));
}

TEST_F(SymbolTable, UnknownNamesDrawNothing)
{
    EXPECT_FALSE(Symbols::isKnown(u"no.such.symbol"));
    EXPECT_TRUE(Symbols::path(u"no.such.symbol", 20).isEmpty());
}

} // namespace
