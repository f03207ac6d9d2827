#pragma once

#include "model/Scheduler.h"

#include <chrono>
#include <cmath>
#include <functional>

// Work after a pause given in seconds, as the views' behaviours state them.
inline ScheduledWork after(Scheduler& scheduler, double seconds, std::function<void()> work)
{
    return scheduler.schedule(Scheduler::Duration(std::llround(seconds * 1000)), std::move(work));
}
