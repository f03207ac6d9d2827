#pragma once

// Realistic readings of the local server for the menu's panels: a day's AI
// usage of both agents with limits that reset some time after now, and a
// small fleet of bots, as the feeds carry them and as the model holds them.

#include "model/CompanionAgentUsage.h"
#include "model/CompanionFeeds.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

inline QJsonObject usageFeed(const QDateTime& now)
{
    using namespace Qt::StringLiterals;
    const auto iso = [&](qint64 seconds) { return now.addSecs(seconds).toUTC().toString(Qt::ISODate); };
    const QJsonObject claude{
        {u"today"_s, QJsonObject{{u"tokens"_s, 182340}, {u"sessions"_s, 4}}},
        {u"week"_s, QJsonObject{{u"tokens"_s, 1203400}, {u"sessions"_s, 31}}},
        {u"activeNow"_s, true},
        {u"models"_s,
         QJsonArray{QJsonObject{{u"label"_s, u"opus"_s}, {u"tokens"_s, 120000}},
                    QJsonObject{{u"label"_s, u"sonnet"_s}, {u"tokens"_s, 62340}}}},
        {u"limits"_s,
         QJsonObject{{u"usedPercent"_s, 41.5},
                     {u"windowMinutes"_s, 300},
                     {u"resetsAt"_s, double(now.addSecs(2 * 3600 + 14 * 60).toSecsSinceEpoch())},
                     {u"planType"_s, u"max"_s}}},
        {u"plan"_s,
         QJsonObject{
             {u"windows"_s,
              QJsonArray{
                  QJsonObject{{u"label"_s, u"5-hour window"_s},
                              {u"usedPercent"_s, 41.5},
                              {u"resetsAtIso"_s, iso(2 * 3600 + 14 * 60)}},
                  QJsonObject{{u"label"_s, u"Weekly, all models"_s},
                              {u"usedPercent"_s, 12},
                              {u"resetsAtIso"_s, iso(3 * 86400)}},
                  QJsonObject{
                      {u"label"_s, u"Weekly, Opus"_s}, {u"usedPercent"_s, 63}, {u"resetsAtIso"_s, QJsonValue()}},
              }}}},
    };
    const QJsonObject codex{
        {u"today"_s, QJsonObject{{u"tokens"_s, 5120}, {u"sessions"_s, 1}}},
        {u"week"_s, QJsonObject{{u"tokens"_s, 40960}, {u"sessions"_s, 6}}},
        {u"activeNow"_s, false},
        {u"models"_s, QJsonArray{QJsonObject{{u"label"_s, u"gpt-5-codex"_s}, {u"tokens"_s, 5120}}}},
        {u"limits"_s,
         QJsonObject{{u"usedPercent"_s, 78},
                     {u"windowMinutes"_s, 10080},
                     {u"resetsAt"_s, double(now.addSecs(4 * 86400).toSecsSinceEpoch())},
                     {u"planType"_s, u"pro"_s}}},
    };
    return {{u"claude"_s, claude}, {u"codex"_s, codex}};
}

inline CompanionAgentUsage usageOf(const QJsonObject& feed)
{
    return CompanionAgentUsage::decode(QJsonDocument(feed).toJson()).value();
}

inline QJsonArray fleetFeed(const QDateTime& now)
{
    using namespace Qt::StringLiterals;
    return {
        QJsonObject{{u"id"_s, u"bot-1"_s},
                    {u"name"_s, u"Front desk"_s},
                    {u"email"_s, u"desk@example.com"_s},
                    {u"enabled"_s, true},
                    {u"updatesAllowed"_s, false},
                    {u"version"_s, u"2.4.1"_s},
                    {u"lastSeenIso"_s, now.addSecs(-300).toUTC().toString(Qt::ISODate)}},
        QJsonObject{
            {u"id"_s, u"bot-2"_s}, {u"name"_s, u"Night shift"_s}, {u"enabled"_s, false}, {u"updatesAllowed"_s, true}},
        QJsonObject{{u"id"_s, u"bot-3"_s},
                    {u"name"_s, u"Bookkeeper"_s},
                    {u"email"_s, u"books@example.com"_s},
                    {u"enabled"_s, true},
                    {u"updatesAllowed"_s, true},
                    {u"version"_s, u"v3.0.0-beta"_s},
                    {u"lastSeenIso"_s, now.addDays(-1).toUTC().toString(Qt::ISODate)}},
    };
}

inline std::vector<FleetBot> botsOf(const QJsonArray& bots)
{
    using namespace Qt::StringLiterals;
    return FleetFeed::decode(QJsonDocument(QJsonObject{{u"bots"_s, bots}}).toJson()).value().bots;
}
