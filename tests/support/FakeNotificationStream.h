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

    void send(DesktopNotification notification) { arrived.push_back(std::move(notification)); }

    State state = State::closed;
    // What the next open() leads to.
    State nextState = State::watching;
    std::vector<DesktopNotification> arrived;
    int opens = 0;
    int closes = 0;
};
