#pragma once

// The companion's web windows beside the services of the services' test kit,
// whose local server is a test server on 127.0.0.1, opening pages in a
// browser the test chooses.

#include "services/ServicesTestKit.h"
#include "web/WebWindows.h"

#include <memory>
#include <optional>

class WebWindowsTestKit {
public:
    // engineFolders: where the web engine module is looked for; serverOrigin:
    // where the local server is, when not the kit's own test server.
    WebWindowsTestKit(Applications& browser, const QStringList& engineFolders, std::optional<QUrl> serverOrigin = {})
        : services({.serverOrigin = serverOrigin}), origin(serverOrigin.value_or(services.server.origin()))
    {
        windows = std::make_unique<WebWindows>(
            WebWindows::Environment{model(), scheduler(), browser, *services.services, CompanionEdition::commandCenter,
                                    addressesOf(origin), engineFolders});
        windows->fillModelHooks();
    }

    CompanionModel& model() { return *services.model; }
    ManualScheduler& scheduler() { return services.scheduler(); }
    TestServer& server() { return services.server; }
    // The page at pathAndQuery of the local server, as the windows show it.
    QUrl served(const QString& pathAndQuery) const { return origin.resolved(QUrl(pathAndQuery)); }

    ServicesTestKit services;
    QUrl origin;
    std::unique_ptr<WebWindows> windows;
};
