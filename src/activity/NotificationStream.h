#pragma once

#include "InboundActivityRules.h"

#include <cstdint>
#include <vector>

// The alerts that the desktop notifications other programs send call for,
// observed on their way to the notification server without taking part in
// the exchange. Each notification is judged as it arrives and only what it
// raises is kept. The observing happens off the main thread; the main
// thread opens, closes and takes what arrived.
class NotificationStream {
public:
    enum class State : std::uint8_t {
        closed,
        connecting,
        watching,
        // The bus could not be reached, refused to let us observe, or went away.
        failed,
    };

    struct Batch {
        State state = State::closed;
        // Oldest first.
        std::vector<InboundActivityRules::Finding> findings;
    };

    virtual ~NotificationStream() = default;

    // Begins observing; after a failure, tries again. Does nothing while
    // connecting or watching.
    virtual void open() = 0;
    // Stops observing and drops what was not taken. Returns at once.
    virtual void close() = 0;
    // What arrived since the last take, and how observing stands now.
    virtual Batch take() = 0;
};
