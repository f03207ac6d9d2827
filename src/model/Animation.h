#pragma once

// How a change of the model's state should be animated by the views that show
// it: a spring (response and damping fraction, as the views' springs take
// them) or a timing curve over a duration, in seconds.
struct Animation {
    enum class Curve { spring, easeIn, easeOut, easeInOut, linear };

    Curve curve = Curve::spring;
    double duration = 0;        // timing curves
    double response = 0;        // springs
    double dampingFraction = 0; // springs
    double blendDuration = 0;   // springs

    static constexpr Animation spring(double response, double dampingFraction, double blendDuration = 0)
    {
        return {Curve::spring, 0, response, dampingFraction, blendDuration};
    }
    static constexpr Animation easeIn(double duration) { return {Curve::easeIn, duration, 0, 0, 0}; }
    static constexpr Animation easeOut(double duration) { return {Curve::easeOut, duration, 0, 0, 0}; }
    static constexpr Animation easeInOut(double duration) { return {Curve::easeInOut, duration, 0, 0, 0}; }
    static constexpr Animation linear(double duration) { return {Curve::linear, duration, 0, 0, 0}; }

    friend constexpr bool operator==(const Animation&, const Animation&) = default;
};
