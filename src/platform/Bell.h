#pragma once

// The desktop's alert sound, rung when an action the user asked for fails.
class Bell {
public:
    virtual ~Bell() = default;
    virtual void ring() = 0;
};
