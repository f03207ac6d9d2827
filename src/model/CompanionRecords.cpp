#include "CompanionRecords.h"

#include <QStringLiteral>

std::optional<CompanionAppearance> CompanionAppearance::fromRawValue(QStringView text)
{
    return caseWithRawValue<CompanionAppearance>(text);
}

QString CompanionAppearance::rawValue() const
{
    return m_value == light ? QStringLiteral("light") : QStringLiteral("dark");
}

std::optional<CompanionAlertSource> CompanionAlertSource::fromRawValue(QStringView text)
{
    return caseWithRawValue<CompanionAlertSource>(text);
}

QString CompanionAlertSource::rawValue() const
{
    switch (m_value) {
    case email: return QStringLiteral("email");
    case slack: return QStringLiteral("slack");
    case call: return QStringLiteral("call");
    case message: return QStringLiteral("message");
    case voicemail: return QStringLiteral("voicemail");
    case calendar: return QStringLiteral("calendar");
    case agent: return QStringLiteral("agent");
    case setup: return QStringLiteral("setup");
    }
    Q_UNREACHABLE();
    return {};
}

QString CompanionAlertSource::title() const
{
    // "ZQ" are the owner's initials; the dash is an em dash with a space either side.
    switch (m_value) {
    case email: return QStringLiteral("ZQ \u2014 you got an email");
    case slack: return QStringLiteral("ZQ \u2014 you got a Slack");
    case call: return QStringLiteral("ZQ \u2014 you got a call");
    case message: return QStringLiteral("ZQ \u2014 you got a text");
    case voicemail: return QStringLiteral("ZQ \u2014 you got a voicemail");
    case calendar: return QStringLiteral("ZQ \u2014 calendar update");
    case agent: return QStringLiteral("ZQ \u2014 your AI needs you");
    case setup: return QStringLiteral("Turn on inbound alerts");
    }
    Q_UNREACHABLE();
    return {};
}

QString CompanionAlertSource::symbol() const
{
    switch (m_value) {
    case email: return QStringLiteral("envelope.fill");
    case slack: return QStringLiteral("bubble.left.and.bubble.right.fill");
    case call: return QStringLiteral("phone.fill");
    case message: return QStringLiteral("message.fill");
    case voicemail: return QStringLiteral("recordingtape");
    case calendar: return QStringLiteral("calendar.badge.exclamationmark");
    case agent: return QStringLiteral("sparkles");
    case setup: return QStringLiteral("bell.badge.fill");
    }
    Q_UNREACHABLE();
    return {};
}

CompanionAlert::CompanionAlert(CompanionAlertSource source, QString detail)
    : m_id(QUuid::createUuid()), m_source(source), m_detail(std::move(detail))
{
}
