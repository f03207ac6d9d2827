#include "CompanionRecords.h"

#include <QStringLiteral>

namespace {

// What each kind of alert stands for: its raw value, the heading of its
// bubble and the symbol beside the heading.
struct AlertSourceTexts {
    CompanionAlertSource::Value value;
    QStringView rawValue;
    QStringView title;
    QStringView symbol;
};

// "ZQ" are the owner's initials; the dash is an em dash with a space either side.
constexpr std::array<AlertSourceTexts, CompanionAlertSource::allCases.size()> alertSourceTexts{{
    {CompanionAlertSource::email, u"email", u"ZQ \u2014 you got an email", u"envelope.fill"},
    {CompanionAlertSource::slack, u"slack", u"ZQ \u2014 you got a Slack", u"bubble.left.and.bubble.right.fill"},
    {CompanionAlertSource::call, u"call", u"ZQ \u2014 you got a call", u"phone.fill"},
    {CompanionAlertSource::message, u"message", u"ZQ \u2014 you got a text", u"message.fill"},
    {CompanionAlertSource::voicemail, u"voicemail", u"ZQ \u2014 you got a voicemail", u"recordingtape"},
    {CompanionAlertSource::calendar, u"calendar", u"ZQ \u2014 calendar update", u"calendar.badge.exclamationmark"},
    {CompanionAlertSource::agent, u"agent", u"ZQ \u2014 your AI needs you", u"sparkles"},
    {CompanionAlertSource::setup, u"setup", u"Turn on inbound alerts", u"bell.badge.fill"},
}};
static_assert(holdsEveryCaseInOrder<CompanionAlertSource>(alertSourceTexts));

} // namespace

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

QString CompanionAlertSource::rawValue() const { return tableText(rowOf(alertSourceTexts, m_value).rawValue); }

QString CompanionAlertSource::title() const { return tableText(rowOf(alertSourceTexts, m_value).title); }

QString CompanionAlertSource::symbol() const { return tableText(rowOf(alertSourceTexts, m_value).symbol); }

CompanionAlert::CompanionAlert(CompanionAlertSource source, QString detail)
    : m_id(QUuid::createUuid()), m_source(source), m_detail(std::move(detail))
{
}
