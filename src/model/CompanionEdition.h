#pragma once

#include "EnumCases.h"

#include <QJsonObject>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

// Which audience this copy of the program serves: the owner's command center,
// which offers everything, or the employee edition, which leaves out system
// tools, finance, usage figures, the task manager and fleet control.
// Permission checks ask current() at the moment of use; nothing caches a flag.
class CompanionEdition {
public:
    enum Value : std::uint8_t { commandCenter, employee };
    static constexpr auto allCases = casesThrough<Value, employee>();

    constexpr CompanionEdition(Value value) : m_value(value) { }
    constexpr operator Value() const { return m_value; }

    // The edition of this process, read once from the Info file of its
    // resource bundle.
    static CompanionEdition current();
    // The edition an Info file names under "LumivoEdition": only the exact
    // texts "commandCenter" and "employee" count; anything else, absent or
    // not text, is the command center.
    static CompanionEdition fromInfo(const QJsonObject& info);

    static std::optional<CompanionEdition> fromRawValue(QStringView text);
    QString rawValue() const;

    constexpr bool isCommandCenter() const { return m_value == commandCenter; }
    constexpr bool allowsFinance() const { return isCommandCenter(); }
    constexpr bool allowsTaskManager() const { return isCommandCenter(); }
    constexpr bool allowsUsageVisibility() const { return isCommandCenter(); }
    constexpr bool allowsSystemTools() const { return isCommandCenter(); }
    constexpr bool allowsFleetControl() const { return isCommandCenter(); }

    QString displayName() const;
    QString productName() const;
    // The one line the mascot panel shows under the mascot.
    QString companionCaption() const;

private:
    Value m_value;
};
