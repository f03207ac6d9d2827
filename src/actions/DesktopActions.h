#pragma once

// The desktop actions behind the model's hooks, made together for the shell:
//
//     DesktopActions actions({.model = model, .scheduler = scheduler, .desktop = desktop,
//                             .screenUnderMouse = ..., .panelScreen = ...});
//     actions.fillModelHooks();   // the launchers, tiling, Google links, task manager
//
// The model and the desktop must outlive the actions.

#include "actions/ChromeWindowTiling.h"
#include "actions/GoogleLinks.h"
#include "actions/LauncherDispatch.h"
#include "actions/Lifetime.h"
#include "actions/TaskManager.h"
#include "platform/Desktop.h"

class DesktopActions {
public:
    struct Environment {
        CompanionModel& model;
        Scheduler& scheduler;
        Desktop desktop;
        ChromeWindowTiling::ScreenQuery screenUnderMouse;
        ChromeWindowTiling::ScreenQuery panelScreen;
        TaskManager::BackgroundRunner runDetached = TaskManager::onThreadPool;
    };

    explicit DesktopActions(Environment environment);

    // Points every hook of the model that opens, tiles, closes or quits
    // something on the desktop at these actions; the web windows' hooks are
    // not among them. Each hook does nothing once the actions are gone.
    void fillModelHooks();

    LauncherDispatch launcher;
    TaskManager tasks;
    ChromeWindowTiling tiling;
    GoogleLinks google;

private:
    void tileThenCloseLayoutPanel(WindowTileLayout layout);

    CompanionModel& m_model;
    Applications& m_applications;
    Lifetime m_lifetime;
};
