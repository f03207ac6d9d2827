#pragma once

#include "platform/Bell.h"

// Counts the rings instead of making a sound.
class FakeBell final : public Bell {
public:
    void ring() override { ++rings; }
    int rings = 0;
};
