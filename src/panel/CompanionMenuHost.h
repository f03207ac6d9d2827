#pragma once

#include <QMarginsF>
#include <QWidget>

class AnimatedValue;
class CompanionModel;

// The opened menu as the panel hosts it: a widget beneath the mascot that
// the panel places in its content area as the menu comes and goes. The menu
// itself lives above the panel's layer; the program hands it in.
class CompanionMenuView : public QWidget {
public:
    using QWidget::QWidget;

    // Shows the card at presence (0 gone, 1 fully in; a spring may overshoot)
    // at the top of contentArea, on the side the menu opens to.
    virtual void place(const QRectF& contentArea, bool opensToRight, double presence) = 0;
    // The pointer came onto the mascot (an opening may follow) or left it.
    virtual void mascotHovered(bool /*hovered*/) { }
};

// What the menu reads and sets on the panel that hosts it: the panel owns
// the phases of the rings round the card and its round buttons, and whether
// the task manager's quit-all waits for its confirmation.
class CompanionMenuHost {
public:
    // Padding around the mascot stack inside the panel: the menu's room is
    // the panel's content area within it.
    static constexpr QMarginsF contentPadding{8, 18, 8, 8};

    virtual CompanionModel& model() const = 0;
    virtual const AnimatedValue& borderPhase() const = 0;
    virtual const AnimatedValue& auroraPhase() const = 0;
    virtual const AnimatedValue& pulsePhase() const = 0;
    virtual const AnimatedValue& counterPulsePhase() const = 0;
    virtual void startBorderAnimation() = 0;
    virtual bool confirmQuitAll() const = 0;
    virtual void setConfirmQuitAll(bool confirm) = 0;

protected:
    ~CompanionMenuHost() = default;
};
