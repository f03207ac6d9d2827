// "lumivo:" links as other programs send them.
#include "model/OutsideText.h"
#include "shell/CompanionLink.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

using namespace CompanionLink;

std::optional<Request> parseText(const char* text) { return parse(QUrl(QString::fromUtf8(text))); }

TEST(CompanionLink, ReadsTheThreeRequestsWhateverTheirCase)
{
    EXPECT_EQ(parseText("lumivo://activity-monitor"), Request(OpenActivityMonitor{}));
    EXPECT_EQ(parseText("LUMIVO://Schedule?x=1"), Request(OpenSchedule{}));
    EXPECT_EQ(parseText("LUMIVO://NOTIFY?type=CALL&detail=Front%20desk"),
              Request(RaiseAlert{CompanionAlertSource::call, QStringLiteral("Front desk")}));
    EXPECT_EQ(parseText("lumivo://notify?type=setup"), Request(RaiseAlert{CompanionAlertSource::setup, QString()}));
    // The detail keeps its own case, blanks and plus signs.
    EXPECT_EQ(parseText("lumivo://notify?type=email&detail=%20Hi+There%21%0A"),
              Request(RaiseAlert{CompanionAlertSource::email, QStringLiteral(" Hi+There!\n")}));
    EXPECT_EQ(parseText("lumivo://notify?type=slack&detail"),
              Request(RaiseAlert{CompanionAlertSource::slack, QString()}));
    EXPECT_EQ(parseText("lumivo://notify?type=agent&detail=a=b&other=1"),
              Request(RaiseAlert{CompanionAlertSource::agent, QStringLiteral("a=b")}));
}

TEST(CompanionLink, IgnoresEverythingElse)
{
    for (const char* text :
         {"lumivo://notify?type=fax&detail=x", "lumivo://notify?Type=call", "lumivo://notify", "lumivo://",
          "lumivo:notify?type=call", "lumivo://calendar", "lumivo://notify?type=%20call", "lumivoo://notify?type=call",
          "https://notify?type=call", "", "lumivo://notify?type=c%61ll%", "lumivo://activity-monitor.evil"}) {
        EXPECT_EQ(parseText(text), std::nullopt) << text;
    }
}

TEST(CompanionLink, AKeyGivenTwiceStillGivesOneAlert)
{
    const std::optional<Request> request = parseText("lumivo://notify?type=fax&type=call&detail=one&detail=two");
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(std::get<RaiseAlert>(*request).source, CompanionAlertSource::call);
    EXPECT_EQ(std::get<RaiseAlert>(*request).detail, QStringLiteral("two"));
}

TEST(CompanionLink, CutsTheDetailAfter120PerceivedCharacters)
{
    const QString letters(200, QLatin1Char('a'));
    const QUrl longLink(QStringLiteral("lumivo://notify?type=call&detail=") + letters);
    EXPECT_EQ(std::get<RaiseAlert>(*parse(longLink)).detail, letters.left(120));
    const QString exactly(120, QLatin1Char('b'));
    EXPECT_EQ(std::get<RaiseAlert>(*parse(QUrl(QStringLiteral("lumivo://notify?type=call&detail=") + exactly))).detail,
              exactly);

    // An emoji takes four bytes and counts once; a run of accents is no
    // character anyone reads, and is cut.
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    const QUrl emojiLink(QStringLiteral("lumivo://notify?type=call&detail=") + emoji.repeated(130));
    EXPECT_EQ(std::get<RaiseAlert>(*parse(emojiLink)).detail, emoji.repeated(120));
    const QUrl accents(QStringLiteral("lumivo://notify?type=call&detail=a") + QStringLiteral("%CC%81").repeated(5000));
    EXPECT_EQ(std::get<RaiseAlert>(*parse(accents)).detail.size(), OutsideText::longestGrapheme);
}

} // namespace
