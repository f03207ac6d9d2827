#include "FleetClient.h"

#include "model/CompanionDestinations.h"
#include "model/CompanionFeeds.h"
#include "model/CompanionModel.h"

#include <QJsonDocument>
#include <QJsonObject>

FleetClient::FleetClient(Environment environment) : m_environment(environment) { }

QString FleetClient::memberName(Setting setting)
{
    switch (setting) {
    case Setting::enabled: return QStringLiteral("enabled");
    case Setting::updatesAllowed: return QStringLiteral("updatesAllowed");
    }
    Q_UNREACHABLE();
    return {};
}

QByteArray FleetClient::changeBody(const QString& botID, Setting setting, bool value)
{
    const QJsonObject body{{QStringLiteral("id"), botID}, {memberName(setting), value}};
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}

void FleetClient::loadFleet(Done done)
{
    if (!m_environment.edition.allowsFleetControl()) {
        if (done)
            done();
        return;
    }
    m_environment.http.get(&m_context, CompanionRoute::fleet(),
                           [this, done = std::move(done)](const HttpAnswer& answer) {
                               std::optional<FleetFeed> feed;
                               if (answer.isOK())
                                   feed = FleetFeed::decode(answer.body);
                               CompanionModel& model = m_environment.model;
                               if (feed) {
                                   model.fleetError = std::nullopt;
                                   model.fleetBots = std::move(feed->bots);
                               } else {
                                   model.fleetError = offlineText;
                               }
                               if (done)
                                   done();
                           });
}

void FleetClient::updateBot(const QString& botID, Setting setting, bool value, Done done)
{
    if (!m_environment.edition.allowsFleetControl()) {
        if (done)
            done();
        return;
    }
    // The answer is not looked at: the reload shows what the server holds.
    m_environment.http.postJson(&m_context, CompanionRoute::fleet(), changeBody(botID, setting, value),
                                [this, done = std::move(done)](const HttpAnswer&) { loadFleet(done); });
}
