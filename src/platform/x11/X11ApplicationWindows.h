#pragma once

#include "platform/ApplicationWindows.h"
#include "platform/x11/WindowPlacement.h"

#include <QTimer>

#include <list>
#include <memory>
#include <vector>

class EwmhClients;
class XcbConnection;

// Other applications' managed windows, moved and sized through the window
// manager so that the whole window, decoration included, lands on the asked
// rectangle. Placement follows the window manager's answers from the event
// loop; it never waits on the connection.
class X11ApplicationWindows final : public ApplicationWindows {
public:
    // Works only with an X server; without one nothing can be read or moved.
    X11ApplicationWindows();
    ~X11ApplicationWindows() override;

    bool isTrusted() const override;
    std::optional<QList<Window>> describedWindows(const QList<qint32>& processIdentifiers) const override;
    std::optional<quint32> currentDesktop() const override;
    void place(Frames frames, std::function<void(int landed)> done) override;
    bool activate(WindowId window) override;
    bool close(WindowId window) override;

private:
    // Windows placed together, and who waits for them.
    struct Batch {
        std::vector<std::unique_ptr<WindowPlacement>> windows;
        std::function<void(int landed)> done;
    };

    bool isManaged(WindowId window) const;
    bool isPlacing(xcb_window_t window) const;
    void watch(xcb_window_t window, bool watched);
    void finishBatches();

    std::unique_ptr<XcbConnection> m_connection;
    std::unique_ptr<EwmhClients> m_clients;
    std::list<Batch> m_batches;
    // Answers the batches whose windows are all through, from the event loop.
    QTimer m_finishing;
};
