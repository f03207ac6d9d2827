#pragma once

#include "platform/Screens.h"

// Monitors and a mouse position that a test sets.
class FakeScreens final : public Screens {
public:
    QList<DesktopScreen> screens() const override { return list; }
    std::optional<DesktopScreen> mainScreen() const override
    {
        if (list.isEmpty())
            return std::nullopt;
        return list.first();
    }
    QPointF mouseLocation() const override { return mouse; }

    // Replaces the monitors and tells listeners, as a display change does.
    void rearrange(const QList<DesktopScreen>& screens)
    {
        list = screens;
        Q_EMIT parametersChanged();
    }

    QList<DesktopScreen> list;
    QPointF mouse;
};
