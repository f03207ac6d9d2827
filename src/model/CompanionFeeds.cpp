#include "CompanionFeeds.h"

#include "OutsideText.h"
#include "StrictJson.h"

using StrictJson::ObjectReader;

namespace {

CompanionRemoteAlert readAlert(ObjectReader& reader)
{
    return {
        .id = reader.integer(u"id"),
        .type = reader.text(u"type"),
        .detail = OutsideText::boundedForDisplay(reader.text(u"detail"), CompanionRemoteAlert::longestDetail),
    };
}

// The id goes back to the server as sent; what the fleet panel shows is cut.
FleetBot readBot(ObjectReader& reader)
{
    return {
        .id = reader.text(u"id"),
        .name = OutsideText::boundedLabel(reader.text(u"name")),
        .email = OutsideText::boundedLabel(reader.optionalText(u"email")),
        .enabled = reader.boolean(u"enabled"),
        .updatesAllowed = reader.boolean(u"updatesAllowed"),
        .version = OutsideText::boundedLabel(reader.optionalText(u"version")),
        .lastSeenIso = reader.optionalText(u"lastSeenIso"),
    };
}

} // namespace

std::optional<CompanionAlertFeed> CompanionAlertFeed::decode(const QByteArray& body)
{
    return StrictJson::decode(
        body, [](ObjectReader& reader) { return CompanionAlertFeed{reader.objectList(u"notifications", readAlert)}; });
}

std::optional<FleetFeed> FleetFeed::decode(const QByteArray& body)
{
    return StrictJson::decode(body,
                              [](ObjectReader& reader) { return FleetFeed{reader.objectList(u"bots", readBot)}; });
}
