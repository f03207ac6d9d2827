#pragma once

#include "MenuSection.h"

#include <functional>
#include <memory>

class CompanionModel;

// What the menu shows under its agents grid: one of the five sub-panels, in
// the order the body switch tries them, or the standard launcher sections.
enum class MenuBody { layout, google, usage, task, fleet, standard };

struct PanelFlags {
    bool layout = false;
    bool google = false;
    bool usage = false;
    bool task = false;
    bool fleet = false;

    static PanelFlags of(const CompanionModel& model);
    friend bool operator==(const PanelFlags&, const PanelFlags&) = default;
};

// The first open panel in the switch's order, else the standard sections.
MenuBody menuBodyFor(const PanelFlags& flags);

// Where the sub-panels plug into the menu. Each factory builds its panel when
// the body switch shows it and the panel is destroyed when it goes; a panel
// begins with panelBackButton(), whose action clears its own flag. An empty
// slot shows nothing in the body.
struct MenuBodies {
    using Factory = std::function<std::unique_ptr<MenuSection>(MenuContext& context)>;

    Factory layoutSection;
    Factory googleSection;
    Factory usageSection;
    Factory taskSection;
    Factory fleetSection;
    // The AI-usage pill: block 8 of the standard sections, shown only in the
    // edition that allows usage figures.
    Factory usagePill;

    // The factory of a sub-panel body; none for the standard sections.
    const Factory* forBody(MenuBody body) const;
};
