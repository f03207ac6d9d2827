#include "VaradiHoverButtonStyle.h"

#include "model/BrandColors.h"
#include "ui/GlowCache.h"
#include "ui/ImageEffects.h"

#include <QPainter>

#include <algorithm>

namespace {

constexpr double hoverScale = 1.075;
constexpr double pressedScale = 0.94;
constexpr double hoverLift = 3;
constexpr double hoverBrightness = 0.12;

struct Shadow {
    double opacity;
    double radius;
    double offsetY;
};
constexpr Shadow magentaGlow{0.5, 11, 4};
constexpr Shadow violetGlow{0.28, 16, 6};

} // namespace

VaradiHoverButtonStyle::Look VaradiHoverButtonStyle::look(bool hovering, bool pressed)
{
    return {
        .scale = pressed ? pressedScale
            : hovering   ? hoverScale
                         : 1.0,
        .lift = hovering && !pressed ? hoverLift : 0.0,
        .brightness = hovering ? hoverBrightness : 0.0,
        .glow = hovering ? 1.0 : 0.0,
    };
}

QRectF VaradiHoverButtonStyle::reach(const QRectF& labelRect)
{
    const double grow = std::max(labelRect.width(), labelRect.height()) * (hoverScale - 1);
    const double spread = violetGlow.radius * 2.5;
    return labelRect.adjusted(-spread - grow, -spread - grow - hoverLift, spread + grow,
                              spread + grow + violetGlow.offsetY);
}

VaradiHoverButtonStyle::VaradiHoverButtonStyle(AnimationDriver& driver, std::function<void()> repaint)
    : m_scale(driver, 1, repaint), m_lift(driver, 0, repaint), m_brightness(driver, 0, repaint),
      m_glow(driver, 0, repaint)
{
}

void VaradiHoverButtonStyle::setHovering(bool hovering)
{
    if (hovering == m_hovering)
        return;
    m_hovering = hovering;
    animateTo(hoverSpring());
}

void VaradiHoverButtonStyle::setPressed(bool pressed)
{
    if (pressed == m_pressed)
        return;
    m_pressed = pressed;
    animateTo(pressSpring());
}

void VaradiHoverButtonStyle::animateTo(const Motion& motion)
{
    const Look target = look(m_hovering, m_pressed);
    m_scale.set(target.scale, motion);
    m_lift.set(target.lift, motion);
    m_brightness.set(target.brightness, motion);
    m_glow.set(target.glow, motion);
}

VaradiHoverButtonStyle::Look VaradiHoverButtonStyle::current() const
{
    return {m_scale.value(), m_lift.value(), m_brightness.value(), m_glow.value()};
}

void VaradiHoverButtonStyle::applyLook(QPainter& painter, const QRectF& labelRect, const Look& now) const
{
    painter.translate(labelRect.center() + QPointF(0, -now.lift));
    painter.scale(now.scale, now.scale);
}

void VaradiHoverButtonStyle::paintOverlay(QPainter& painter, const QRectF& labelRect, const Overlay& overlay) const
{
    painter.save();
    applyLook(painter, labelRect, current());
    overlay(painter, QRectF(QPointF(-labelRect.width() / 2, -labelRect.height() / 2), labelRect.size()));
    painter.restore();
}

void VaradiHoverButtonStyle::paint(QPainter& painter, const QRectF& labelRect, const QImage& label,
                                   const QImage& brightLabel, QPointF labelOrigin) const
{
    const Look now = current();
    painter.save();
    applyLook(painter, labelRect, now);
    const QPointF topLeft = QPointF(-labelRect.width() / 2, -labelRect.height() / 2) + labelOrigin;
    const double glow = std::clamp(now.glow, 0.0, 1.0);
    if (glow > 0) {
        GlowCache& glows = GlowCache::shared();
        glows.paint(painter, label, topLeft, violetGlow.radius, lumivoViolet(), violetGlow.opacity * glow,
                    QPointF(0, violetGlow.offsetY));
        glows.paint(painter, label, topLeft, magentaGlow.radius, lumivoMagenta(), magentaGlow.opacity * glow,
                    QPointF(0, magentaGlow.offsetY));
    }
    painter.drawImage(topLeft, label);
    const double bright = std::clamp(now.brightness / hoverBrightness, 0.0, 1.0);
    if (bright > 0 && !brightLabel.isNull()) {
        const qreal outer = painter.opacity();
        painter.setOpacity(outer * bright);
        painter.drawImage(topLeft, brightLabel);
        painter.setOpacity(outer);
    }
    painter.restore();
}

HoverButtonItem::HoverButtonItem(AnimationDriver& driver, std::function<void()> repaint)
    : m_style(driver, std::move(repaint))
{
}

void HoverButtonItem::pointerMoved(QPointF position) { m_style.setHovering(rect.contains(position)); }

void HoverButtonItem::pointerLeft() { m_style.setHovering(false); }

bool HoverButtonItem::press(QPointF position)
{
    if (!rect.contains(position))
        return false;
    m_style.setPressed(true);
    return true;
}

void HoverButtonItem::release(QPointF position)
{
    if (!m_style.pressed())
        return;
    m_style.setPressed(false);
    if (rect.contains(position) && action)
        action();
}

void HoverButtonItem::paint(QPainter& painter, qreal devicePixelRatio)
{
    if (m_label.isNull() || m_label.devicePixelRatio() != devicePixelRatio
        || m_label.deviceIndependentSize() != rect.size()) {
        m_label = transparentImage(rect.size(), devicePixelRatio);
        if (paintLabel) {
            QPainter labelPainter(&m_label);
            labelPainter.setRenderHint(QPainter::Antialiasing);
            labelPainter.setRenderHint(QPainter::TextAntialiasing);
            paintLabel(labelPainter, QRectF(QPointF(0, 0), rect.size()));
        }
        m_brightLabel = brightened(m_label, 0.12);
    }
    m_style.paint(painter, rect, m_label, m_brightLabel);
}
