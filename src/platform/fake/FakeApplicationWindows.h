#pragma once

#include "platform/ApplicationWindows.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <utility>

// Scripted windows per process; placements are stored in the order they
// were asked for, and their completions wait until the test delivers them.
class FakeApplicationWindows final : public ApplicationWindows {
public:
    struct Placement {
        WindowId window = 0;
        QRectF frame;
        bool operator==(const Placement&) const = default;
    };

    bool trusted = true;
    // Front-most first. A process missing here has no readable window list.
    QHash<qint32, QList<WindowId>> windowsOfProcess;
    // Front-most first over all processes; windows missing here come after
    // those listed, in their process's order.
    QList<WindowId> stacking;
    std::optional<quint32> desktopInView = 0;
    // Windows elsewhere than on the desktop in view.
    QHash<WindowId, quint32> desktopOf;
    QSet<WindowId> minimised;
    // Windows that do not land where they are placed.
    QSet<WindowId> fixedWindows;
    QList<Placement> placements;
    QList<WindowId> closeRequests;
    QList<WindowId> activations;

    bool isTrusted() const override { return trusted; }

    std::optional<QList<Window>> describedWindows(const QList<qint32>& processIdentifiers) const override
    {
        QList<Window> described;
        for (const qint32 process : processIdentifiers) {
            const auto found = windowsOfProcess.constFind(process);
            if (found == windowsOfProcess.constEnd())
                return std::nullopt;
            for (const WindowId window : *found) {
                const auto desktop = desktopOf.constFind(window);
                described.append(
                    {window, desktop == desktopOf.constEnd() ? desktopInView : *desktop, minimised.contains(window)});
            }
        }
        const auto depth = [&](const Window& window) {
            const qsizetype index = stacking.indexOf(window.id);
            return index < 0 ? stacking.size() : index;
        };
        std::stable_sort(described.begin(), described.end(),
                         [&](const Window& one, const Window& other) { return depth(one) < depth(other); });
        return described;
    }

    std::optional<quint32> currentDesktop() const override { return desktopInView; }

    void place(Frames frames, std::function<void(int landed)> done) override
    {
        int landed = 0;
        for (const auto& [window, frame] : frames) {
            placements.append({window, frame});
            landed += !fixedWindows.contains(window);
        }
        m_pending.append([done = std::move(done), landed] { done(landed); });
    }

    void finishPlacements()
    {
        for (const auto& complete : std::exchange(m_pending, {}))
            complete();
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

private:
    QList<std::function<void()>> m_pending;
};
