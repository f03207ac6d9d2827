#pragma once

#include "platform/Visibility.h"

#include <list>

// Tells its watchers whatever a test says with setSeen().
class FakeVisibilityMonitoring final : public VisibilityMonitoring {
public:
    std::unique_ptr<MonitorToken> addVisibilityMonitor(QList<QWidget*> windows,
                                                       std::function<void(bool seen)> handler) override
    {
        watchedWindows = windows;
        handler(m_seen);
        m_handlers.push_back(std::move(handler));
        return std::make_unique<Token>(*this, std::prev(m_handlers.end()));
    }

    void setSeen(bool seen)
    {
        m_seen = seen;
        const auto handlers = m_handlers;
        for (const auto& handler : handlers)
            handler(seen);
    }

    std::size_t monitorCount() const { return m_handlers.size(); }
    // The windows the last watcher asked about.
    QList<QWidget*> watchedWindows;

private:
    using Handlers = std::list<std::function<void(bool)>>;
    class Token final : public MonitorToken {
    public:
        Token(FakeVisibilityMonitoring& owner, Handlers::iterator position) : m_owner(owner), m_position(position) { }
        ~Token() override { m_owner.m_handlers.erase(m_position); }

    private:
        FakeVisibilityMonitoring& m_owner;
        Handlers::iterator m_position;
    };

    bool m_seen = true;
    Handlers m_handlers;
};
