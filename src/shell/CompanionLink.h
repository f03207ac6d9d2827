#pragma once

#include "model/CompanionRecords.h"

#include <QString>
#include <QUrl>

#include <optional>
#include <variant>

// What a "lumivo:" link asks of the running companion.
namespace CompanionLink {

struct OpenActivityMonitor {
    friend bool operator==(const OpenActivityMonitor&, const OpenActivityMonitor&) = default;
};
struct OpenSchedule {
    friend bool operator==(const OpenSchedule&, const OpenSchedule&) = default;
};
struct RaiseAlert {
    CompanionAlertSource source;
    QString detail;
    friend bool operator==(const RaiseAlert&, const RaiseAlert&) = default;
};
using Request = std::variant<OpenActivityMonitor, OpenSchedule, RaiseAlert>;

// An alert's detail keeps at most this many user-perceived characters (see
// OutsideText.h).
inline constexpr int longestDetail = 120;

// The request a link makes; none for a link of another scheme, another
// host, or an alert of an unknown type.
std::optional<Request> parse(const QUrl& url);

} // namespace CompanionLink
