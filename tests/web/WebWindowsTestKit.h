#pragma once

// The companion's web windows wired to a model of the test kit, to services
// whose local server (and the outside assistant's page) is a test server on
// 127.0.0.1, and to the given way of opening pages in a browser.

#include "platform/fake/FakeBell.h"
#include "platform/fake/FakePasteboard.h"
#include "server/TestServer.h"
#include "services/CompanionServices.h"
#include "support/ModelTestKit.h"
#include "web/WebWindows.h"

#include <memory>
#include <optional>

class WebWindowsTestKit {
public:
    // engineFolders: where the web engine module is looked for; serverOrigin:
    // where the local server is, when not the kit's own test server.
    WebWindowsTestKit(Applications& browser, const QStringList& engineFolders, std::optional<QUrl> serverOrigin = {})
        : origin(serverOrigin.value_or(server.origin()))
    {
        model = modelKit.makeModel();
        settings = CompanionSettings::open(modelKit.settingsPath);
        AddressMap addresses;
        addresses.redirect(CompanionRoute::lumivoOS(), origin);
        addresses.redirect(CompanionRoute::lumivoGPT(), origin);
        services = std::make_unique<CompanionServices>(CompanionServices::Environment {
            *model, *settings, modelKit.scheduler, pasteboard, bell, CompanionEdition::commandCenter, addresses});
        windows = std::make_unique<WebWindows>(WebWindows::Environment {
            *model, modelKit.scheduler, browser, *services, CompanionEdition::commandCenter, addresses, engineFolders});
        windows->fillModelHooks();
    }

    // The page at path of the test server, as the windows show it.
    QUrl served(const QString& pathAndQuery) const { return origin.resolved(QUrl(pathAndQuery)); }

    ModelTestKit modelKit;
    std::unique_ptr<CompanionModel> model;
    std::unique_ptr<QSettings> settings;
    FakePasteboard pasteboard;
    FakeBell bell;
    TestServer server;
    QUrl origin;
    std::unique_ptr<CompanionServices> services;
    std::unique_ptr<WebWindows> windows;
};
