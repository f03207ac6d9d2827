#pragma once

#include "DesktopNotification.h"
#include "model/CompanionRecords.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// Which desktop notifications are the user's own incoming activity, and the
// alert each one becomes.
namespace InboundActivityRules {

// The longest detail an alert carries, in user-perceived characters (see
// OutsideText.h); the bubble shows less and ends it with an ellipsis.
inline constexpr int longestDetail = 120;

// The most of each text of a notification that is read, in bytes: far more
// than a detail needs after its markup is gone, and little enough that a
// notification of any size costs next to nothing.
inline constexpr qsizetype longestArrivingText = 4096;

struct Finding {
    CompanionAlertSource source;
    QString detail;

    bool operator==(const Finding&) const = default;
};

// The alert source a notification is about: by its category hint when that
// names incoming mail, a message or a call, else by its sending application
// (desktop entry, else application name); none for anything else.
std::optional<CompanionAlertSource> sourceFor(const DesktopNotification& notification);

// Whether the notification comes from this program (either edition).
bool isFromCompanion(const DesktopNotification& notification);

// A text of a notification as it arrives, in UTF-8, cut to
// longestArrivingText bytes, never through a character.
QString arrivingText(QByteArrayView utf8);

// Text with the notification body's markup removed: tags dropped (a line
// break becomes a space), entities decoded; text that only looks like markup
// ("a < b") is kept. Takes time in proportion to the markup's length.
QString plainText(QStringView markup);

// The summary, then ": " and the plain text of the body when there is one,
// on one line and cut to longestDetail characters.
QString alertDetail(const DesktopNotification& notification);

// The alert a notification raises: none for the companion's own, for low
// urgency and for anything that is not incoming activity.
std::optional<Finding> findingFor(const DesktopNotification& notification);

} // namespace InboundActivityRules
