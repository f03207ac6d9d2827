#pragma once

#include <vector>

// The companion's own notification chime: three rising bell notes (G4, C5,
// E5) with a short high sparkle on each attack, the last note a little
// louder. Synthesised rather than shipped so it stays the same everywhere.
class CompanionChime {
public:
    CompanionChime() = delete;

    static constexpr double sampleRate = 44100;

    // The chime as mono samples at sampleRate, about a quarter second long.
    // Pure: every call gives the same samples.
    static std::vector<float> samples();
};
