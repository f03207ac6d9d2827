#include "CompanionChime.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

struct Note {
    double frequency; // Hz
    double duration;  // s
};

constexpr std::array notes{Note{392.0, 0.058}, Note{523.25, 0.058}, Note{659.25, 0.092}};
// About 18 ms of silence between notes keeps them distinct.
constexpr int gapSamples = 793;

constexpr double attackTime = 0.0035;
constexpr double decayShare = 0.34;
constexpr double overtoneRatio = 2.03; // slightly inharmonic, for a bell-like colour
constexpr double overtoneLevel = 0.24;
constexpr double sparkleFrequency = 1760.0;
constexpr double sparkleDecay = 0.01;
constexpr double toneLevel = 0.19;
constexpr double sparkleLevel = 0.075;
constexpr double lastNoteAccent = 1.08;

void appendNote(std::vector<float>& out, const Note& note, double accent)
{
    const double twoPi = 2 * std::numbers::pi;
    const int count = static_cast<int>(note.duration * CompanionChime::sampleRate);
    for (int i = 0; i < count; ++i) {
        const double t = i / CompanionChime::sampleRate;
        const double attack = std::min(t / attackTime, 1.0);
        const double decay = std::exp(-t / (note.duration * decayShare));
        const double phase = twoPi * note.frequency * t;
        const double tone = std::sin(phase) + overtoneLevel * std::sin(phase * overtoneRatio);
        const double sparkle = std::sin(twoPi * sparkleFrequency * t) * std::exp(-t / sparkleDecay);
        const double sample = (tone * toneLevel + sparkle * sparkleLevel) * attack * decay * accent;
        out.push_back(static_cast<float>(sample));
    }
}

} // namespace

std::vector<float> CompanionChime::samples()
{
    std::vector<float> out;
    for (std::size_t n = 0; n < notes.size(); ++n) {
        const bool last = n + 1 == notes.size();
        appendNote(out, notes[n], last ? lastNoteAccent : 1.0);
        if (!last)
            out.insert(out.end(), gapSamples, 0.0f);
    }
    return out;
}
