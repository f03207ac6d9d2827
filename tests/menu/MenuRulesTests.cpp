// The menu's rules that stand on their own: which body shows, the edition's
// tiles, the layout arithmetic, scrolling windows and the circles' texts.
#include "menu/ConicTable.h"
#include "menu/HuluPicture.h"
#include "menu/LauncherRows.h"
#include "menu/MediaUtilityBar.h"
#include "menu/MenuBodies.h"
#include "menu/MenuLayout.h"
#include "menu/MenuScrolling.h"
#include "menu/PanelScroller.h"
#include "menu/StandardSections.h"
#include "ui/Symbols.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(MenuBodySwitch, TheFirstOpenPanelInTheSwitchsOrderWins)
{
    struct Case {
        PanelFlags flags;
        MenuBody body;
    };
    for (const Case& c : {
             Case{{}, MenuBody::standard},
             Case{{.fleet = true}, MenuBody::fleet},
             Case{{.task = true, .fleet = true}, MenuBody::task},
             Case{{.usage = true, .task = true}, MenuBody::usage},
             Case{{.google = true, .usage = true, .fleet = true}, MenuBody::google},
             Case{{.layout = true, .google = true, .usage = true, .task = true, .fleet = true}, MenuBody::layout},
             Case{{.layout = true}, MenuBody::layout},
         })
        EXPECT_EQ(menuBodyFor(c.flags), c.body);
}

QStringList titles(const std::vector<LauncherTile>& tiles)
{
    QStringList all;
    for (const LauncherTile& tile : tiles)
        all.append(tile.title);
    return all;
}

TEST(MenuEditionTiles, TheEmployeeEditionKeepsOnlyWhatItAllows)
{
    EXPECT_EQ(titles(utilityTiles(CompanionEdition::commandCenter)),
              QStringList({u"Task Manager"_s, u"CPU"_s, u"Fleet"_s, u"Bank"_s, u"Go Mobile"_s}));
    EXPECT_EQ(titles(utilityTiles(CompanionEdition::employee)), QStringList({u"Go Mobile"_s}));
    EXPECT_EQ(titles(agentTiles(CompanionEdition::commandCenter)),
              QStringList({u"ChatGPT"_s, u"The Dadi"_s, u"Claude"_s}));
    EXPECT_EQ(titles(agentTiles(CompanionEdition::employee)), QStringList({u"ChatGPT"_s, u"Claude"_s}));
    // Each edition's agents fill exactly one row.
    EXPECT_EQ(agentColumns(CompanionEdition::commandCenter), 3);
    EXPECT_EQ(agentColumns(CompanionEdition::employee), 2);
    EXPECT_EQ(titles(heroTiles()), QStringList({u"Message My Vora"_s, u"Talk"_s}));
    EXPECT_EQ(titles(commandTiles()), QStringList({u"Search"_s, u"Write w/ AI"_s, u"Screen"_s}));

    // The tiles that open something inside the menu keep it open.
    for (const LauncherTile& tile : utilityTiles(CompanionEdition::commandCenter))
        EXPECT_EQ(tile.keepsMenuOpen, tile.title != u"CPU"_s && tile.title != u"Bank"_s) << tile.title.toStdString();
    for (const LauncherTile& tile : commandTiles())
        EXPECT_EQ(tile.keepsMenuOpen, tile.title != u"Write w/ AI"_s) << tile.title.toStdString();
}

TEST(MenuEditionTiles, EverySymbolTheMenuNamesHasAGlyph)
{
    QStringList names{u"arrow.up.left.and.arrow.down.right"_s, u"xmark"_s, u"chevron.left"_s, u"line.3.horizontal"_s,
                      u"plus"_s};
    for (const auto& tiles : {utilityTiles(CompanionEdition::commandCenter), heroTiles(), commandTiles(),
                              agentTiles(CompanionEdition::commandCenter)}) {
        for (const LauncherTile& tile : tiles)
            names.append(tile.symbol);
    }
    for (const auto& tiles : {StandardSections::osGridTiles(), StandardSections::businessLinkTiles()}) {
        for (const StandardSections::IconTile& tile : tiles)
            names.append(tile.symbol);
    }
    for (const MediaUtilityBar::FixedCircle& circle : MediaUtilityBar::fixedCircles())
        names.append(circle.symbol);
    for (const QString& name : names)
        EXPECT_TRUE(Symbols::isKnown(name)) << name.toStdString();
}

TEST(MenuLayoutRules, RowsShareTheirWidthEquallyAndTalkStaysCompact)
{
    const QRectF row(7, 0, 308, 32);
    const std::vector<QRectF> five = equalTiles(row, 5, 4);
    ASSERT_EQ(five.size(), 5u);
    EXPECT_DOUBLE_EQ(five[0].width(), 58.4);
    EXPECT_DOUBLE_EQ(five[4].right(), 315);
    EXPECT_DOUBLE_EQ(equalTiles(QRectF(7, 0, 308, 34), 6, 4)[0].width(), 48);
    EXPECT_DOUBLE_EQ(equalTiles(QRectF(7, 0, 308, 34), 3, 4)[2].width(), 100);
    EXPECT_EQ(equalTiles(row, 1, 4).front(), row);
    EXPECT_TRUE(equalTiles(row, 0, 4).empty());

    const HeroWidths hero = heroWidths(308, 5, 96);
    EXPECT_DOUBLE_EQ(hero.talk, 96);
    EXPECT_DOUBLE_EQ(hero.message, 207);
    // Narrower than twice its limit, "Talk" takes only its half.
    EXPECT_DOUBLE_EQ(heroWidths(100, 4, 96).talk, 48);

    EXPECT_EQ(scrollLimit(358, 308), 50);
    EXPECT_EQ(scrollLimit(292, 308), 0);
    EXPECT_EQ(clampedScroll(80, 358, 308), 50);
    EXPECT_EQ(clampedScroll(-5, 358, 308), 0);
}

TEST(MenuScrollRules, ListWindowsThumbsAndTheWheel)
{
    EXPECT_EQ(listWindowHeight(120, 300, 30), 120) << "all of a list that fits";
    EXPECT_EQ(listWindowHeight(500, 300, 30), 300);
    EXPECT_EQ(listWindowHeight(500, 10, 30), 30) << "at least the first row";
    EXPECT_EQ(listWindowHeight(20, 10, 30), 20);

    const QRectF window(7, 100, 308, 200);
    EXPECT_TRUE(scrollThumb(window, 200, 0).isEmpty());
    EXPECT_EQ(scrollThumb(window, 400, 0), QRectF(312, 100, 3, 100));
    EXPECT_EQ(scrollThumb(window, 400, 200), QRectF(312, 200, 3, 100)) << "at the end, at the bottom";
    EXPECT_EQ(scrollThumb(window, 400, 900), QRectF(312, 200, 3, 100)) << "never past it";
    EXPECT_EQ(scrollThumb(window, 100000, 0).height(), PanelScroller::minimumThumb);

    // A wheel turned down (towards the user) moves the list on; a touchpad by its own distance.
    EXPECT_EQ(wheelPoints(QPoint(), QPoint(0, -120), Qt::Vertical), ScrollViewport::pointsPerNotch);
    EXPECT_EQ(wheelPoints(QPoint(0, 7), QPoint(0, 120), Qt::Vertical), -7);
    EXPECT_EQ(wheelPoints(QPoint(), QPoint(-240, 0), Qt::Vertical), 0) << "an upright list ignores sideways turns";
    EXPECT_EQ(wheelPoints(QPoint(), QPoint(-240, 0), Qt::Horizontal), 2 * ScrollViewport::pointsPerNotch);
    EXPECT_EQ(wheelPoints(QPoint(), QPoint(0, -120), Qt::Horizontal), ScrollViewport::pointsPerNotch)
        << "a sideways strip moves on for a wheel turned down";
}

TEST(MenuCircleTexts, WeatherClockAndPersonalAppNames)
{
    EXPECT_EQ(weatherCircleText(QString()), QStringLiteral("\u2014\u00B0"));
    EXPECT_EQ(weatherCircleText(QStringLiteral("+21\u00B0F")), QStringLiteral("+21\u00B0F"));

    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(clockText(QTime(21, 41), us), QStringLiteral("9:41"));
    EXPECT_EQ(clockText(QTime(0, 5), us), QStringLiteral("12:05"));
    EXPECT_EQ(clockText(QTime(12, 30, 59), us), QStringLiteral("12:30"));
    EXPECT_EQ(clockText(QTime(21, 41), german), QStringLiteral("21:41"));
    EXPECT_EQ(clockText(QTime(7, 3), german), QStringLiteral("07:03"));

    EXPECT_DOUBLE_EQ(secondsUntilNextMinute(QTime(9, 41, 0)), 60);
    EXPECT_DOUBLE_EQ(secondsUntilNextMinute(QTime(9, 41, 59, 750)), 0.25);

    EXPECT_EQ(personalAppName(QStringLiteral("/Applications/Visual Studio Code.app")),
              QStringLiteral("Visual Studio Code"));
    EXPECT_EQ(personalAppName(QStringLiteral("/usr/share/applications/org.gnome.Calculator.desktop")),
              QStringLiteral("org.gnome.Calculator"));
    EXPECT_EQ(personalAppName(QStringLiteral("/usr/bin/htop")), QStringLiteral("htop"));
}

TEST(MenuPictures, TheHuluPictureDecodesFromTheProgramsOwnCopy)
{
    const std::optional<QImage>& hulu = huluOriginalImage();
    ASSERT_TRUE(hulu.has_value());
    EXPECT_EQ(hulu->size(), QSize(96, 96));
    EXPECT_TRUE(hulu->hasAlphaChannel());
    // Green letter, black ground.
    EXPECT_GT(qGreen(hulu->pixel(32, 40)), 200);
    EXPECT_EQ(qGreen(hulu->pixel(48, 70)), 0);
    EXPECT_EQ(qAlpha(hulu->pixel(48, 70)), 255);
}

TEST(ConicTables, AnglesWrapAndTheStopsFallEvenlyRoundTheCircle)
{
    EXPECT_EQ(ConicTable::stepOf(0), 0);
    EXPECT_EQ(ConicTable::stepOf(360), 0);
    EXPECT_EQ(ConicTable::stepOf(-90), ConicTable::steps * 3 / 4);
    EXPECT_EQ(ConicTable::stepOf(450), ConicTable::steps / 4);
    // Clockwise on a screen whose y grows downward: below the centre is a quarter turn.
    EXPECT_EQ(ConicTable::stepToward(QPointF(0, 0), QPointF(0, 10)), ConicTable::steps / 4);

    // Red at three o'clock, blue half way round, red again at the end.
    const ConicTable table({Qt::red, Qt::blue, Qt::red});
    EXPECT_EQ(table.at(0, 0), qRgba(255, 0, 0, 255));
    EXPECT_EQ(table.at(ConicTable::steps / 2, 0), qRgba(0, 0, 255, 255));
    // Turned a quarter clockwise, the blue stop sits at three quarters.
    EXPECT_EQ(table.at(ConicTable::steps * 3 / 4, ConicTable::steps / 4), qRgba(0, 0, 255, 255));
    // Clear to white blends in premultiplied colour: no dark fringe.
    const ConicTable fade({Qt::transparent, Qt::white});
    const QRgb middle = fade.at(ConicTable::steps / 2, 0);
    EXPECT_NEAR(qAlpha(middle), 128, 1);
    EXPECT_EQ(qRed(middle), qAlpha(middle));
}

} // namespace
