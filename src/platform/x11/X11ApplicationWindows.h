#pragma once

#include "platform/ApplicationWindows.h"

#include <memory>

class EwmhClients;
class XcbConnection;

// Other applications' managed windows, moved and sized through the window
// manager so that the whole window, decoration included, lands on the asked
// rectangle.
class X11ApplicationWindows final : public ApplicationWindows {
public:
    // Works only with an X server; without one nothing can be read or moved.
    X11ApplicationWindows();
    ~X11ApplicationWindows() override;

    bool isTrusted() const override;
    std::optional<QList<Window>> describedWindows(const QList<qint32>& processIdentifiers) const override;
    std::optional<quint32> currentDesktop() const override;
    bool place(WindowId window, const QRectF& frame) override;
    bool activate(WindowId window) override;
    bool close(WindowId window) override;

private:
    bool isManaged(WindowId window) const;
    bool sizedByWindowManager(WindowId window) const;

    std::unique_ptr<XcbConnection> m_connection;
    std::unique_ptr<EwmhClients> m_clients;
    // The window whose decoration the window manager wrote last, while one
    // is placed.
    WindowId m_redecorated = 0;
};
