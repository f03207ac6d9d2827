#include "model/MenuSettling.h"

#include "model/CompanionModel.h"

using namespace std::chrono_literals;

namespace {

constexpr auto menuSettlingDelay = 180ms;
constexpr double excitedSeconds = 1.1;

} // namespace

void openAfterMenuSettles(CompanionModel& model, Scheduler& scheduler, std::function<void()> opening)
{
    if (!model.menuOpen) {
        opening();
        return;
    }
    model.showExpression(CompanionExpression::excited, excitedSeconds);
    scheduler.schedule(menuSettlingDelay, std::move(opening));
}
