#pragma once

#include "platform/Bell.h"

// Rings the display's bell (on X11 the server's bell, which the desktop may
// turn into a sound of its theme).
class DisplayBell final : public Bell {
public:
    void ring() override;
};
