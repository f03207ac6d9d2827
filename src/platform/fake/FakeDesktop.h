#pragma once

#include "platform/Desktop.h"
#include "platform/fake/FakeApplicationWindows.h"
#include "platform/fake/FakeApplications.h"
#include "platform/fake/FakeBell.h"
#include "platform/fake/FakeBrowserTabs.h"
#include "platform/fake/FakeMouseMonitoring.h"
#include "platform/fake/FakePanels.h"
#include "platform/fake/FakePasteboard.h"
#include "platform/fake/FakeScreens.h"
#include "platform/fake/FakeVisibilityMonitoring.h"
#include "platform/fake/FakeWorkspace.h"

// A whole desktop in memory, for tests of the code that drives it.
struct FakeDesktop {
    FakeScreens screens;
    FakePanelFactory panels{screens};
    FakeMouseMonitoring mouse;
    FakeWorkspace workspace;
    FakeApplications applications;
    FakeApplicationWindows windows;
    FakePasteboard pasteboard;
    FakeBell bell;
    FakeBrowserTabs browserTabs;
    FakeVisibilityMonitoring visibility;

    Desktop desktop()
    {
        return {screens, panels, mouse, workspace, applications, windows, pasteboard, bell, browserTabs, visibility};
    }
};
