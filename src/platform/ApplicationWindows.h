#pragma once

#include <QList>
#include <QRectF>

#include <functional>
#include <optional>
#include <utility>

// Moving and sizing other applications' top-level windows. Positions are in
// the window-placement space: origin at the primary screen's top-left
// corner, y growing downwards (see DesktopCoordinates).
class ApplicationWindows {
public:
    using WindowId = quint32;
    // The desktop of a window shown on every desktop.
    static constexpr quint32 allDesktops = 0xFFFFFFFF;

    // A window and where the user can see it.
    struct Window {
        WindowId id = 0;
        // The desktop it is on; none when the window manager does not say.
        std::optional<quint32> desktop;
        bool minimised = false;
        bool operator==(const Window&) const = default;
    };

    virtual ~ApplicationWindows() = default;

    // Whether this program may move other applications' windows.
    virtual bool isTrusted() const = 0;
    // The normal windows of these processes together, front-most first;
    // none when they cannot be read.
    virtual std::optional<QList<Window>> describedWindows(const QList<qint32>& processIdentifiers) const = 0;
    std::optional<QList<WindowId>> windows(qint32 processIdentifier) const
    {
        const std::optional<QList<Window>> described = describedWindows({processIdentifier});
        if (!described)
            return std::nullopt;
        QList<WindowId> ids;
        for (const Window& window : *described)
            ids.append(window.id);
        return ids;
    }
    // The desktop in view; none when the window manager does not say.
    virtual std::optional<quint32> currentDesktop() const = 0;
    // Windows and the rectangles they go to, decoration included.
    using Frames = QList<std::pair<WindowId, QRectF>>;
    // Takes each window out of its maximised and full-screen states and puts
    // it on its rectangle, all of them at once. done runs later, never
    // inside this call, once every window is there or the window manager
    // kept it waiting too long (about a second at most), told how many
    // landed; a window that is not managed does not land.
    virtual void place(Frames frames, std::function<void(int landed)> done) = 0;
    // Raises the window and gives it the focus; false when it is not a
    // managed window.
    virtual bool activate(WindowId window) = 0;
    // Asks the window to close, as its close button would; false when it is
    // not a managed window.
    virtual bool close(WindowId window) = 0;
};
