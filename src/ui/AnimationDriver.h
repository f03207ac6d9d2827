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
// aligned to the clock and to the grid of the fastest listener, so listeners
// of any rates repaint together; the timer sleeps until the next frame
// anyone needs and stops when nothing moves or nobody can see the pictures.
// Widgets read animated values while they paint.
class AnimationDriver final : public QObject {
public:
    using Clock = std::function<double()>; // seconds on a monotonic clock

    explicit AnimationDriver(Clock clock = {}, QObject* parent = nullptr);
    ~AnimationDriver() override;

    // The driver of the running program, on the steady clock.
    static AnimationDriver& main();

    double now() const { return m_clock(); }

    void add(FrameListener* listener);
    void remove(FrameListener* listener);
    bool isRunning() const { return !m_listeners.empty(); }
    std::size_t listenerCount() const;

    // Whether anybody can see what the animations draw. While nobody can, no
    // frames are delivered and the timer sleeps; the values, worked out from
    // the clock, stand where they should when frames resume.
    void setSeen(bool seen);
    bool isSeen() const { return m_seen; }

    // Runs work once every listener of the running frame has been called, or
    // at once outside a frame: a view that hears from several values in one
    // frame repaints once.
    void atFrameEnd(std::function<void()> work);

    // Runs every frame that is due; the timer calls it, tests may too.
    void tick();

    // When, after now, the next frame falls for listeners asking these
    // rates: the earliest slot any of them needs, moved onto the grid of
    // the fastest, so frames of different rates coincide.
    static double nextFrameTime(double now, const std::vector<double>& framesPerSecond);

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
    std::vector<std::function<void()>> m_frameEnd;
    std::vector<double> m_rates; // kept to spare an allocation a frame
    bool m_ticking = false;
    bool m_seen = true;
};
