#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

// The weather service: a public service that answers the current
// temperature as a short text, such as "+72°F", to the query "format=%t&u".
namespace WeatherText {

// The address asked every poll.
QUrl serviceAddress();

// The temperature to show for an answer's body: the body read as UTF-8,
// without the characters that steer the direction of text, trimmed of white
// space and line breaks at both ends, then stripped of every "+". It is kept
// only when it is at most 8 user-perceived characters long and holds the
// degree sign "°", and then cut as other outside text. Nothing for any other
// body, including one that is not valid UTF-8.
std::optional<QString> fromBody(const QByteArray& body);

} // namespace WeatherText
