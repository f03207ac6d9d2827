#pragma once

#include "HttpClient.h"
#include "model/CompanionEdition.h"

#include <QObject>
#include <QString>

#include <functional>

class CompanionModel;

// The employee bots of the fleet, kept by the local server: loads the list
// into the model and sends the owner's changes. Inert in the employee
// edition. Main thread only.
class FleetClient {
public:
    using Done = std::function<void()>;

    // The model's failure text when the list cannot be loaded.
    static inline const QString offlineText = QStringLiteral("Fleet service offline — start Varadi OS to manage bots.");

    // The two switches of a bot; the raw value is the member the server reads.
    enum class Setting { enabled, updatesAllowed };
    static QString memberName(Setting setting);

    struct Environment {
        CompanionModel& model;
        HttpClient& http;
        CompanionEdition edition;
    };

    explicit FleetClient(Environment environment);

    // Replaces the model's fleetBots with the server's list and clears
    // fleetError; on any failure sets fleetError to offlineText and keeps
    // the list on show. `done` runs when it has finished, at once when the
    // edition does not allow fleet control.
    void loadFleet(Done done = {});
    // Sends one change, then reloads the list whatever became of it.
    void updateBot(const QString& botID, Setting setting, bool value, Done done = {});

    // The body of a change: {"id": botID, <member>: value}, compact.
    static QByteArray changeBody(const QString& botID, Setting setting, bool value);

private:
    Environment m_environment;
    QObject m_context;
};
