#include "LocalServerPolling.h"

#include "WeatherText.h"
#include "model/CompanionAgentUsage.h"
#include "model/CompanionFeeds.h"
#include "model/CompanionModel.h"
#include "model/CompanionSettings.h"

#include <QSettings>
#include <QUrlQuery>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

using Limits = std::numeric_limits<qint64>;

qint64 clampedWhole(double value)
{
    if (std::isnan(value))
        return 0;
    // 2^63 is exactly representable; anything at or past it saturates.
    constexpr double bound = 9223372036854775808.0;
    if (value >= bound)
        return Limits::max();
    if (value < -bound)
        return Limits::min();
    return static_cast<qint64>(std::trunc(value));
}

qint64 leadingInteger(const QString& text)
{
    qsizetype index = 0;
    while (index < text.size() && text.at(index).isSpace())
        ++index;
    bool negative = false;
    if (index < text.size() && (text.at(index) == u'+' || text.at(index) == u'-'))
        negative = text.at(index++) == u'-';
    qint64 value = 0;
    for (; index < text.size() && text.at(index) >= u'0' && text.at(index) <= u'9'; ++index) {
        const int digit = text.at(index).unicode() - u'0';
        // Accumulate towards the sign so the most negative value fits.
        if (negative) {
            if (value < (Limits::min() + digit) / 10)
                return Limits::min();
            value = value * 10 - digit;
        } else {
            if (value > (Limits::max() - digit) / 10)
                return Limits::max();
            value = value * 10 + digit;
        }
    }
    return value;
}

} // namespace

LocalServerPolling::LocalServerPolling(Environment environment)
    : m_environment(environment),
      m_latestNotificationID(integerReading(environment.settings.value(latestNotificationIDKey))),
      m_notificationLoop(environment.scheduler, notificationPeriod, loopTurn(&LocalServerPolling::pollCompanionNotifications)),
      m_usageLoop(environment.scheduler, usagePeriod, loopTurn(&LocalServerPolling::pollAgentUsage)),
      m_weatherLoop(environment.scheduler, weatherPeriod, loopTurn(&LocalServerPolling::pollWeather))
{
}

PollingLoop::Poll LocalServerPolling::loopTurn(HttpCall (LocalServerPolling::*poll)(Done))
{
    return [this, poll](Done done) -> PollingLoop::Abandon {
        return [call = (this->*poll)(std::move(done))]() mutable { call.cancel(); };
    };
}

void LocalServerPolling::cancelAll()
{
    m_notificationLoop.cancel();
    m_usageLoop.cancel();
    m_weatherLoop.cancel();
}

qint64 LocalServerPolling::integerReading(const QVariant& stored)
{
    switch (stored.typeId()) {
    case QMetaType::Bool: return stored.toBool() ? 1 : 0;
    case QMetaType::Int:
    case QMetaType::LongLong: return stored.toLongLong();
    case QMetaType::UInt:
    case QMetaType::ULongLong: return stored.toULongLong() > quint64(Limits::max()) ? Limits::max() : stored.toLongLong();
    case QMetaType::Double: return clampedWhole(stored.toDouble());
    case QMetaType::QString: return leadingInteger(stored.toString());
    default: return 0;
    }
}

HttpCall LocalServerPolling::pollCompanionNotifications(Done done)
{
    QUrl address = CompanionRoute::notificationFeed();
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("after"), QString::number(m_latestNotificationID));
    address.setQuery(query);

    return m_environment.http.get(&m_context, address, [this, done = std::move(done)](const HttpAnswer& answer) {
        if (answer.isOK())
            raiseAlertsFrom(answer.body);
        if (done)
            done();
    });
}

void LocalServerPolling::raiseAlertsFrom(const QByteArray& body)
{
    std::optional<CompanionAlertFeed> feed = CompanionAlertFeed::decode(body);
    if (!feed)
        return;
    std::vector<CompanionRemoteAlert>& alerts = feed->notifications;

    // The first answer ever only sets the mark: whatever waited on the
    // server before the companion first ran is never shown.
    if (!m_environment.settings.contains(latestNotificationIDKey)) {
        const auto newest = std::max_element(alerts.begin(), alerts.end(),
                                             [](const auto& a, const auto& b) { return a.id < b.id; });
        m_latestNotificationID = newest == alerts.end() ? 0 : newest->id;
        saveLatestNotificationID();
        return;
    }

    // Every alert of the answer is raised, in id order, even one the server
    // should not have sent again; the alert queue drops repeats on show.
    std::stable_sort(alerts.begin(), alerts.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
    for (const CompanionRemoteAlert& alert : alerts) {
        m_latestNotificationID = std::max(m_latestNotificationID, alert.id);
        saveLatestNotificationID();
        if (const auto source = CompanionAlertSource::fromRawValue(alert.type.toLower()))
            m_environment.model.enqueueAlert(*source, alert.detail);
    }
}

void LocalServerPolling::saveLatestNotificationID()
{
    CompanionSettings::store(m_environment.settings, latestNotificationIDKey, QVariant::fromValue<qint64>(m_latestNotificationID));
}

HttpCall LocalServerPolling::pollAgentUsage(Done done)
{
    return m_environment.http.get(&m_context, CompanionRoute::agentUsage(), [this, done = std::move(done)](const HttpAnswer& answer) {
        if (answer.isOK()) {
            if (auto usage = CompanionAgentUsage::decode(answer.body))
                m_environment.model.agentUsage = std::move(usage);
        }
        if (done)
            done();
    });
}

HttpCall LocalServerPolling::pollWeather(Done done)
{
    const auto completion = [this, done = std::move(done)](const HttpAnswer& answer) {
        if (answer.isOK()) {
            if (auto text = WeatherText::fromBody(answer.body))
                m_environment.model.weatherText = std::move(*text);
        }
        if (done)
            done();
    };
    return m_environment.http.get(&m_context, WeatherText::serviceAddress(), completion, weatherTimeout, largestWeatherAnswer);
}
