#pragma once

// The user's saved settings: one QSettings store kept as a JSON file in the
// XDG config directory, so every value keeps its stored form (boolean,
// number, text, array of texts) between runs, and the readings that turn a
// stored value of any form into what a setting needs.

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <initializer_list>
#include <memory>
#include <optional>
#include <utility>

namespace CompanionSettings {

// $XDG_CONFIG_HOME/lumivo-companion/settings.json
QString defaultPath();
// The store at path. Where settings cannot be kept there (see
// whyNotSavedAt), the store holds them for this run only and says so once on
// standard error, leaving what is at the path untouched. A file it cannot
// read (no JSON object, or larger than largestFile) starts the settings
// afresh; before a save replaces it, it is kept beside itself as
// "<path>.unreadable" (an older one is replaced only by a whole copy). When
// it cannot be kept, it is left as it is and the settings hold for this run
// only. Either is said once on standard error.
std::unique_ptr<QSettings> open(const QString& path = defaultPath());

// Far more than any user's settings: a larger file is not read at all, lest
// every save read and rewrite it whole, and settings that would be larger are
// not written.
constexpr qint64 largestFile = 1024 * 1024;

// Why settings cannot be kept at path: something other than a regular file
// there or at its lock file beside it (a FIFO, a device, a socket, a folder),
// which reading could block on and a save would replace. Nothing when path,
// followed through any symbolic links, is a regular file or nothing yet.
std::optional<QString> whyNotSavedAt(const QString& path);

// Written at once: a setting changed by the user survives a crash right after.
// A save that fails keeps the value for this run and says once on standard
// error, for each cause, why it was not saved.
void store(QSettings& settings, const QString& key, const QVariant& value);
// Several values, set in the order given and written together.
void store(QSettings& settings, std::initializer_list<std::pair<QString, QVariant>> values);

// The text of a stored text value; nothing for a value of another form.
std::optional<QString> textReading(const QVariant& stored);
// True for true, a non-zero number, or a text that reads as yes: after
// leading blanks, a sign and zeros, it starts with Y, y, T, t or a digit 1-9.
// False for everything else, arrays and absent values included.
bool boolReading(const QVariant& stored);
// The texts of an array whose every element is text; nothing otherwise.
std::optional<QStringList> stringArrayReading(const QVariant& stored);

} // namespace CompanionSettings
