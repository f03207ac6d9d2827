#pragma once

#include "ui/AnimatedValue.h"

#include <QImage>
#include <QRectF>
#include <QString>

#include <functional>

class QPainter;

// The one button look of the program: under the pointer a label grows,
// rises 3 points, brightens and glows magenta and violet; held down it
// shrinks. Hover changes spring one way, press changes another, and each
// moves every effect. It adds no text and no hit area to the button.
class VaradiHoverButtonStyle {
public:
    struct Look {
        double scale;
        double lift;       // points upward
        double brightness; // added to each colour channel
        double glow;       // 0 none, 1 both glows at full strength
        friend bool operator==(const Look&, const Look&) = default;
    };
    static Look look(bool hovering, bool pressed);

    static Motion hoverSpring() { return Motion::springMotion(0.24, 0.58); }
    static Motion pressSpring() { return Motion::springMotion(0.15, 0.8); }

    // How far past the label its lift, growth and glows can reach.
    static QRectF reach(const QRectF& labelRect);

    VaradiHoverButtonStyle(AnimationDriver& driver, std::function<void()> repaint);

    void setHovering(bool hovering);
    void setPressed(bool pressed);
    bool hovering() const { return m_hovering; }
    bool pressed() const { return m_pressed; }
    Look current() const;

    // Draws the label's picture (and its brightened twin) with the effects,
    // at its resting place labelRect. A picture that carries a shadow of its
    // own reaches past labelRect: labelOrigin is where its top-left lies
    // relative to labelRect's.
    void paint(QPainter& painter, const QRectF& labelRect, const QImage& label, const QImage& brightLabel,
               QPointF labelOrigin = {}) const;
    // Draws over the label, lifted and grown with it: overlay paints in a
    // rectangle of the label's size at its place.
    using Overlay = std::function<void(QPainter&, const QRectF&)>;
    void paintOverlay(QPainter& painter, const QRectF& labelRect, const Overlay& overlay) const;

private:
    void animateTo(const Motion& motion);
    // Moves the painter to the label's centre, lifted and scaled as it is now.
    void applyLook(QPainter& painter, const QRectF& labelRect, const Look& now) const;

    bool m_hovering = false;
    bool m_pressed = false;
    AnimatedValue m_scale;
    AnimatedValue m_lift;
    AnimatedValue m_brightness;
    AnimatedValue m_glow;
};

// A button painted inside a host widget, in the hover style. The host routes
// the pointer to it and paints it; the label is drawn once into a picture and
// kept until invalidated.
class HoverButtonItem {
public:
    HoverButtonItem(AnimationDriver& driver, std::function<void()> repaint);

    QRectF rect;
    QString toolTip;
    std::function<void()> action;
    // Draws the label into a rectangle of the button's size at the origin.
    std::function<void(QPainter&, const QRectF&)> paintLabel;

    void invalidateLabel() { m_label = {}; }
    const VaradiHoverButtonStyle& style() const { return m_style; }

    void pointerMoved(QPointF position);
    void pointerLeft();
    // Answers whether the press landed on the button.
    bool press(QPointF position);
    // Runs the action when a press on the button is released over it.
    void release(QPointF position);

    void paint(QPainter& painter, qreal devicePixelRatio);

private:
    VaradiHoverButtonStyle m_style;
    QImage m_label;
    QImage m_brightLabel;
};
