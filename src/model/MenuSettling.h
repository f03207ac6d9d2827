#pragma once

#include <functional>

class CompanionModel;
class Scheduler;

// Runs an opening once the menu has had time to get out of the way. With the
// menu closed it runs at once and the mascot's face stays as it is; with the
// menu open, Vora looks excited for a moment and the opening follows 0.18 s
// later, after the tile that asked for it has begun to close the menu.
// Main thread only.
void openAfterMenuSettles(CompanionModel& model, Scheduler& scheduler, std::function<void()> opening);
