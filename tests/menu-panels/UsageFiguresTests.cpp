// What the usage panel and pill make of the agent-usage feed: what is left
// of each limit and when it resets, and the counts kept short.
#include "PanelFixtures.h"

#include "menu/panels/UsageFigures.h"
#include "menu/panels/UsagePill.h"

#include <gtest/gtest.h>

#include <limits>

using namespace Qt::StringLiterals;
using namespace UsageFigures;

namespace {

CompanionAgentUsage::Agent agentWith(std::optional<CompanionAgentUsage::Limits> limits,
                                     std::optional<CompanionAgentUsage::Plan> plan)
{
    CompanionAgentUsage::Agent agent;
    agent.limits = std::move(limits);
    agent.plan = std::move(plan);
    return agent;
}

TEST(UsageFigures, WhatIsLeftOfEachLimit)
{
    const std::vector<std::pair<double, int>> left{{41.5, 59}, {0, 100},  {100, 0}, {99.6, 0},
                                                   {130, 0},   {-5, 100}, {12, 88}};
    for (const auto& [used, expected] : left)
        EXPECT_EQ(percentLeft(used), expected) << used;
    EXPECT_DOUBLE_EQ(usedShare(41.5), 0.415);
    EXPECT_DOUBLE_EQ(usedShare(130), 1);
    EXPECT_DOUBLE_EQ(usedShare(-5), 0);
    EXPECT_EQ(percentLeftText(59), u"59% left"_s);

    // The plan's windows, in the server's order, come before the current limit.
    const CompanionAgentUsage::Limits limit{
        .usedPercent = 78, .windowMinutes = 300, .resetsAt = 1714650000, .planType = u" max "_s};
    const CompanionAgentUsage::Plan plan{{{u"5-hour window"_s, 41.5, u"2024-05-02T12:20:00Z"_s},
                                          {u"Weekly"_s, 90, std::nullopt},
                                          {u"Opus"_s, 10, u"next week"_s}}};
    const std::vector<LimitWindow> planned = limitWindows(agentWith(limit, plan));
    ASSERT_EQ(planned.size(), 3u);
    EXPECT_EQ(planned[0].label, u"5-hour window"_s);
    EXPECT_EQ(planned[0].resetsAt, QDateTime(QDate(2024, 5, 2), QTime(12, 20), Qt::UTC));
    EXPECT_EQ(planned[1].resetsAt, std::nullopt) << "no time sent";
    EXPECT_EQ(planned[2].resetsAt, std::nullopt) << "a time that does not parse";
    EXPECT_EQ(tightestPercentLeft(agentWith(limit, plan)), 10);
    EXPECT_EQ(planBadge(agentWith(limit, plan)), u"MAX"_s);

    // Without a plan (or with one that has no windows) the current limit shows.
    for (const std::optional<CompanionAgentUsage::Plan>& none :
         {std::optional<CompanionAgentUsage::Plan>(), std::optional(CompanionAgentUsage::Plan{})}) {
        const std::vector<LimitWindow> limited = limitWindows(agentWith(limit, none));
        ASSERT_EQ(limited.size(), 1u);
        EXPECT_EQ(limited[0], (LimitWindow{u"5-hour limit"_s, 78, QDateTime::fromSecsSinceEpoch(1714650000, Qt::UTC)}));
        EXPECT_EQ(tightestPercentLeft(agentWith(limit, none)), 22);
    }
    // A reset time beyond any calendar is no time at all.
    const CompanionAgentUsage::Limits absurd{
        .usedPercent = 5, .windowMinutes = 60, .resetsAt = 1e300, .planType = std::nullopt};
    EXPECT_EQ(limitWindows(agentWith(absurd, std::nullopt)).front().resetsAt, std::nullopt);
    EXPECT_EQ(planBadge(agentWith(absurd, std::nullopt)), QString());
    // No limit reported: nothing to show, and the pill says so.
    EXPECT_TRUE(limitWindows(agentWith(std::nullopt, std::nullopt)).empty());
    EXPECT_EQ(tightestPercentLeft(agentWith(std::nullopt, std::nullopt)), std::nullopt);
    EXPECT_EQ(UsagePill::agentText(u"Codex"_s, std::nullopt), u"Codex \u2014"_s);
    EXPECT_EQ(UsagePill::agentText(u"Claude"_s, 37), u"Claude 37%"_s);

    const std::vector<std::pair<qint64, QString>> labels{
        {300, u"5-hour limit"_s},   {60, u"Hourly limit"_s},    {1440, u"Daily limit"_s},   {2880, u"2-day limit"_s},
        {10080, u"Weekly limit"_s}, {20160, u"2-week limit"_s}, {90, u"90-minute limit"_s}, {0, u"Usage limit"_s},
    };
    for (const auto& [minutes, label] : labels)
        EXPECT_EQ(limitLabel(minutes), label) << minutes;
}

TEST(UsageFigures, ResetTimesAreReadFromNow)
{
    const QLocale british(QLocale::English, QLocale::UnitedKingdom);
    const QDateTime now(QDate(2024, 5, 2), QTime(12, 0)); // a Thursday
    const std::vector<std::pair<std::optional<QDateTime>, QString>> table{
        {std::nullopt, QString()},
        {now, u"resets now"_s},
        {now.addSecs(-600), u"resets now"_s},
        {now.addSecs(30), u"resets in 1 min"_s},
        {now.addSecs(59 * 60), u"resets in 59 min"_s},
        {now.addSecs(2 * 3600 + 20 * 60), u"resets 14:20"_s},
        {QDateTime(QDate(2024, 5, 3), QTime(9, 0)), u"resets Fri 09:00"_s},
        {QDateTime(QDate(2024, 5, 8), QTime(23, 59)), u"resets Wed 23:59"_s},
        {QDateTime(QDate(2024, 5, 12), QTime(9, 0)), u"resets May 12"_s},
    };
    for (const auto& [resetsAt, text] : table)
        EXPECT_EQ(resetText(resetsAt, now, british), text) << text.toStdString();
    // A time given in UTC reads in local time.
    EXPECT_EQ(resetText(now.addSecs(3 * 3600).toUTC(), now, british), u"resets 15:00"_s);
    // A 12-hour locale keeps its day period, and no locale shows seconds.
    const QString american =
        resetText(now.addSecs(2 * 3600 + 20 * 60), now, QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_TRUE(american.startsWith(u"resets 2:20"_s)) << american.toStdString();
    EXPECT_TRUE(american.endsWith(u"PM"_s)) << american.toStdString();
    EXPECT_FALSE(resetText(now.addSecs(3 * 3600 + 17), now, QLocale::c()).contains(u":17"_s));
}

TEST(UsageFigures, CountsStayShort)
{
    const std::vector<std::pair<qint64, QString>> counts{
        {0, u"0"_s},           {999, u"999"_s},   {1000, u"1K"_s},      {5120, u"5.1K"_s},        {182340, u"182.3K"_s},
        {999949, u"999.9K"_s}, {999960, u"1M"_s}, {1203400, u"1.2M"_s}, {3'000'000'000, u"3B"_s}, {-5120, u"-5.1K"_s},
    };
    for (const auto& [tokens, text] : counts)
        EXPECT_EQ(tokenCount(tokens), text) << tokens;
    EXPECT_TRUE(tokenCount(std::numeric_limits<qint64>::min()).startsWith(u'-'));
    EXPECT_TRUE(tokenCount(std::numeric_limits<qint64>::max()).endsWith(u'T'));

    EXPECT_EQ(periodText({182340, 4}), u"182.3K tokens \u00B7 4 sessions"_s);
    EXPECT_EQ(periodText({5120, 1}), u"5.1K tokens \u00B7 1 session"_s);
    EXPECT_EQ(periodText({1, 0}), u"1 token \u00B7 0 sessions"_s);
    EXPECT_EQ(modelsText(std::nullopt), QString());
    EXPECT_EQ(modelsText(std::vector<CompanionAgentUsage::ModelUsage>{}), QString());
    EXPECT_EQ(modelsText(std::vector<CompanionAgentUsage::ModelUsage>{{u"opus"_s, 120000}, {u"sonnet"_s, 62340}}),
              u"opus 120K \u00B7 sonnet 62.3K"_s);
}

} // namespace
