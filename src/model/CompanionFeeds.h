#pragma once

// The alert feed and the fleet feed of the local server. Both are decoded
// strictly (see StrictJson.h): a feed that breaks any rule is refused whole.

#include "CompanionRecords.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// One alert as the server sends it. The type is the server's own text;
// matching it to an alert source is up to the caller. The detail is cut to
// what the alert bubble can show (see OutsideText.h).
struct CompanionRemoteAlert {
    // The most graphemes of a detail kept: more than the bubble's three lines
    // hold of the narrowest letters.
    static constexpr qsizetype longestDetail = 300;

    qint64 id = 0;
    QString type;
    QString detail;

    friend bool operator==(const CompanionRemoteAlert&, const CompanionRemoteAlert&) = default;
};

struct CompanionAlertFeed {
    std::vector<CompanionRemoteAlert> notifications; // in the server's order

    static std::optional<CompanionAlertFeed> decode(const QByteArray& body);

    friend bool operator==(const CompanionAlertFeed&, const CompanionAlertFeed&) = default;
};

// The bots' names, addresses and versions are cut to what a line of the
// fleet panel can show; their ids stay as sent.
struct FleetFeed {
    std::vector<FleetBot> bots; // in the server's order

    static std::optional<FleetFeed> decode(const QByteArray& body);
};
