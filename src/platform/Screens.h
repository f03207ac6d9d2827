#pragma once

#include <QList>
#include <QObject>
#include <QPointF>
#include <QRectF>

#include <optional>

// One monitor, in the companion's bottom-left-origin screen points.
struct DesktopScreen {
    QRectF frame;
    // The frame less the desktop's panels and docks.
    QRectF visibleFrame;
    // Tells monitors apart; two screens without one count as the same display.
    std::optional<quint32> displayNumber;

    friend bool operator==(const DesktopScreen&, const DesktopScreen&) = default;
};

// The screen a window stands on: the one whose frame holds the largest part
// of the window's frame; none when the window is on no screen at all.
std::optional<DesktopScreen> screenHolding(const QRectF& windowFrame, const QList<DesktopScreen>& screens);

// The monitors of the desktop and the mouse over them.
class Screens : public QObject {
    Q_OBJECT
public:
    // In the desktop's order; the primary screen comes first.
    virtual QList<DesktopScreen> screens() const = 0;
    // The screen the user works on by default (the primary one); none when
    // there is no screen.
    virtual std::optional<DesktopScreen> mainScreen() const = 0;
    virtual QPointF mouseLocation() const = 0;

Q_SIGNALS:
    // Monitors were added, removed, moved or resized, or their visible
    // frames changed.
    void parametersChanged();
};
