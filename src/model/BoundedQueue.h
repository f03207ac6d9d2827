#pragma once

#include <algorithm>
#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

// A first-in, first-out queue of at most `capacity` distinct items: an item
// the queue already holds is not added again, and an item arriving when the
// queue is full pushes out the oldest, so a flood leaves the newest waiting.
// `Same` tells which items count as equal.
template <typename T, typename Same = std::equal_to<T>>
class BoundedQueue {
public:
    // capacity must be at least one.
    explicit BoundedQueue(std::size_t capacity) : m_capacity(capacity) { }

    // Appends item unless an item the same as it waits already.
    void push(T item)
    {
        if (contains(item))
            return;
        if (m_items.size() == m_capacity)
            m_items.pop_front();
        m_items.push_back(std::move(item));
    }

    bool contains(const T& item) const
    {
        return std::any_of(m_items.begin(), m_items.end(), [&](const T& held) { return Same{}(held, item); });
    }

    std::optional<T> takeFirst()
    {
        if (m_items.empty())
            return std::nullopt;
        T first = std::move(m_items.front());
        m_items.pop_front();
        return first;
    }

    // Every waiting item, oldest first; the queue is empty afterwards.
    std::vector<T> takeAll()
    {
        std::vector<T> items(std::make_move_iterator(m_items.begin()), std::make_move_iterator(m_items.end()));
        m_items.clear();
        return items;
    }

    bool empty() const { return m_items.empty(); }
    std::size_t size() const { return m_items.size(); }

private:
    std::size_t m_capacity;
    std::deque<T> m_items;
};
