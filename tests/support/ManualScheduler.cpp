#include "ManualScheduler.h"

#include <algorithm>

void ManualScheduler::enqueue(Duration delay, std::function<void()> fire)
{
    m_queue.push_back({m_now + delay, m_nextOrder++, std::move(fire)});
}

void ManualScheduler::advance(Duration step)
{
    const Duration end = m_now + step;
    for (;;) {
        const auto next = std::min_element(m_queue.begin(), m_queue.end(), [](const Entry& a, const Entry& b) {
            return a.due != b.due ? a.due < b.due : a.order < b.order;
        });
        if (next == m_queue.end() || next->due > end)
            break;
        m_now = next->due;
        auto fire = std::move(next->fire);
        m_queue.erase(next);
        fire();
    }
    m_now = end;
}
