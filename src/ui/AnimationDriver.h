#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <vector>

// Something that wants a new picture now and then while it moves.
class FrameListener {
public:
    virtual ~FrameListener() = default;
    virtual double framesPerSecond() const = 0;
    // Called on each of its frames; answers whether it still moves.
    virtual bool frame(double now) = 0;
};

// The one clock and frame timer of every running animation. Frames are
// aligned to the clock, so listeners asking the same rate repaint together;
// the timer sleeps until the next frame anyone needs and stops when nothing
// moves. Widgets read animated values while they paint.
class AnimationDriver final : public QObject {
public:
    using Clock = std::function<double()>;   // seconds on a monotonic clock

    explicit AnimationDriver(Clock clock = {}, QObject* parent = nullptr);
    ~AnimationDriver() override;

    // The driver of the running program, on the steady clock.
    static AnimationDriver& main();

    double now() const { return m_clock(); }

    void add(FrameListener* listener);
    void remove(FrameListener* listener);
    bool isRunning() const { return !m_listeners.empty(); }
    std::size_t listenerCount() const;

    // Runs every frame that is due; the timer calls it, tests may too.
    void tick();

private:
    struct Entry {
        FrameListener* listener;
        long long lastSlot;
    };
    static long long slotAt(double now, double framesPerSecond);
    void scheduleNextFrame();

    Clock m_clock;
    QTimer m_timer;
    std::vector<Entry> m_listeners;
    bool m_ticking = false;
};
