#pragma once

#include "platform/ApplicationWindows.h"

#include <QHash>
#include <QSet>

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
    // Windows that refuse to be moved or sized.
    QSet<WindowId> fixedWindows;
    QList<Placement> placements;
    QList<WindowId> closeRequests;

    bool isTrusted() const override { return trusted; }

    std::optional<QList<WindowId>> windows(qint32 processIdentifier) const override
    {
        const auto found = windowsOfProcess.constFind(processIdentifier);
        if (found == windowsOfProcess.constEnd())
            return std::nullopt;
        return *found;
    }

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
