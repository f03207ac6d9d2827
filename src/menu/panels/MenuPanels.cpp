#include "MenuPanels.h"

#include "FleetPanel.h"
#include "GoogleLinksPanel.h"
#include "LayoutPanel.h"
#include "TaskPanel.h"
#include "UsagePanel.h"
#include "UsagePill.h"

namespace {

template <typename Section>
MenuBodies::Factory factory()
{
    return [](MenuContext& context) -> std::unique_ptr<MenuSection> { return std::make_unique<Section>(context); };
}

} // namespace

MenuBodies menuPanels()
{
    return {
        .layoutSection = factory<LayoutPanel>(),
        .googleSection = factory<GoogleLinksPanel>(),
        .usageSection = factory<UsagePanel>(),
        .taskSection = factory<TaskPanel>(),
        .fleetSection = factory<FleetPanel>(),
        .usagePill = factory<UsagePill>(),
    };
}
