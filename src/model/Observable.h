#pragma once

#include "Animation.h"

#include <QObject>

#include <optional>
#include <utility>

// An object whose published fields announce every assignment through one
// signal, willChange(), sent before the new value is stored. Observers
// schedule a repaint and read the new values when they paint.
//
// A change made inside withAnimation() carries that animation: while the
// signal is delivered, currentTransaction() names it, so a view can animate
// from what it shows now to the values it will read next.
class ObservableObject : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    const std::optional<Animation>& currentTransaction() const { return m_transaction; }

    // Runs body with animation as the current transaction; transactions nest.
    template <typename Body>
    void withAnimation(const Animation& animation, Body&& body)
    {
        const std::optional<Animation> outer = std::exchange(m_transaction, animation);
        std::forward<Body>(body)();
        m_transaction = outer;
    }

Q_SIGNALS:
    void willChange();

private:
    template <typename T>
    friend class Published;
    void announceChange() { Q_EMIT willChange(); }

    std::optional<Animation> m_transaction;
};

// A field of an ObservableObject that announces each assignment, even of an
// equal value. A read-modify-write through modify() announces once.
template <typename T>
class Published {
public:
    Published(ObservableObject* owner, T initial) : m_owner(owner), m_value(std::move(initial)) { }
    Published(const Published&) = delete;
    Published& operator=(const Published&) = delete;

    const T& get() const { return m_value; }
    operator const T&() const { return m_value; }
    const T* operator->() const { return &m_value; }

    Published& operator=(T value)
    {
        m_owner->announceChange();
        m_value = std::move(value);
        return *this;
    }

    template <typename Change>
    void modify(Change&& change)
    {
        m_owner->announceChange();
        std::forward<Change>(change)(m_value);
    }

private:
    ObservableObject* m_owner;
    T m_value;
};
