#pragma once

// Sample documents of the server's feeds, and a plain-text rendering of every
// decoded feed: tests compare and print decoded feeds through it, and it
// works the same for all feeds, FleetBot (which has no ==) included.

#include "model/CompanionAgentUsage.h"
#include "model/CompanionFeeds.h"

#include <QByteArray>

#include <optional>
#include <string>
#include <vector>

namespace FeedSamples {

// A full alert feed, with keys the decoder does not know at two levels.
inline QByteArray alerts()
{
    return QByteArrayLiteral(R"({
  "notifications": [
    {"id": 101, "type": "email", "detail": "Invoice from Tessaro Ltd", "receivedAt": "2024-05-02T09:14:00Z"},
    {"id": 9007199254740993, "type": "Slack", "detail": "Build finished", "meta": {"channel": "#ops", "n": [1, 2]}},
    {"id": -3, "type": "calendar", "detail": ""}
  ],
  "unread": 2
})");
}

inline QByteArray fleet()
{
    return QByteArrayLiteral(R"({
  "bots": [
    {"id": "bot-1", "name": "Front desk", "email": "desk@example.com", "enabled": true, "updatesAllowed": false,
     "version": "2.4.1", "lastSeenIso": "2024-05-02T09:00:00Z", "tags": ["lobby", null]},
    {"id": "bot-2", "name": "Night shift", "email": null, "enabled": false, "updatesAllowed": true, "version": null}
  ],
  "generatedAt": 1714640400
})");
}

inline QByteArray usage()
{
    return QByteArrayLiteral(R"({
  "claude": {
    "today": {"tokens": 182340, "sessions": 4},
    "week": {"tokens": 9007199254740993, "sessions": 31},
    "activeNow": true,
    "models": [{"label": "opus", "tokens": 120000}, {"label": "sonnet", "tokens": 62340, "cached": 10}],
    "limits": {"usedPercent": 41.5, "windowMinutes": 300, "resetsAt": 1714650000, "planType": "max"},
    "plan": {"windows": [
      {"label": "5 hours", "usedPercent": 41.5, "resetsAtIso": "2024-05-02T12:20:00Z"},
      {"label": "week", "usedPercent": 12, "resetsAtIso": null}
    ]}
  },
  "codex": {
    "today": {"tokens": 0, "sessions": 0},
    "week": {"tokens": 5120, "sessions": 2, "peak": 3.5},
    "activeNow": null,
    "models": [],
    "limits": {"usedPercent": 0.25, "windowMinutes": 10080, "resetsAt": 1714650000.5},
    "plan": null
  },
  "generatedBy": "varadi"
})");
}

namespace detail {

inline std::string text(const QString& value) { return '"' + value.toStdString() + '"'; }

inline std::string text(const std::optional<QString>& value) { return value ? text(*value) : std::string("none"); }

inline std::string number(double value) { return QByteArray::number(value, 'g', 17).toStdString(); }

template <typename Record, typename Describe>
std::string list(const std::vector<Record>& records, Describe describe)
{
    std::string out = "[";
    for (const auto& record : records)
        out += describe(record) + ";";
    return out + "]";
}

inline std::string window(const CompanionAgentUsage::Window& window)
{
    return std::to_string(window.tokens) + "/" + std::to_string(window.sessions);
}

inline std::string agent(const CompanionAgentUsage::Agent& agent)
{
    std::string out = "today " + window(agent.today) + " week " + window(agent.week);
    out += " active " + (agent.activeNow ? std::string(*agent.activeNow ? "yes" : "no") : std::string("none"));
    out += " models ";
    out += agent.models ? list(*agent.models,
                               [](const CompanionAgentUsage::ModelUsage& model) {
                                   return text(model.label) + "=" + std::to_string(model.tokens);
                               })
                        : std::string("none");
    out += " limits ";
    out += agent.limits ? number(agent.limits->usedPercent) + "% " + std::to_string(agent.limits->windowMinutes)
            + "min " + number(agent.limits->resetsAt) + " " + text(agent.limits->planType)
                        : std::string("none");
    out += " plan ";
    out += agent.plan
        ? list(agent.plan->windows,
               [](const CompanionAgentUsage::PlanWindow& window) {
                   return text(window.label) + " " + number(window.usedPercent) + "% " + text(window.resetsAtIso);
               })
        : std::string("none");
    return out;
}

} // namespace detail

inline std::string describe(const CompanionAlertFeed& feed)
{
    return detail::list(feed.notifications, [](const CompanionRemoteAlert& alert) {
        return std::to_string(alert.id) + " " + detail::text(alert.type) + " " + detail::text(alert.detail);
    });
}

inline std::string describe(const FleetFeed& feed)
{
    return detail::list(feed.bots, [](const FleetBot& bot) {
        return detail::text(bot.id) + " " + detail::text(bot.name) + " " + detail::text(bot.email)
            + (bot.enabled ? " on" : " off") + (bot.updatesAllowed ? " updates" : " frozen") + " "
            + detail::text(bot.version) + " " + detail::text(bot.lastSeenIso);
    });
}

inline std::string describe(const CompanionAgentUsage& usage)
{
    return "claude: " + detail::agent(usage.claude) + "\ncodex: " + detail::agent(usage.codex);
}

// The decoded feed's rendering, or nullopt when the decoder refused the body.
template <typename Feed>
std::optional<std::string> decodeAndDescribe(const QByteArray& body)
{
    const auto feed = Feed::decode(body);
    if (!feed)
        return std::nullopt;
    return describe(*feed);
}

} // namespace FeedSamples
