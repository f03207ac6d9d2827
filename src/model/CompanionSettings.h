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
#include <utility>
#include <optional>

namespace CompanionSettings {

// $XDG_CONFIG_HOME/lumivo-companion/settings.json
QString defaultPath();
std::unique_ptr<QSettings> open(const QString& path = defaultPath());

// Written at once: a setting changed by the user survives a crash right after.
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
