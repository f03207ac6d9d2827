#include "ViewEnvironment.h"

#include "AnimationDriver.h"
#include "model/ResourceBundle.h"
#include "model/Scheduler.h"

#include <QRandomGenerator>

ViewEnvironment ViewEnvironment::main() { return live(ResourceBundle::main()); }

ViewEnvironment ViewEnvironment::live(const ResourceBundle& resources)
{
    return {
        .animations = AnimationDriver::main(),
        .scheduler = Scheduler::main(),
        .uniform =
            [](double low, double high) {
                // bounded() excludes high; the ranges are closed, which at double
                // precision only matters in name.
                return low + QRandomGenerator::global()->generateDouble() * (high - low);
            },
        .resources = resources,
    };
}
