#pragma once

// A model and a view environment whose clocks the test moves together: the
// scheduler of timed behaviours and the animation clock. Random draws come
// from a script (the low end of each range when the script is empty), and
// every range asked for is recorded.

#include "support/ModelTestKit.h"

#include "model/ResourceBundle.h"
#include "ui/AnimationDriver.h"
#include "ui/ViewEnvironment.h"

#include <QCoreApplication>

#include <deque>
#include <utility>
#include <vector>

class ViewTestKit : public ModelTestKit {
public:
    // Moves both clocks in 10 ms steps, so work runs when it falls due.
    void advance(double seconds)
    {
        const long long steps = std::llround(seconds * 100);
        for (long long i = 0; i < steps; ++i) {
            ++m_ticks;
            scheduler.advance(std::chrono::milliseconds(10));
        }
    }
    // Runs what the views left for the next turn of the event loop.
    static void settle() { QCoreApplication::processEvents(); }
    double now() const { return m_ticks / 100.0; }

    std::deque<double> draws;
    std::vector<std::pair<double, double>> drawnRanges;
    const ResourceBundle bundle{QStringLiteral(LUMIVO_BINARY_DIR "/src/lumivo-companion.resources")};
    AnimationDriver animations{[this] { return now(); }};
    ViewEnvironment environment{
        .animations = animations,
        .scheduler = scheduler,
        .uniform =
            [this](double low, double high) {
                drawnRanges.emplace_back(low, high);
                if (draws.empty())
                    return low;
                const double draw = draws.front();
                draws.pop_front();
                return draw;
            },
        .resources = bundle,
    };

private:
    long long m_ticks = 0;
};
