#include "CompanionServices.h"

#include "ChatContextPacket.h"
#include "model/CompanionDestinations.h"
#include "model/CompanionModel.h"

#include <QPointer>

CompanionServices::CompanionServices(Environment environment)
    : http(environment.scheduler, environment.addresses),
      polling({environment.model, environment.settings, environment.scheduler, http}),
      fleet({environment.model, http, environment.edition}),
      mobileLink({environment.model, http, environment.scheduler, environment.pasteboard, environment.bell}),
      m_model(environment.model)
{
}

void CompanionServices::fillModelHooks()
{
    // The hooks live in the model, which outlives the services; they check
    // that the services still exist before they use them.
    const QPointer<QObject> alive(&m_context);
    m_model.refreshFleet = [this, alive] {
        if (alive)
            fleet.loadFleet();
    };
    m_model.setBotEnabled = [this, alive](const QString& botID, bool enabled) {
        if (alive)
            fleet.updateBot(botID, FleetClient::Setting::enabled, enabled);
    };
    m_model.setBotUpdates = [this, alive](const QString& botID, bool allowed) {
        if (alive)
            fleet.updateBot(botID, FleetClient::Setting::updatesAllowed, allowed);
    };
    m_model.copyMobileLink = [this, alive] {
        if (alive)
            mobileLink.copyPhoneLink();
    };
}

void CompanionServices::openChatWithContext(std::function<void(const QUrl& page)> show)
{
    http.get(&m_context, CompanionRoute::snapshot(), [show = std::move(show)](const HttpAnswer& answer) {
        const QString request = ChatContextPacket::standardRequest();
        const QString packet = answer.isOK() ? ChatContextPacket::fromSnapshotBody(answer.body, request)
                                             : ChatContextPacket::fallback(request);
        show(ChatContextPacket::assistantPage(packet));
    });
}
