#pragma once

// A notification stream the test feeds by hand.

#include "activity/NotificationStream.h"

class FakeNotificationStream final : public NotificationStream {
public:
    void open() override
    {
        ++opens;
        state = nextState;
    }
    void close() override
    {
        ++closes;
        state = State::closed;
    }
    Batch take() override { return {state, std::exchange(arrived, {})}; }

    // Judged as it arrives, as the real stream does.
    void send(const DesktopNotification& notification)
    {
        if (std::optional<InboundActivityRules::Finding> finding = InboundActivityRules::findingFor(notification))
            arrived.push_back(std::move(*finding));
    }

    State state = State::closed;
    // What the next open() leads to.
    State nextState = State::watching;
    std::vector<InboundActivityRules::Finding> arrived;
    int opens = 0;
    int closes = 0;
};
