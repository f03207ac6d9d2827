#pragma once

// The small immutable values that the companion passes around: the mascot's
// look and face, the kinds of alert, one alert, one running application and
// one bot of the employee fleet.

#include "EnumCases.h"

#include <QIcon>
#include <QString>
#include <QStringView>
#include <QUuid>

#include <array>
#include <cstdint>
#include <optional>

// Light or dark look of the mascot and the menu; its raw value is what the
// model saves between runs.
class CompanionAppearance {
public:
    enum Value : std::uint8_t { light, dark };
    static constexpr auto allCases = casesThrough<Value, dark>();

    constexpr CompanionAppearance(Value value) : m_value(value) { }
    constexpr operator Value() const { return m_value; }

    // Exactly "light" or "dark"; any other text (other capitalisation included) is no appearance.
    static std::optional<CompanionAppearance> fromRawValue(QStringView text);
    QString rawValue() const;
    constexpr CompanionAppearance toggled() const { return m_value == light ? dark : light; }

private:
    Value m_value;
};

// The mascot's face. The queue and the views set a non-idle face for a while
// and then return it to idle.
enum class CompanionExpression : std::uint8_t { idle, listening, thinking, excited };

// The kind of an alert: it chooses the bubble's heading and symbol, the
// sound, and what opening the alert does.
class CompanionAlertSource {
public:
    enum Value : std::uint8_t { email, slack, call, message, voicemail, calendar, agent, setup };
    static constexpr auto allCases = casesThrough<Value, setup>();

    constexpr CompanionAlertSource(Value value) : m_value(value) { }
    constexpr operator Value() const { return m_value; }

    // Exact, case-sensitive match of a raw value; callers holding outside text lower-case it first.
    static std::optional<CompanionAlertSource> fromRawValue(QStringView text);
    QString rawValue() const;
    // The heading of the alert bubble.
    QString title() const;
    // The name of the symbol shown beside the heading.
    QString symbol() const;

private:
    Value m_value;
};

inline size_t qHash(CompanionAlertSource source, size_t seed = 0) noexcept
{
    return ::qHash(static_cast<int>(CompanionAlertSource::Value(source)), seed);
}

// One alert on show or waiting in the queue. Every alert made gets a fresh
// identifier, so two alerts made separately are never equal; the queue
// compares source and detail explicitly to recognise repeats.
class CompanionAlert {
public:
    CompanionAlert(CompanionAlertSource source, QString detail);

    const QUuid& id() const { return m_id; }
    CompanionAlertSource source() const { return m_source; }
    const QString& detail() const { return m_detail; }

    bool isSameAlertAs(const CompanionAlert& other) const
    {
        return m_source == other.m_source && m_detail == other.m_detail;
    }

    friend bool operator==(const CompanionAlert&, const CompanionAlert&) = default;

private:
    QUuid m_id;
    CompanionAlertSource m_source;
    QString m_detail;
};

// One row of the task manager.
struct RunningAppInfo {
    std::int32_t id;           // process identifier
    QString name;              // display name, or "App" when it has none
    std::optional<QIcon> icon; // absent when the desktop gives none
    bool isFrontmost;          // the active application
};

// One employee bot of the fleet; made only by decoding the fleet feed.
struct FleetBot {
    QString id;
    QString name;
    std::optional<QString> email;
    bool enabled;
    bool updatesAllowed;
    std::optional<QString> version;
    std::optional<QString> lastSeenIso; // as received, not parsed

    friend bool operator==(const FleetBot&, const FleetBot&) = default;
};
