#pragma once

// The desktop actions on a desktop in memory, their hooks filled into a
// model whose clock the test moves. Quit requests run at once.

#include "actions/DesktopActions.h"
#include "platform/fake/FakeDesktop.h"
#include "support/ModelTestKit.h"
#include "support/QtPrinters.h"

#include <chrono>

using namespace std::chrono_literals;

inline RunningApplication runningApplication(qint32 process, const QString& identifier, const QString& name = QString())
{
    RunningApplication application;
    application.processIdentifier = process;
    application.bundleIdentifier = identifier;
    application.localizedName = name;
    application.regular = true;
    return application;
}

class ActionsTestKit {
public:
    ActionsTestKit() { actions->fillModelHooks(); }

    CompanionModel& model() { return *modelObject; }
    // An installed application at the catalogue's path.
    void install(const QString& path, const QString& identifier)
    {
        fake.applications.installed.insert(path, {identifier, {}});
    }
    void advance(std::chrono::milliseconds time) { kit.scheduler.advance(time); }

    ModelTestKit kit;
    FakeDesktop fake;
    std::optional<DesktopScreen> panelScreen;
    std::unique_ptr<CompanionModel> modelObject = kit.makeModel();
    std::unique_ptr<DesktopActions> actions = std::make_unique<DesktopActions>(DesktopActions::Environment{
        .model = *modelObject,
        .scheduler = kit.scheduler,
        .desktop = fake.desktop(),
        .screenUnderMouse = [this]() -> std::optional<DesktopScreen> {
            for (const DesktopScreen& screen : fake.screens.list) {
                if (screen.frame.contains(fake.screens.mouse))
                    return screen;
            }
            return std::nullopt;
        },
        .panelScreen = [this] { return panelScreen; },
        .runDetached = [](std::function<void()> work) { work(); },
    });
};
