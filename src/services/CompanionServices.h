#pragma once

// The companion's clients of the local server and the weather service,
// made together for the shell:
//
//     CompanionServices services({.model = model, .settings = settings,
//                                 .scheduler = Scheduler::main(), .pasteboard = pasteboard,
//                                 .bell = bell, .edition = CompanionEdition::current()});
//     services.fillModelHooks();                  // refreshFleet, setBotEnabled, ...
//     services.polling.startNotificationPolling(); // at start-up, in this order:
//     services.polling.startAgentUsagePolling();   // alerts, usage, weather
//     services.polling.startWeatherPolling();
//     ...
//     services.polling.cancelAll();                // at shutdown
//
// The model must outlive the services.

#include "AddressMap.h"
#include "FleetClient.h"
#include "HttpClient.h"
#include "LocalServerPolling.h"
#include "MobileLinkCopier.h"
#include "model/CompanionEdition.h"

#include <QObject>
#include <QUrl>

#include <functional>

class Bell;
class CompanionModel;
class Pasteboard;
class QSettings;

class CompanionServices {
public:
    struct Environment {
        CompanionModel& model;
        QSettings& settings;
        Scheduler& scheduler;
        Pasteboard& pasteboard;
        Bell& bell;
        CompanionEdition edition;
        // Empty for the real addresses; tests and scripted desktop runs send
        // the local server and the weather service elsewhere.
        AddressMap addresses = {};
    };

    explicit CompanionServices(Environment environment);

    // Points the model's refreshFleet, setBotEnabled, setBotUpdates and
    // copyMobileLink hooks at these services. Each hook returns at once;
    // its work finishes later on the main thread.
    void fillModelHooks();

    // Fetches the business snapshot and hands `show` the owner's assistant
    // page with the chat context packet (or, without a snapshot, the
    // fallback packet) as its query. `show` is called exactly once, unless
    // the services are destroyed first: the shell passes the chat window's
    // show. Nothing in the companion starts this yet.
    void openChatWithContext(std::function<void(const QUrl& page)> show);

    HttpClient http;
    LocalServerPolling polling;
    FleetClient fleet;
    MobileLinkCopier mobileLink;

private:
    CompanionModel& m_model;
    QObject m_context;
};
