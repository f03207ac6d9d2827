#pragma once

#include "platform/MouseMonitor.h"

#include <QList>

#include <memory>

class XcbConnection;

// Mouse-button presses anywhere on the desktop, from XInput2 raw button
// events on the root window (they reach every listener, even during another
// client's pointer grab). A press whose pointer lies over one of this
// program's windows is not reported.
class X11MouseMonitoring final : public MouseMonitoring {
public:
    X11MouseMonitoring();
    ~X11MouseMonitoring() override;

    std::unique_ptr<MonitorToken> addGlobalMouseDownMonitor(std::function<void()> handler) override;

private:
    class Token;
    struct Listener {
        Token* token;
        std::function<void()> handler;
    };

    bool startListening();
    void handlePress();
    bool pointerIsOverOwnWindow();

    std::unique_ptr<XcbConnection> m_connection;
    uint8_t m_inputExtension = 0;
    QList<Listener> m_listeners;
};
