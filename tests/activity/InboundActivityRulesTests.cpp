#include "activity/InboundActivityRules.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

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
        {"Tom &amp; Jerry &lt;3 &quot;cheese&quot; &#233;clairs &#x1F600;", "Dana: Tom & Jerry <3 \"cheese\" \u00e9clairs \U0001F600"},
        // What only looks like markup stays as written.
        {"a < b, 1<2, R&D &bogus; &#xD800; unfinished <b", "Dana: a < b, 1<2, R&D &bogus; &#xD800; unfinished <b"},
        {"", "Dana"},
    };
    for (const auto& [body, detail] : bodies) {
        const DesktopNotification n {.summary = QStringLiteral("Dana"), .body = QString::fromUtf8(body)};
        EXPECT_EQ(alertDetail(n), QString::fromUtf8(detail)) << body;
    }

    // Cut to the longest detail, never through a character outside the basic plane.
    DesktopNotification n {.summary = QStringLiteral("Dana"), .body = QString(longestDetail - 7, QLatin1Char('x')) + QStringLiteral("\U0001F600 more")};
    EXPECT_EQ(alertDetail(n).size(), longestDetail - 1);
    n.body = QString(200, QLatin1Char('x'));
    EXPECT_EQ(alertDetail(n).size(), longestDetail);
}

TEST(InboundActivityRules, TheCompanionsOwnAndLowUrgencyNotificationsRaiseNothing)
{
    DesktopNotification mail = sentBy(QStringLiteral("Thunderbird"));
    mail.urgency = DesktopNotification::Urgency::critical;
    EXPECT_EQ(findingFor(mail), (Finding {Source::email, QStringLiteral("Dana")}));
    mail.urgency = DesktopNotification::Urgency::low;
    EXPECT_EQ(findingFor(mail), std::nullopt);

    for (const QString& own : {QStringLiteral("Lumivo-Companion-Employee"), QStringLiteral("Power Vora"), QStringLiteral("my vora")}) {
        EXPECT_EQ(findingFor(sentBy(own, {}, QStringLiteral("im.received"))), std::nullopt) << own.toStdString();
        EXPECT_EQ(findingFor(sentBy(QStringLiteral("Slack"), own + QStringLiteral(".desktop"))), std::nullopt) << own.toStdString();
    }
}

} // namespace
