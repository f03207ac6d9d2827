#include "activity/InboundActivityRules.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <algorithm>
#include <limits>
#include <utility>

using namespace InboundActivityRules;
using Source = CompanionAlertSource;

namespace {

DesktopNotification sentBy(const QString& appName, const QString& desktopEntry = {}, const QString& category = {})
{
    return {.appName = appName, .summary = QStringLiteral("Dana"), .category = category, .desktopEntry = desktopEntry};
}

TEST(InboundActivityRules, TheCategoryDecidesFirstThenTheSendingApplication)
{
    const QString anyone = QStringLiteral("notify-send");
    const std::pair<DesktopNotification, std::optional<Source>> cases[] = {
        {sentBy(anyone, {}, QStringLiteral("email.arrived")), Source::email},
        {sentBy(anyone, {}, QStringLiteral("IM.Received")), Source::message},
        {sentBy(anyone, {}, QStringLiteral("call.unanswered")), Source::call},
        {sentBy(QStringLiteral("Slack"), {}, QStringLiteral("call.incoming")), Source::call},
        {sentBy(QStringLiteral("Slack"), {}, QStringLiteral("presence.online")), Source::slack},
        {sentBy(anyone, {}, QStringLiteral("email.bounced")), std::nullopt},
        {sentBy(QStringLiteral("Thunderbird")), Source::email},
        {sentBy(QStringLiteral("Evolution Reminders")), Source::calendar},
        {sentBy(QStringLiteral("Telegram Desktop")), Source::message},
        // The desktop entry outranks the application name; reverse-domain
        // entries are known by their last part, with or without ".desktop".
        {sentBy(QStringLiteral("Chromium"), QStringLiteral("com.slack.Slack")), Source::slack},
        {sentBy(QStringLiteral("Slack"), QStringLiteral("org.gnome.Nautilus")), std::nullopt},
        {sentBy({}, QStringLiteral("org.gnome.Calendar.desktop")), Source::calendar},
        {sentBy({}, QStringLiteral("org.telegram.desktop")), Source::message},
        {sentBy({}, QStringLiteral("org.example.")), std::nullopt},
        {sentBy(anyone), std::nullopt},
    };
    for (const auto& [n, expected] : cases)
        EXPECT_EQ(sourceFor(n), expected) << (n.appName + u'/' + n.desktopEntry + u'/' + n.category).toStdString();
}

TEST(InboundActivityRules, TheDetailIsTheSummaryAndThePlainBodyOnOneShortLine)
{
    const std::pair<const char*, const char*> bodies[] = {
        {"<b>Quarterly</b>\n <a href=\"https://x.test/?a=1&amp;b=2\">report</a>", "Dana: Quarterly report"},
        {"<img src=\"file:///face.png\" alt=\"face\"/>line<br/>break", "Dana: line break"},
        {"Tom &amp; Jerry &lt;3 &quot;cheese&quot; &#233;clairs &#x1F600;",
         "Dana: Tom & Jerry <3 \"cheese\" \u00e9clairs \U0001F600"},
        // What only looks like markup stays as written.
        {"a < b, 1<2, R&D &bogus; &#xD800; unfinished <b", "Dana: a < b, 1<2, R&D &bogus; &#xD800; unfinished <b"},
        {"", "Dana"},
    };
    for (const auto& [body, detail] : bodies) {
        const DesktopNotification n{.summary = QStringLiteral("Dana"), .body = QString::fromUtf8(body)};
        EXPECT_EQ(alertDetail(n), QString::fromUtf8(detail)) << body;
    }

    // Cut to the longest detail in characters: an emoji counts once.
    DesktopNotification n{.summary = QStringLiteral("Dana"),
                          .body = QString(longestDetail - 7, QLatin1Char('x')) + QStringLiteral("\U0001F600 more")};
    EXPECT_EQ(alertDetail(n),
              QStringLiteral("Dana: ") + QString(longestDetail - 7, QLatin1Char('x')) + QStringLiteral("\U0001F600"));
    n.body = QString(200, QLatin1Char('x'));
    EXPECT_EQ(alertDetail(n).size(), longestDetail);
}

TEST(InboundActivityRules, ArrivingTextIsCutToAFewKilobytesNeverThroughACharacter)
{
    const qsizetype most = longestArrivingText;
    const auto filler = [](qsizetype size) { return QByteArray(size, 'x'); };
    // Each text and how many of its bytes are kept.
    const std::pair<QByteArray, qsizetype> cases[] = {
        {"Dana", 4},
        {filler(most), most},
        {filler(most + 1), most},
        {filler(most - 1) + "\xc3\xa9", most - 1},         // a two-byte character across the cut
        {filler(most - 2) + "\xf0\x9f\x98\x80", most - 2}, // a four-byte one
        {filler(most - 3)
             + "\xe2\x82\xac"
               "more",
         most}, // a three-byte one that just fits
    };
    for (const auto& [utf8, kept] : cases)
        EXPECT_EQ(arrivingText(utf8), QString::fromUtf8(utf8.first(kept))) << utf8.size();
}

// The least time each of two markups takes over several runs, taken in
// turn, so a busy machine weighs on both alike.
std::pair<qint64, qint64> fastestStrips(const QString& first, const QString& second)
{
    std::pair<qint64, qint64> fastest{std::numeric_limits<qint64>::max(), std::numeric_limits<qint64>::max()};
    for (int run = 0; run < 9; ++run) {
        for (auto [markup, time] : {std::pair(&first, &fastest.first), std::pair(&second, &fastest.second)}) {
            QElapsedTimer timer;
            timer.start();
            static_cast<void>(plainText(*markup));
            *time = std::min(*time, timer.nsecsElapsed());
        }
    }
    return fastest;
}

TEST(InboundActivityRules, StrippingHostileMarkupTakesTimeInProportionToItsLength)
{
    // Tags and entities that never end, read as written.
    constexpr int repeats = 4096;
    constexpr int longer = 16;
    for (const QString& unit :
         {QStringLiteral("<a"), QStringLiteral("&"), QStringLiteral("&#x"), QStringLiteral("<b&amp")}) {
        const QString markup = unit.repeated(repeats);
        ASSERT_EQ(plainText(markup), markup) << unit.toStdString();
        // Sixteen times the length: sixteen times the work, far from 256 times.
        const auto [once, longerTime] = fastestStrips(markup, unit.repeated(longer * repeats));
        EXPECT_LT(longerTime, 4 * longer * once)
            << unit.toStdString() << ": " << once << " ns, then " << longerTime << " ns";
    }
}

TEST(InboundActivityRules, TheCompanionsOwnAndLowUrgencyNotificationsRaiseNothing)
{
    DesktopNotification mail = sentBy(QStringLiteral("Thunderbird"));
    mail.urgency = DesktopNotification::Urgency::critical;
    EXPECT_EQ(findingFor(mail), (Finding{Source::email, QStringLiteral("Dana")}));
    mail.urgency = DesktopNotification::Urgency::low;
    EXPECT_EQ(findingFor(mail), std::nullopt);

    for (const QString& own :
         {QStringLiteral("Lumivo-Companion-Employee"), QStringLiteral("Power Vora"), QStringLiteral("my vora")}) {
        EXPECT_EQ(findingFor(sentBy(own, {}, QStringLiteral("im.received"))), std::nullopt) << own.toStdString();
        EXPECT_EQ(findingFor(sentBy(QStringLiteral("Slack"), own + QStringLiteral(".desktop"))), std::nullopt)
            << own.toStdString();
    }
}

} // namespace
