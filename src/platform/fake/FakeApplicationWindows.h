#pragma once

#include "platform/ApplicationWindows.h"

#include <QHash>
#include <QSet>

#include <algorithm>

// Scripted windows per process; moves and sizes are stored per window, in
// the order they were asked for.
class FakeApplicationWindows final : public ApplicationWindows {
public:
    struct Placement {
        WindowId window = 0;
        std::optional<QPointF> position;
        std::optional<QSizeF> size;
        bool operator==(const Placement&) const = default;
    };

    bool trusted = true;
    // Front-most first. A process missing here has no readable window list.
    QHash<qint32, QList<WindowId>> windowsOfProcess;
    std::optional<quint32> desktopInView = 0;
    // Windows elsewhere than on the desktop in view.
    QHash<WindowId, quint32> desktopOf;
    QSet<WindowId> minimised;
    // Windows that refuse to be moved or sized.
    QSet<WindowId> fixedWindows;
    QList<Placement> placements;
    QList<WindowId> closeRequests;
    QList<WindowId> activations;

    bool isTrusted() const override { return trusted; }

    std::optional<QList<Window>> describedWindows(qint32 processIdentifier) const override
    {
        const auto found = windowsOfProcess.constFind(processIdentifier);
        if (found == windowsOfProcess.constEnd())
            return std::nullopt;
        QList<Window> described;
        for (const WindowId window : *found) {
            const auto desktop = desktopOf.constFind(window);
            described.append(
                {window, desktop == desktopOf.constEnd() ? desktopInView : *desktop, minimised.contains(window)});
        }
        return described;
    }

    std::optional<quint32> currentDesktop() const override { return desktopInView; }

    bool setPosition(WindowId window, const QPointF& topLeft) override
    {
        placements.append({window, topLeft, std::nullopt});
        return !fixedWindows.contains(window);
    }

    bool setSize(WindowId window, const QSizeF& size) override
    {
        placements.append({window, std::nullopt, size});
        return !fixedWindows.contains(window);
    }

    bool activate(WindowId window) override
    {
        activations.append(window);
        return std::any_of(windowsOfProcess.cbegin(), windowsOfProcess.cend(),
                           [&](const QList<WindowId>& windows) { return windows.contains(window); });
    }

    // A closed window leaves its process's list.
    bool close(WindowId window) override
    {
        closeRequests.append(window);
        for (QList<WindowId>& windows : windowsOfProcess) {
            if (windows.removeOne(window))
                return true;
        }
        return false;
    }
};
