#include "FeedSamples.h"

#include "model/CompanionFeeds.h"
#include "model/OutsideText.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>

using FeedSamples::describe;

namespace {

QByteArray alertFeedWith(const QByteArray& alertJson)
{
    return QByteArray(R"({"notifications": [)") + alertJson + "]}";
}

QByteArray fleetWith(const QByteArray& botJson) { return QByteArray(R"({"bots": [)") + botJson + "]}"; }

constexpr const char* minimalBot = R"({"id": "b", "name": "Bee", "enabled": true, "updatesAllowed": false})";

} // namespace

TEST(CompanionAlertFeed, DecodesEveryAlertInTheServersOrder)
{
    const auto feed = CompanionAlertFeed::decode(FeedSamples::alerts());
    ASSERT_TRUE(feed.has_value());
    const std::vector<CompanionRemoteAlert> expected{
        {101, QStringLiteral("email"), QStringLiteral("Invoice from Tessaro Ltd")},
        {9007199254740993, QStringLiteral("Slack"), QStringLiteral("Build finished")},
        {-3, QStringLiteral("calendar"), QString()},
    };
    EXPECT_EQ(feed->notifications, expected);

    const auto empty = CompanionAlertFeed::decode(R"({"notifications": []})");
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->notifications.empty());
}

TEST(CompanionAlertFeed, TheTypeIsPlainTextLeftForTheCallerToMatch)
{
    for (const char* type : {"Email", "fax", ""}) {
        const auto feed = CompanionAlertFeed::decode(
            alertFeedWith(QByteArray(R"({"id": 1, "detail": "d", "type": ")") + type + "\"}"));
        ASSERT_TRUE(feed.has_value()) << type;
        EXPECT_EQ(feed->notifications.at(0).type, QString::fromUtf8(type));
    }
}

TEST(CompanionAlertFeed, OneBadAlertOrAMissingListRefusesTheWholeFeed)
{
    for (const char* body : {"{}", R"({"notifications": null})", R"({"notifications": {}})", R"({"Notifications": []})",
                             R"({"notifications": [null]})"})
        EXPECT_FALSE(CompanionAlertFeed::decode(QByteArray(body)).has_value()) << body;

    // Each required member of an alert, missing or mistyped, in an otherwise good feed.
    for (const char* alert :
         {R"({"id": 7.5, "type": "email", "detail": "d"})", R"({"id": "7", "type": "email", "detail": "d"})",
          R"({"type": "email", "detail": "d"})", R"({"id": 7, "type": 3, "detail": "d"})",
          R"({"id": 7, "type": "email"})", R"({"id": 7, "type": "email", "detail": null})"}) {
        const QByteArray body = alertFeedWith(QByteArray(R"({"id": 1, "type": "call", "detail": "fine"}, )") + alert);
        EXPECT_FALSE(CompanionAlertFeed::decode(body).has_value()) << alert;
    }
}

TEST(FleetFeed, DecodesBotsWithAndWithoutTheirOptionalFields)
{
    const auto fleet = FleetFeed::decode(FeedSamples::fleet());
    ASSERT_TRUE(fleet.has_value());
    ASSERT_EQ(fleet->bots.size(), 2u);
    const FleetBot& first = fleet->bots[0];
    EXPECT_EQ(first.id, QStringLiteral("bot-1"));
    EXPECT_EQ(first.name, QStringLiteral("Front desk"));
    EXPECT_EQ(first.email, QStringLiteral("desk@example.com"));
    EXPECT_TRUE(first.enabled);
    EXPECT_FALSE(first.updatesAllowed);
    EXPECT_EQ(first.version, QStringLiteral("2.4.1"));
    EXPECT_EQ(first.lastSeenIso, QStringLiteral("2024-05-02T09:00:00Z"));
    const FleetBot& second = fleet->bots[1];
    EXPECT_EQ(second.id, QStringLiteral("bot-2"));
    EXPECT_FALSE(second.email.has_value());
    EXPECT_FALSE(second.enabled);
    EXPECT_TRUE(second.updatesAllowed);
    EXPECT_FALSE(second.version.has_value());
    EXPECT_FALSE(second.lastSeenIso.has_value());

    // Absent and null optional fields decode alike.
    const auto minimal = FleetFeed::decode(fleetWith(minimalBot));
    const auto nulls = FleetFeed::decode(fleetWith(
        R"({"id": "b", "name": "Bee", "email": null, "enabled": true, "updatesAllowed": false,
            "version": null, "lastSeenIso": null})"));
    ASSERT_TRUE(minimal.has_value());
    ASSERT_TRUE(nulls.has_value());
    EXPECT_EQ(describe(*minimal), describe(*nulls));
    EXPECT_EQ(describe(*minimal), R"(["b" "Bee" none on frozen none none;])");

    const auto empty = FleetFeed::decode(R"({"bots": []})");
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->bots.empty());
}

TEST(FleetFeed, OneBadBotOrAMissingListRefusesTheWholeFleet)
{
    for (const char* body : {"{}", R"({"bots": null})", R"({"bots": "b"})", R"({"bots": [[]]})"})
        EXPECT_FALSE(FleetFeed::decode(QByteArray(body)).has_value()) << body;

    // Each member of a bot, missing or mistyped, beside a good bot.
    for (const char* bot : {
             R"({"name": "Bee", "enabled": true, "updatesAllowed": false})",
             R"({"id": 4, "name": "Bee", "enabled": true, "updatesAllowed": false})",
             R"({"id": "b", "enabled": true, "updatesAllowed": false})",
             R"({"id": "b", "name": "Bee", "enabled": 1, "updatesAllowed": false})",
             R"({"id": "b", "name": "Bee", "enabled": true, "updatesAllowed": null})",
             R"({"id": "b", "name": "Bee", "enabled": true, "updatesAllowed": false, "email": false})",
             R"({"id": "b", "name": "Bee", "enabled": true, "updatesAllowed": false, "version": 3})",
             R"({"id": "b", "name": "Bee", "enabled": true, "updatesAllowed": false, "lastSeenIso": 1714640400})",
         }) {
        const QByteArray body = fleetWith(QByteArray(minimalBot) + ", " + bot);
        EXPECT_FALSE(FleetFeed::decode(body).has_value()) << bot;
    }
}

TEST(CompanionFeeds, UnknownKeysChangeNothing)
{
    const auto plainAlerts = CompanionAlertFeed::decode(alertFeedWith(R"({"id": 5, "type": "call", "detail": "Mum"})"));
    const auto richAlerts = CompanionAlertFeed::decode(
        R"({"v": 2, "notifications": [{"id": 5, "ID": "x", "type": "call", "detail": "Mum", "extra": {"a": [1, null]}}],
            "detail": 3})");
    ASSERT_TRUE(plainAlerts.has_value());
    EXPECT_EQ(richAlerts, plainAlerts);

    const auto plainFleet = FleetFeed::decode(fleetWith(minimalBot));
    const auto richFleet = FleetFeed::decode(
        R"({"bots": [{"id": "b", "name": "Bee", "Email": 4, "enabled": true, "updatesAllowed": false, "x": null}],
            "cursor": null})");
    ASSERT_TRUE(plainFleet.has_value());
    ASSERT_TRUE(richFleet.has_value());
    EXPECT_EQ(describe(*richFleet), describe(*plainFleet));
}

TEST(CompanionFeeds, BodiesThatAreNotOneJsonObjectAreRefused)
{
    for (const char* body :
         {"", "[]", R"("notifications")", R"({"notifications": [])", R"({"notifications": []} [])"}) {
        EXPECT_FALSE(CompanionAlertFeed::decode(QByteArray(body)).has_value()) << body;
        EXPECT_FALSE(FleetFeed::decode(QByteArray(body)).has_value()) << body;
    }
    // Each feed refuses the other's document.
    EXPECT_FALSE(CompanionAlertFeed::decode(FeedSamples::fleet()).has_value());
    EXPECT_FALSE(FleetFeed::decode(FeedSamples::alerts()).has_value());
}

TEST(CompanionFeeds, TheTextsShownAreCutToTheirPlaceTheOthersKeptAsSent)
{
    const QString words = QStringLiteral("word ").repeated(100'000);
    const auto with = [&](const char* document) {
        return QByteArray(document).replace(
            "LONG", QJsonDocument(QJsonArray{words}).toJson(QJsonDocument::Compact).sliced(1).chopped(1));
    };
    const QString label = words.left(OutsideText::longestLabel);
    EXPECT_EQ(CompanionAlertFeed::decode(with(R"({"notifications": [{"id": 1, "type": "call", "detail": LONG}]})"))
                  .value()
                  .notifications[0]
                  .detail,
              words.left(CompanionRemoteAlert::longestDetail));
    const FleetBot bot = FleetFeed::decode(with(R"({"bots": [{"id": LONG, "name": LONG, "email": LONG, "version": LONG,
        "enabled": true, "updatesAllowed": true}]})"))
                             .value()
                             .bots[0];
    EXPECT_EQ(std::tuple(bot.id, bot.name, bot.email, bot.version), std::tuple(words, label, label, label));
    const auto claude = CompanionAgentUsage::decode(with(R"({"codex": {"today": {"tokens": 1, "sessions": 1},
        "week": {"tokens": 1, "sessions": 1}}, "claude": {"today": {"tokens": 1, "sessions": 1},
        "week": {"tokens": 1, "sessions": 1}, "models": [{"label": LONG, "tokens": 1}],
        "limits": {"usedPercent": 1, "windowMinutes": 60, "resetsAt": 0, "planType": LONG},
        "plan": {"windows": [{"label": LONG, "usedPercent": 1, "resetsAtIso": LONG}]}}})"))
                            .value()
                            .claude;
    const CompanionAgentUsage::PlanWindow& window = claude.plan->windows[0];
    EXPECT_EQ(std::tuple(claude.models->front().label, claude.limits->planType, window.label, window.resetsAtIso),
              std::tuple(label, label, label, words))
        << "the reset time is read, never shown";
}

TEST(OutsideText, KeepsWhatItsPlaceCanShowAndClosesTheDirectionRunsItLeavesOpen)
{
    const QString accent(QChar(0x0301));
    const QString emoji = QStringLiteral("\U0001F600");
    const QString family = QStringLiteral("\U0001F469\u200D\U0001F467"); // one grapheme
    const QString mark = QStringLiteral("\U0001D167");                   // a combining mark outside the basic plane
    const struct {
        const char* what;
        QString text;
        qsizetype graphemes;
        QString expected;
    } cases[] = {
        {"within the bounds", QStringLiteral("Front desk"), 120, QStringLiteral("Front desk")},
        {"empty", QString(), 120, QString()},
        {"plain long text", QString(200, u'a'), 120, QString(120, u'a')},
        {"emoji count once", emoji.repeated(130), 120, emoji.repeated(120)},
        {"joined emoji count once", family.repeated(121), 120, family.repeated(120)},
        {"a letter and its accent count once", (u'e' + accent).repeated(150), 120, (u'e' + accent).repeated(120)},
        {"a long grapheme is cut, the next kept", u'a' + accent.repeated(40) + u'b', 120,
         u'a' + accent.repeated(31) + u'b'},
        {"what lies past the scan is dropped", u'a' + accent.repeated(10000) + u'b', 120, u'a' + accent.repeated(31)},
        {"surrogate pairs stay whole in a cut grapheme", u'a' + mark.repeated(40), 120, u'a' + mark.repeated(31)},
        {"the scan never ends inside a pair", u'a' + accent.repeated(126) + emoji, 2, u'a' + accent.repeated(31)},
        {"an override left open is closed", QStringLiteral("\u202Eevil"), 120, QStringLiteral("\u202Eevil\u202C")},
        {"closed runs stay as sent", QStringLiteral("\u202B\u05D0\u202C\u2067x\u202E\u2069"), 120,
         QStringLiteral("\u202B\u05D0\u202C\u2067x\u202E\u2069")},
        {"innermost first; a PDF closes no isolate", QStringLiteral("\u202Ba\u2066b\u202C"), 120,
         QStringLiteral("\u202Ba\u2066b\u202C\u2069\u202C")},
        {"a run the cut leaves open", u'\u202E' + QString(200, u'x'), 120, u'\u202E' + QString(119, u'x') + u'\u202C'},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OutsideText::boundedForDisplay(c.text, c.graphemes), c.expected) << c.what;

    // Past the bound, the cut text is the same however long the text grows.
    for (const QString& piece :
         {accent, emoji, QStringLiteral("\u202E\u2067\u05E9 "), QStringLiteral("lorem ipsum ")}) {
        const QString cut = OutsideText::boundedForDisplay(u'a' + piece.repeated(10'000), 120);
        EXPECT_EQ(OutsideText::boundedForDisplay(u'a' + piece.repeated(1'000'000), 120), cut) << piece.toStdString();
        EXPECT_LE(cut.size(), 120 * (2 * OutsideText::longestGrapheme + 1)) << "code points and closers";
    }
}
