#pragma once

#include <functional>

class AnimationDriver;
class ResourceBundle;
class Scheduler;

// What every view needs besides the model: the animation clock, where timed
// behaviours wait, a source of random numbers and the resource bundle.
// Tests hand views a manual clock, a manual scheduler and fixed draws.
struct ViewEnvironment {
    AnimationDriver& animations;
    Scheduler& scheduler;
    // A real number drawn uniformly from the closed range [low, high].
    std::function<double(double low, double high)> uniform;
    const ResourceBundle& resources;

    // The running program's clock, timers, random source and bundle.
    static ViewEnvironment main();
    // The same with another bundle.
    static ViewEnvironment live(const ResourceBundle& resources);
};
