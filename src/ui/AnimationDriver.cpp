#include "AnimationDriver.h"

#include <QCoreApplication>
#include <QPointer>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {

double steadySeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

AnimationDriver::AnimationDriver(Clock clock, QObject* parent)
    : QObject(parent), m_clock(clock ? std::move(clock) : Clock(steadySeconds))
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &AnimationDriver::tick);
}

AnimationDriver::~AnimationDriver() = default;

AnimationDriver& AnimationDriver::main()
{
    static QPointer<AnimationDriver> driver;
    if (!driver)
        driver = new AnimationDriver({}, QCoreApplication::instance());
    return *driver;
}

long long AnimationDriver::slotAt(double now, double framesPerSecond)
{
    return static_cast<long long>(std::floor(now * framesPerSecond));
}

void AnimationDriver::add(FrameListener* listener)
{
    const auto found = std::find_if(m_listeners.begin(), m_listeners.end(),
                                    [&](const Entry& entry) { return entry.listener == listener; });
    if (found != m_listeners.end())
        return;
    m_listeners.push_back({listener, slotAt(now(), listener->framesPerSecond())});
    if (!m_ticking && !m_timer.isActive())
        scheduleNextFrame();
}

void AnimationDriver::remove(FrameListener* listener)
{
    for (Entry& entry : m_listeners) {
        if (entry.listener == listener)
            entry.listener = nullptr;
    }
    if (!m_ticking) {
        std::erase_if(m_listeners, [](const Entry& entry) { return !entry.listener; });
        if (m_listeners.empty())
            m_timer.stop();
    }
}

std::size_t AnimationDriver::listenerCount() const
{
    return std::count_if(m_listeners.begin(), m_listeners.end(), [](const Entry& entry) { return entry.listener; });
}

void AnimationDriver::setSeen(bool seen)
{
    if (seen == m_seen)
        return;
    m_seen = seen;
    if (!seen)
        m_timer.stop();
    else if (!m_listeners.empty())
        m_timer.start(0);
}

void AnimationDriver::atFrameEnd(std::function<void()> work)
{
    if (m_ticking)
        m_frameEnd.push_back(std::move(work));
    else
        work();
}

void AnimationDriver::tick()
{
    if (!m_seen)
        return;
    const double time = now();
    m_ticking = true;
    // Listeners added during the frame wait for their own first frame.
    const std::size_t count = m_listeners.size();
    for (std::size_t i = 0; i < count; ++i) {
        Entry& entry = m_listeners[i];
        if (!entry.listener)
            continue;
        const long long slot = slotAt(time, entry.listener->framesPerSecond());
        if (slot <= entry.lastSlot)
            continue;
        m_listeners[i].lastSlot = slot;
        FrameListener* listener = m_listeners[i].listener;
        if (!listener->frame(time)) {
            for (Entry& other : m_listeners) {
                if (other.listener == listener)
                    other.listener = nullptr;
            }
        }
    }
    m_ticking = false;
    std::erase_if(m_listeners, [](const Entry& entry) { return !entry.listener; });
    // Work added while these run waits for the next frame's end.
    std::vector<std::function<void()>> frameEnd;
    frameEnd.swap(m_frameEnd);
    for (const std::function<void()>& work : frameEnd)
        work();
    frameEnd.clear();
    if (m_frameEnd.empty())
        m_frameEnd.swap(frameEnd); // keeps the storage for the next frame
    scheduleNextFrame();
}

double AnimationDriver::nextFrameTime(double now, const std::vector<double>& framesPerSecond)
{
    double next = HUGE_VAL;
    double fastest = 0;
    for (const double rate : framesPerSecond) {
        fastest = std::max(fastest, rate);
        next = std::min(next, static_cast<double>(slotAt(now, rate) + 1) / rate);
    }
    // A slower listener takes the first frame of the grid at or after its
    // own slot, and every frame serves everyone due.
    return std::ceil(next * fastest - 1e-9) / fastest;
}

void AnimationDriver::scheduleNextFrame()
{
    if (m_listeners.empty() || !m_seen) {
        m_timer.stop();
        return;
    }
    const double time = now();
    m_rates.clear();
    for (const Entry& entry : m_listeners)
        m_rates.push_back(entry.listener->framesPerSecond());
    const double next = nextFrameTime(time, m_rates);
    const int delayMs = std::max(1, static_cast<int>(std::ceil((next - time) * 1000)));
    m_timer.start(delayMs);
}
