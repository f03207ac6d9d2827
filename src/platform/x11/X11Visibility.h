#pragma once

#include "platform/Visibility.h"

#include <QPointer>

#include <xcb/xcb.h>

#include <cstdint>
#include <memory>

class XcbConnection;

// Visibility on X11, over a connection of its own: the screen saver
// extension tells when the screen saver runs or the display is blanked (a
// display put to sleep through DPMS starts the screen saver too); each
// watched window's map state tells when it is hidden; the stack of top-level
// windows tells when other windows wholly cover it (the server's own
// visibility events never say so of translucent windows, which it keeps
// apart; under a compositor windows above may be see-through, but are taken
// as covering); whoever watches the session's locker says when it is locked.
class X11VisibilityMonitoring final : public VisibilityMonitoring {
public:
    X11VisibilityMonitoring();
    ~X11VisibilityMonitoring() override;

    std::unique_ptr<MonitorToken> addVisibilityMonitor(QList<QWidget*> windows,
                                                       std::function<void(bool seen)> handler) override;

    // While the session is locked nothing is seen.
    void setSessionLocked(bool locked);

private:
    class Token;
    struct Window {
        QPointer<QWidget> widget;
        uint32_t id = 0;
        bool viewable = false;
        bool covered = false;
    };
    struct Watcher {
        Token* token;
        QList<Window> windows;
        std::function<void(bool)> handler;
        bool seen;
    };

    bool startListening();
    void watch(Window& window);
    void handle(const xcb_generic_event_t& event);
    // Looks again, soon and once for a burst of changes, at which windows
    // stand over the watched ones.
    void recheckCoverSoon();
    void recheckCover();
    // The top-level window (a child of the root) that holds window.
    xcb_window_t topLevelOf(xcb_window_t window);
    bool seen(const Watcher& watcher) const;
    // Tells every watcher whose answer changed.
    void report();

    std::unique_ptr<XcbConnection> m_connection;
    uint8_t m_screenSaverEvent = 0;
    bool m_screenSaverOn = false;
    bool m_sessionLocked = false;
    bool m_coverCheckPending = false;
    QList<Watcher> m_watchers;
};
