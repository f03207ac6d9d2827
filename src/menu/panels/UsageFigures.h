#pragma once

#include "model/CompanionAgentUsage.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <limits>
#include <optional>
#include <vector>

// The texts and figures the usage panel and the usage pill make of the
// agent-usage feed: pure functions of their arguments.
namespace UsageFigures {

// One limit of an agent: its name, how much of it is used (percent, 100 the
// whole limit) and when it starts afresh, when known.
struct LimitWindow {
    QString label;
    double usedPercent = 0;
    std::optional<QDateTime> resetsAt;

    friend bool operator==(const LimitWindow&, const LimitWindow&) = default;
};

// The agent's limit windows, at most `most` of them: its plan's windows in
// the server's order, else its current limit, else none.
std::vector<LimitWindow> limitWindows(const CompanionAgentUsage::Agent& agent,
                                      std::size_t most = std::numeric_limits<std::size_t>::max());

// What is left of a limit, in whole percent from 0 to 100.
int percentLeft(double usedPercent);
// How much of a limit's bar is filled: the used share, from 0 to 1.
double usedShare(double usedPercent);
// The least that is left of any of the agent's limits; none without limits.
std::optional<int> tightestPercentLeft(const CompanionAgentUsage::Agent& agent);

// "59% left".
QString percentLeftText(int percent);
// When a limit starts afresh, seen from now: "resets now", "resets in 12 min",
// "resets 14:20" the same day, "resets Fri 09:00" within a week, else
// "resets May 2"; empty when the time is not known.
QString resetText(const std::optional<QDateTime>& resetsAt, const QDateTime& now, const QLocale& locale);
// A limit's name from its length: "5-hour limit", "Daily limit", "Weekly limit".
QString limitLabel(qint64 windowMinutes);
// A time the feed gives as ISO 8601 text; none when it does not parse.
std::optional<QDateTime> isoTime(const QString& text);

// A token count kept short: "512", "5.1K", "182.3K", "1.2M".
QString tokenCount(qint64 tokens);
// One period's figures: "182.3K tokens · 4 sessions", "1 token · 1 session".
QString periodText(const CompanionAgentUsage::Window& window);
// The most models the models line names: more than its one line shows.
inline constexpr std::size_t mostModelsNamed = 16;
// Tokens per model: "opus 120K · sonnet 62.3K"; empty without models. Past
// mostModelsNamed models, the line ends with "…".
QString modelsText(const std::optional<std::vector<CompanionAgentUsage::ModelUsage>>& models);
// The plan's name as the agent's badge shows it ("MAX"); empty when none is given.
QString planBadge(const CompanionAgentUsage::Agent& agent);

} // namespace UsageFigures
