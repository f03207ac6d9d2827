#include "services/WeatherText.h"
#include "support/QtPrinters.h"

#include <QTextBoundaryFinder>

#include <gtest/gtest.h>

#include <random>

namespace {

struct Case {
    const char* name;
    QByteArray body;
    std::optional<QString> shown;
};

std::optional<QString> text(const char16_t* value) { return QString::fromUtf16(value); }

qsizetype graphemes(const QString& text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

} // namespace

TEST(WeatherText, KeepsShortTemperaturesAndRefusesEverythingElse)
{
    const std::vector<Case> cases{
        {"the service's usual answer", QByteArray(" +72°F\n"), text(u"72°F")},
        {"below zero", QByteArray("-3°C"), text(u"-3°C")},
        {"every plus removed, inside too", QByteArray("+1+2°F"), text(u"12°F")},
        {"no trimming after the plus goes", QByteArray("+ 5°C"), text(u" 5°C")},
        {"tabs, carriage returns, no-break spaces",
         QByteArray("\t\r\n\xC2\xA0"
                    "8°C\xE2\x80\xA8"),
         text(u"8°C")},
        {"exactly eight characters", QByteArray("-100.5°F"), text(u"-100.5°F")},
        {"nine characters", QByteArray("-1000.5°F"), std::nullopt},
        {"eight once the plus is gone", QByteArray("+-100.5°F"), text(u"-100.5°F")},
        {"a letter with its accent is one character",
         QByteArray("1°Ce\xCC\x81"
                    "abc"),
         text(u"1°Ce\u0301abc")},
        {"direction controls are dropped, or an override shows F°27",
         QByteArray("\xE2\x80\xAE+72°F\xE2\x80\xAC\xE2\x81\xA7"), text(u"72°F")},
        {"a character keeps at most 31 marks", "1°e" + QByteArray("\xCC\x81").repeated(40),
         *text(u"1°e") + QString(31, QChar(0x301))},
        {"no degree sign", QByteArray("72F"), std::nullopt},
        {"an error text of the service", QByteArray("Unknown location; please try ~1.2,3.4"), std::nullopt},
        {"the degree sign alone", QByteArray("°"), text(u"°")},
        {"the Celsius sign is not a degree sign", QByteArray("5\xE2\x84\x83"), std::nullopt},
        {"empty", QByteArray(), std::nullopt},
        {"white space only", QByteArray(" \n\t"), std::nullopt},
        {"not UTF-8",
         QByteArray("72\xB0"
                    "F"),
         std::nullopt},
        {"a cut-off sequence", QByteArray("72\xC2"), std::nullopt},
        {"an overlong encoding",
         QByteArray("\xC0\xAF"
                    "1°F"),
         std::nullopt},
        {"an encoded surrogate",
         QByteArray("\xED\xA0\x80"
                    "1°F"),
         std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WeatherText::fromBody(c.body), c.shown) << c.name;
}

TEST(WeatherText, AsksTheServiceForTheTemperatureTextInFahrenheit)
{
    const QUrl address = WeatherText::serviceAddress();
    EXPECT_EQ(address.path(), QStringLiteral("/"));
    // "%t" is no escape: it must reach the service as the text "%t".
    EXPECT_EQ(address.query(QUrl::FullyDecoded), QStringLiteral("format=%t&u"));
    EXPECT_EQ(address.toEncoded(), QByteArray("https://wttr.in/?format=%25t&u"));
}

// Random bodies, some built around real answers: nothing crashes, and what is
// kept always obeys the rules.
TEST(WeatherText, AnyBodyGivesNothingOrAShortTemperature)
{
    std::mt19937 random(20240502);
    const std::vector<QByteArray> seeds{"+72°F\n", "-3°C", "°", " \xC2\xA0+1°F ", "Sorry, we are out of queries"};
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 20000; ++round) {
        QByteArray body = seeds[size_t(round) % seeds.size()];
        const int edits = round % 6;
        for (int i = 0; i < edits; ++i) {
            const int at = body.isEmpty() ? 0 : int(random() % size_t(body.size() + 1));
            switch (random() % 3) {
            case 0: body.insert(at, char(byte(random))); break;
            case 1:
                if (at < body.size())
                    body.remove(at, 1);
                break;
            default:
                if (at < body.size())
                    body[at] = char(byte(random));
                break;
            }
        }
        const std::optional<QString> shown = WeatherText::fromBody(body);
        if (!shown)
            continue;
        EXPECT_TRUE(shown->contains(u'°')) << body.toHex().constData();
        EXPECT_FALSE(shown->contains(u'+')) << body.toHex().constData();
        EXPECT_LE(graphemes(*shown), 8) << body.toHex().constData();
        const QString decoded = QString::fromUtf8(body);
        for (const QChar character : *shown)
            EXPECT_TRUE(decoded.contains(character)) << body.toHex().constData();
    }
}
