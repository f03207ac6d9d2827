#pragma once

#include <QList>
#include <QPointF>
#include <QSizeF>

#include <optional>

// Moving and sizing other applications' top-level windows. Positions are in
// the window-placement space: origin at the primary screen's top-left
// corner, y growing downwards (see DesktopCoordinates).
class ApplicationWindows {
public:
    using WindowId = quint32;
    virtual ~ApplicationWindows() = default;

    // Whether this program may move other applications' windows.
    virtual bool isTrusted() const = 0;
    // The application's normal windows, front-most first; none when they
    // cannot be read.
    virtual std::optional<QList<WindowId>> windows(qint32 processIdentifier) const = 0;
    virtual bool setPosition(WindowId window, const QPointF& topLeft) = 0;
    virtual bool setSize(WindowId window, const QSizeF& size) = 0;
    // Asks the window to close, as its close button would; false when it is
    // not a managed window.
    virtual bool close(WindowId window) = 0;
};
