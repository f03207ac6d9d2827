#include "MenuBodies.h"

#include "model/CompanionModel.h"

PanelFlags PanelFlags::of(const CompanionModel& model)
{
    return {model.layoutPanelOpen, model.googlePanelOpen, model.usagePanelOpen, model.taskPanelOpen,
            model.fleetPanelOpen};
}

MenuBody menuBodyFor(const PanelFlags& flags)
{
    if (flags.layout)
        return MenuBody::layout;
    if (flags.google)
        return MenuBody::google;
    if (flags.usage)
        return MenuBody::usage;
    if (flags.task)
        return MenuBody::task;
    if (flags.fleet)
        return MenuBody::fleet;
    return MenuBody::standard;
}

const MenuBodies::Factory* MenuBodies::forBody(MenuBody body) const
{
    switch (body) {
    case MenuBody::layout: return &layoutSection;
    case MenuBody::google: return &googleSection;
    case MenuBody::usage: return &usageSection;
    case MenuBody::task: return &taskSection;
    case MenuBody::fleet: return &fleetSection;
    case MenuBody::standard: break;
    }
    return nullptr;
}
