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
#include <memory>
#include <utility>

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
      m_notificationLoop(environment.scheduler, notificationPeriod,
                         loopTurn(&LocalServerPolling::pollCompanionNotifications)),
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
    // What an answer cut short has raised stays seen.
    if (std::exchange(m_raising, nullptr))
        m_environment.settings.setValue(latestNotificationIDKey, QVariant::fromValue<qint64>(m_latestNotificationID));
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
    case QMetaType::ULongLong:
        return stored.toULongLong() > quint64(Limits::max()) ? Limits::max() : stored.toLongLong();
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

    const auto completion = [this, address, done = std::move(done)](const HttpAnswer& answer) mutable {
        m_localServer.heard(address, answer);
        if (answer.isOK())
            raiseAlertsFrom(answer.body, std::move(done));
        else if (done)
            done();
    };
    return m_environment.http.get(&m_context, address, std::move(completion));
}

void LocalServerPolling::raiseAlertsFrom(const QByteArray& body, Done done)
{
    std::optional<CompanionAlertFeed> feed = CompanionAlertFeed::decode(body);
    if (feed && !m_environment.settings.contains(latestNotificationIDKey)) {
        // The first answer ever only sets the mark: whatever waited on the
        // server before the companion first ran is never shown.
        const std::vector<CompanionRemoteAlert>& alerts = feed->notifications;
        const auto newest =
            std::max_element(alerts.begin(), alerts.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
        m_latestNotificationID = newest == alerts.end() ? 0 : newest->id;
        saveLatestNotificationID();
    } else if (feed && !feed->notifications.empty()) {
        // Every alert of the answer is raised, in id order, even one the
        // server should not have sent again; the alert queue drops repeats on show.
        auto alerts = std::make_shared<std::vector<CompanionRemoteAlert>>(std::move(feed->notifications));
        std::stable_sort(alerts->begin(), alerts->end(), [](const auto& a, const auto& b) { return a.id < b.id; });
        m_raising = std::make_shared<bool>(true);
        raiseLater(std::move(alerts), 0, std::move(done));
        return;
    }
    if (done)
        done();
}

// A long answer is raised a slice per turn of the main loop, so the panel
// keeps answering meanwhile.
void LocalServerPolling::raiseLater(std::shared_ptr<const std::vector<CompanionRemoteAlert>> alerts, size_t first,
                                    Done done)
{
    QMetaObject::invokeMethod(
        &m_context,
        [this, alerts = std::move(alerts), first, raising = std::weak_ptr<bool>(m_raising),
         done = std::move(done)]() mutable {
            // Cancelled meanwhile: the rest of the answer is dropped.
            if (!raising.expired())
                raiseSlice(std::move(alerts), first, std::move(done));
        },
        Qt::QueuedConnection);
}

void LocalServerPolling::raiseSlice(std::shared_ptr<const std::vector<CompanionRemoteAlert>> alerts, size_t first,
                                    Done done)
{
    const size_t end = std::min(first + alertsPerTurn, alerts->size());
    for (size_t index = first; index < end; ++index) {
        const CompanionRemoteAlert& alert = alerts->at(index);
        m_latestNotificationID = std::max(m_latestNotificationID, alert.id);
        if (const auto source = CompanionAlertSource::fromRawValue(alert.type.toLower()))
            m_environment.model.enqueueAlert(*source, alert.detail);
    }
    if (end < alerts->size()) {
        raiseLater(std::move(alerts), end, std::move(done));
        return;
    }
    m_raising.reset();
    // The settings store writes its changes at the next turn of the main
    // loop: to write the file once for an answer raised over many turns,
    // the id moves on in the store once the whole answer is through.
    saveLatestNotificationID();
    if (done)
        done();
}

void LocalServerPolling::saveLatestNotificationID()
{
    CompanionSettings::store(m_environment.settings, latestNotificationIDKey,
                             QVariant::fromValue<qint64>(m_latestNotificationID));
}

HttpCall LocalServerPolling::pollAgentUsage(Done done)
{
    return m_environment.http.get(&m_context, CompanionRoute::agentUsage(),
                                  [this, done = std::move(done)](const HttpAnswer& answer) {
                                      m_localServer.heard(CompanionRoute::agentUsage(), answer);
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
        m_weatherService.heard(WeatherText::serviceAddress(), answer);
        if (answer.isOK()) {
            if (auto text = WeatherText::fromBody(answer.body))
                m_environment.model.weatherText = std::move(*text);
        }
        if (done)
            done();
    };
    return m_environment.http.get(&m_context, WeatherText::serviceAddress(), completion, weatherTimeout,
                                  largestWeatherAnswer);
}
