#include "model/CompanionChime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

// Where each note of the chime starts and how long it runs, in samples.
struct NoteSpan {
    double frequency;
    double duration;
    std::size_t first;
    std::size_t count;
};

constexpr NoteSpan noteSpans[] = {
    {392.0, 0.058, 0, 2557},
    {523.25, 0.058, 3350, 2557},
    {659.25, 0.092, 6700, 4057},
};

// One sample of a note without its attack ramp, straight from the sound's
// recipe: a tone with a slightly sharp overtone plus a quickly fading
// 1760 Hz sparkle, both fading with the note.
double withoutAttack(const NoteSpan& note, std::size_t index, double accent)
{
    const double pi = 3.14159265358979323846;
    const double t = static_cast<double>(index) / 44100.0;
    const double phase = 2.0 * pi * note.frequency * t;
    const double tone = std::sin(phase) + 0.24 * std::sin(2.03 * phase);
    const double sparkle = std::sin(2.0 * pi * 1760.0 * t) * std::exp(-100.0 * t);
    return (0.19 * tone + 0.075 * sparkle) * std::exp(-t / (0.34 * note.duration)) * accent;
}

class CompanionChimeSamples : public ::testing::Test {
protected:
    const std::vector<float> samples = CompanionChime::samples();
};

} // namespace

TEST_F(CompanionChimeSamples, ThreeNotesSeparatedBySilence)
{
    ASSERT_EQ(samples.size(), 10757u);

    for (const NoteSpan& note : noteSpans) {
        EXPECT_EQ(samples[note.first], 0.0f) << "a note starts from silence at " << note.first;
        EXPECT_NE(samples[note.first + 1], 0.0f) << note.first;
        EXPECT_NE(samples[note.first + note.count - 1], 0.0f) << "last sample of the note at " << note.first;
    }
    for (const auto& [from, to] : {std::pair{2557, 3350}, std::pair{5907, 6700}}) {
        for (int i = from; i < to; ++i)
            ASSERT_EQ(samples[i], 0.0f) << "gap sample " << i;
    }
}

TEST_F(CompanionChimeSamples, AttackRampsUpOverItsFirst155Samples)
{
    ASSERT_EQ(samples.size(), 10757u);
    for (const NoteSpan& note : noteSpans) {
        const double accent = &note == &noteSpans[2] ? 1.08 : 1.0;
        const auto attackAt = [&](std::size_t index) {
            return samples[note.first + index] / withoutAttack(note, index, accent);
        };
        // 154 samples is 3.492 ms, just short of the 3.5 ms attack.
        EXPECT_NEAR(attackAt(154), 154.0 / 154.35, 1e-6) << note.first;
        EXPECT_NEAR(attackAt(155), 1.0, 1e-6) << note.first;
        EXPECT_NEAR(attackAt(156), 1.0, 1e-6) << note.first;
        EXPECT_NEAR(attackAt(77), 77.0 / 154.35, 1e-6) << note.first;
    }
}

TEST_F(CompanionChimeSamples, FollowsTheRecipeWithOnlyTheLastNoteAccented)
{
    ASSERT_EQ(samples.size(), 10757u);
    for (std::size_t n = 0; n < std::size(noteSpans); ++n) {
        const NoteSpan& note = noteSpans[n];
        for (std::size_t index = 200; index < note.count; index += 301) {
            const double ratio = samples[note.first + index] / withoutAttack(note, index, 1.0);
            EXPECT_NEAR(ratio, n == 2 ? 1.08 : 1.0, 1e-5) << "note " << n << " sample " << index;
        }
    }
}

TEST_F(CompanionChimeSamples, PeaksNearAQuarterOfFullScaleInTheLastNote)
{
    const auto loudest =
        std::max_element(samples.begin(), samples.end(), [](float a, float b) { return std::abs(a) < std::abs(b); });
    ASSERT_NE(loudest, samples.end());
    EXPECT_NEAR(std::abs(*loudest), 0.22808, 0.00001);
    EXPECT_GE(loudest - samples.begin(), 6700);
}

TEST_F(CompanionChimeSamples, IsTheSameOnEveryCall) { EXPECT_EQ(CompanionChime::samples(), samples); }
