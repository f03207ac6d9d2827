#pragma once

// The companion's services wired to a model of the test kit, to a test
// server standing in for the local server and the weather service, and to
// the fake clipboard and bell. Requests travel over real loopback HTTP;
// waits and time-outs run on the kit's manual scheduler.

#include "platform/fake/FakeBell.h"
#include "platform/fake/FakePasteboard.h"
#include "server/TestServer.h"
#include "services/CompanionServices.h"
#include "services/WeatherText.h"
#include "support/ModelTestKit.h"
#include "support/QtPrinters.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonObject>
#include <QTimer>

#include "support/WaitUntil.h"

#include <functional>
#include <memory>

// Starts `work`, handing it a completion, and waits until that is called.
inline bool finishes(const std::function<void(std::function<void()>)>& work)
{
    bool done = false;
    work([&done] { done = true; });
    return waitUntil([&done] { return done; });
}

// Sends a request of its own through http, to a server of its own, and waits
// for the answer. What http was asked to send before went out first, and the
// event loop has turned through a whole exchange since: a request that was
// sent has reached its server, and an answer on its way has come in.
inline bool roundTrip(HttpClient& http)
{
    TestServer probe;
    QObject context;
    return finishes([&](const std::function<void()>& done) {
        http.get(&context, probe.origin(), [done](const HttpAnswer&) { done(); });
    });
}

// Sends the local server's origin and the weather service's to `origin`.
inline AddressMap addressesOf(const QUrl& origin)
{
    AddressMap addresses;
    addresses.redirect(CompanionRoute::lumivoOS(), origin);
    addresses.redirect(WeatherText::serviceAddress(), origin);
    return addresses;
}

class ServicesTestKit {
public:
    struct Setup {
        QJsonObject storedSettings = {};
        CompanionEdition edition = CompanionEdition::commandCenter;
        // Where the requests go instead of the kit's own test server.
        std::optional<QUrl> serverOrigin = {};
    };

    ServicesTestKit() : ServicesTestKit(Setup{}) { }
    explicit ServicesTestKit(const Setup& setup)
    {
        if (!setup.storedSettings.isEmpty())
            modelKit.writeSettings(setup.storedSettings);
        model = modelKit.makeModel();
        settings = CompanionSettings::open(modelKit.settingsPath);
        services = std::make_unique<CompanionServices>(CompanionServices::Environment{
            .model = *model,
            .settings = *settings,
            .scheduler = modelKit.scheduler,
            .pasteboard = pasteboard,
            .bell = bell,
            .edition = setup.edition,
            .addresses = addressesOf(setup.serverOrigin.value_or(server.origin())),
        });
    }

    ManualScheduler& scheduler() { return modelKit.scheduler; }
    LocalServerPolling& polling() { return services->polling; }

    // The settings file as the next run would read it.
    QJsonObject storedSettings() const { return modelKit.storedSettings(); }

    ModelTestKit modelKit;
    TestServer server;
    FakePasteboard pasteboard;
    FakeBell bell;
    std::unique_ptr<CompanionModel> model;
    std::unique_ptr<QSettings> settings;
    std::unique_ptr<CompanionServices> services;
};
