#pragma once

#include "platform/MouseMonitor.h"

#include <list>

// Reports the presses a test makes with pressElsewhere().
class FakeMouseMonitoring final : public MouseMonitoring {
public:
    std::unique_ptr<MonitorToken> addGlobalMouseDownMonitor(std::function<void()> handler) override
    {
        m_handlers.push_back(std::move(handler));
        return std::make_unique<Token>(*this, std::prev(m_handlers.end()));
    }

    // A press in another application.
    void pressElsewhere()
    {
        const auto handlers = m_handlers;
        for (const auto& handler : handlers)
            handler();
    }

    std::size_t monitorCount() const { return m_handlers.size(); }

private:
    using Handlers = std::list<std::function<void()>>;
    class Token final : public MonitorToken {
    public:
        Token(FakeMouseMonitoring& owner, Handlers::iterator position) : m_owner(owner), m_position(position) { }
        ~Token() override { m_owner.m_handlers.erase(m_position); }

    private:
        FakeMouseMonitoring& m_owner;
        Handlers::iterator m_position;
    };

    Handlers m_handlers;
};
