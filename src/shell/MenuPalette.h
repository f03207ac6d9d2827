#pragma once

#include <QPalette>

// The colours of the main and status menus: on a light desktop the dark
// greys, white text and violet highlight of the opened panel, so the menus
// do not clash with it; a dark desktop keeps its own look.
QPalette companionMenuPalette(const QPalette& desktop);
