#include "CompanionAgentUsage.h"

#include "OutsideText.h"
#include "StrictJson.h"

using OutsideText::boundedLabel;
using StrictJson::ObjectReader;
using Usage = CompanionAgentUsage;

namespace {

Usage::Window readWindow(ObjectReader& reader)
{
    return {
        .tokens = reader.integer(u"tokens"),
        .sessions = reader.integer(u"sessions"),
    };
}

Usage::ModelUsage readModelUsage(ObjectReader& reader)
{
    return {
        .label = boundedLabel(reader.text(u"label")),
        .tokens = reader.integer(u"tokens"),
    };
}

Usage::Limits readLimits(ObjectReader& reader)
{
    return {
        .usedPercent = reader.number(u"usedPercent"),
        .windowMinutes = reader.integer(u"windowMinutes"),
        .resetsAt = reader.number(u"resetsAt"),
        .planType = boundedLabel(reader.optionalText(u"planType")),
    };
}

Usage::PlanWindow readPlanWindow(ObjectReader& reader)
{
    return {
        .label = boundedLabel(reader.text(u"label")),
        .usedPercent = reader.number(u"usedPercent"),
        .resetsAtIso = reader.optionalText(u"resetsAtIso"),
    };
}

Usage::Plan readPlan(ObjectReader& reader) { return {.windows = reader.objectList(u"windows", readPlanWindow)}; }

Usage::Agent readAgent(ObjectReader& reader)
{
    return {
        .today = reader.object(u"today", readWindow),
        .week = reader.object(u"week", readWindow),
        .activeNow = reader.optionalBoolean(u"activeNow"),
        .models = reader.optionalObjectList(u"models", readModelUsage),
        .limits = reader.optionalObject(u"limits", readLimits),
        .plan = reader.optionalObject(u"plan", readPlan),
    };
}

} // namespace

std::optional<CompanionAgentUsage> CompanionAgentUsage::decode(const QByteArray& body)
{
    return StrictJson::decode(body, [](ObjectReader& reader) {
        return CompanionAgentUsage{
            .claude = reader.object(u"claude", readAgent),
            .codex = reader.object(u"codex", readAgent),
        };
    });
}
