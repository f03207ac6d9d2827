#include "FeedSamples.h"

#include "model/CompanionAgentUsage.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <limits>

using Usage = CompanionAgentUsage;

namespace {

constexpr const char* bareAgent = R"({"today": {"tokens": 1, "sessions": 2}, "week": {"tokens": 3, "sessions": 4}})";

// A document whose claude agent is `claude` and whose codex agent is bare.
QByteArray usageWithClaude(const QByteArray& claude)
{
    return QByteArray(R"({"claude": )") + claude + R"(, "codex": )" + bareAgent + "}";
}

// The bare agent with `members` added to it.
QByteArray agentWith(const QByteArray& members)
{
    QByteArray agent(bareAgent);
    agent.chop(1);
    return agent + ", " + members + "}";
}

std::optional<Usage::Agent> decodeClaude(const QByteArray& members)
{
    const auto usage = Usage::decode(usageWithClaude(agentWith(members)));
    if (!usage)
        return std::nullopt;
    return usage->claude;
}

} // namespace

TEST(CompanionAgentUsage, DecodesTheFullDocument)
{
    const auto usage = Usage::decode(FeedSamples::usage());
    ASSERT_TRUE(usage.has_value());

    const Usage::Agent& claude = usage->claude;
    EXPECT_EQ(claude.today, (Usage::Window{182340, 4}));
    EXPECT_EQ(claude.week, (Usage::Window{9007199254740993, 31}));
    EXPECT_EQ(claude.activeNow, true);
    EXPECT_EQ(claude.models,
              (std::vector<Usage::ModelUsage>{{QStringLiteral("opus"), 120000}, {QStringLiteral("sonnet"), 62340}}));
    EXPECT_EQ(claude.limits, (Usage::Limits{41.5, 300, 1714650000.0, QStringLiteral("max")}));
    const Usage::Plan plan{{{QStringLiteral("5 hours"), 41.5, QStringLiteral("2024-05-02T12:20:00Z")},
                            {QStringLiteral("week"), 12.0, std::nullopt}}};
    EXPECT_EQ(claude.plan, plan);

    const Usage::Agent& codex = usage->codex;
    EXPECT_EQ(codex.today, (Usage::Window{0, 0}));
    EXPECT_EQ(codex.week, (Usage::Window{5120, 2}));
    EXPECT_FALSE(codex.activeNow.has_value());
    EXPECT_EQ(codex.models, std::vector<Usage::ModelUsage>{}) << "an empty list is not an absent one";
    EXPECT_EQ(codex.limits, (Usage::Limits{0.25, 10080, 1714650000.5, std::nullopt}));
    EXPECT_FALSE(codex.plan.has_value());
}

TEST(CompanionAgentUsage, AgentsWithOnlyTodayAndWeekHaveEverythingElseEmpty)
{
    const auto usage = Usage::decode(usageWithClaude(bareAgent));
    ASSERT_TRUE(usage.has_value());
    const Usage::Agent expected{{1, 2}, {3, 4}, std::nullopt, std::nullopt, std::nullopt, std::nullopt};
    EXPECT_EQ(usage->claude, expected);
    EXPECT_EQ(usage->codex, expected);

    // Null optional members read as absent ones.
    EXPECT_EQ(decodeClaude(R"("activeNow": null, "models": null, "limits": null, "plan": null)"), expected);
}

TEST(CompanionAgentUsage, OptionalMembersKeepTheirTypeRules)
{
    EXPECT_EQ(decodeClaude(R"("activeNow": false)").value().activeNow, false);
    EXPECT_EQ(decodeClaude(R"("plan": {"windows": []})").value().plan, Usage::Plan{});
    EXPECT_EQ(decodeClaude(R"("models": [{"label": "b", "tokens": 2}, {"label": "a", "tokens": 1}])").value().models,
              (std::vector<Usage::ModelUsage>{{QStringLiteral("b"), 2}, {QStringLiteral("a"), 1}}));

    // Each optional member, and each member of the records inside them, mistyped or missing.
    for (const char* members : {
             R"("activeNow": "yes")",
             R"("activeNow": 1)",
             R"("models": {})",
             R"("models": [{"label": "a"}])",
             R"("models": [{"label": 1, "tokens": 1}])",
             R"("limits": {})",
             R"("limits": {"usedPercent": "4", "windowMinutes": 1, "resetsAt": 1})",
             R"("limits": {"usedPercent": 4, "windowMinutes": 1.5, "resetsAt": 1})",
             R"("limits": {"usedPercent": 4, "windowMinutes": 1})",
             R"("limits": {"usedPercent": 4, "windowMinutes": 1, "resetsAt": 1, "planType": 2})",
             R"("plan": {})",
             R"("plan": {"windows": [{"label": "w"}]})",
             R"("plan": {"windows": [{"usedPercent": 1}]})",
             R"("plan": {"windows": [{"label": "w", "usedPercent": 1, "resetsAtIso": 1714650000}]})",
         })
        EXPECT_FALSE(decodeClaude(members).has_value()) << members;
}

TEST(CompanionAgentUsage, NumbersKeepTheirFullRangeAndPrecision)
{
    const auto big = Usage::decode(usageWithClaude(
        R"({"today": {"tokens": 9007199254740993, "sessions": 4294967297},
            "week": {"tokens": 9223372036854775807, "sessions": -9223372036854775808},
            "limits": {"usedPercent": 100, "windowMinutes": 1e3, "resetsAt": 1714650000}})"));
    ASSERT_TRUE(big.has_value());
    EXPECT_EQ(big->claude.today, (Usage::Window{9007199254740993, 4294967297}));
    EXPECT_EQ(big->claude.week,
              (Usage::Window{std::numeric_limits<qint64>::max(), std::numeric_limits<qint64>::min()}));
    EXPECT_EQ(big->claude.limits, (Usage::Limits{100.0, 1000, 1714650000.0, std::nullopt}));

    for (const char* window : {R"({"tokens": 1.5, "sessions": 1})", R"({"tokens": 9223372036854775808, "sessions": 1})",
                               R"({"tokens": 1, "sessions": "1"})"}) {
        const QByteArray agent = QByteArray(R"({"today": )") + window + R"(, "week": {"tokens": 3, "sessions": 4}})";
        EXPECT_FALSE(Usage::decode(usageWithClaude(agent)).has_value()) << window;
    }
}

TEST(CompanionAgentUsage, OneAgentsFaultRefusesTheWholeDocument)
{
    const QByteArray bare(bareAgent);
    for (const QByteArray& body : {
             QByteArray(R"({"claude": )") + bare + "}",
             QByteArray(R"({"codex": )") + bare + "}",
             QByteArray(R"({"claude": )") + bare + R"(, "codex": null})",
             QByteArray(R"({"claude": )") + bare + R"(, "codex": []})",
             QByteArray(R"({"claude": )") + bare + R"(, "Codex": )" + bare + "}",
             usageWithClaude(R"({"today": {"tokens": 1, "sessions": 2}})"),
             usageWithClaude(R"({"today": {"tokens": 1}, "week": {"tokens": 3, "sessions": 4}})"),
             usageWithClaude(R"({"today": null, "week": {"tokens": 3, "sessions": 4}})"),
         })
        EXPECT_FALSE(Usage::decode(body).has_value()) << body.toStdString();

    for (const QByteArray& body : {QByteArray("[]"), FeedSamples::usage() + "x"})
        EXPECT_FALSE(Usage::decode(body).has_value()) << body.toStdString();
}

TEST(CompanionAgentUsage, UnknownKeysChangeNothing)
{
    const auto plain = Usage::decode(usageWithClaude(agentWith(
        R"("models": [{"label": "m", "tokens": 5}], "limits": {"usedPercent": 1, "windowMinutes": 2, "resetsAt": 3},
           "plan": {"windows": [{"label": "w", "usedPercent": 9}]})")));
    const auto rich = Usage::decode(
        R"({"gemini": {"today": 1}, "claude": {"today": {"tokens": 1, "sessions": 2, "cost": "x"},
              "week": {"tokens": 3, "sessions": 4}, "Models": 7, "models": [{"label": "m", "tokens": 5, "id": null}],
              "limits": {"usedPercent": 1, "windowMinutes": 2, "resetsAt": 3, "kind": []},
              "plan": {"windows": [{"label": "w", "usedPercent": 9, "x": {}}], "name": "pro"}},
            "codex": )"
        + QByteArray(bareAgent) + "}");
    ASSERT_TRUE(plain.has_value());
    EXPECT_EQ(rich, plain);
}
