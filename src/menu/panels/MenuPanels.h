#pragma once

#include "menu/MenuBodies.h"

// The menu's five sub-panels and its usage pill, as the opened menu's body
// switch and standard sections take them.
MenuBodies menuPanels();
