#include "MenuButton.h"

#include "MenuLooks.h"
#include "ui/GlowCache.h"
#include "ui/ImageEffects.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QtMath>

MenuButton::MenuButton(MenuCanvas& canvas, AnimationDriver& animations, QWidget* parent)
    : QAbstractButton(parent), m_canvas(canvas), m_style(animations, [this] { repaintOnCard(); })
{
    // The panel never takes the focus, and neither do its controls.
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractButton::pressed, this, [this] { m_style.setPressed(true); });
    connect(this, &QAbstractButton::released, this, [this] { m_style.setPressed(false); });
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (m_action)
            m_action();
    });
}

void MenuButton::setShape(Shape shape)
{
    m_shape = shape;
    placeWidget();
}

void MenuButton::setNames(const QString& accessibleName, const QString& toolTip)
{
    setAccessibleName(accessibleName);
    setToolTip(toolTip);
}

void MenuButton::setLabel(MenuPicture::Draw draw, QMarginsF overflow)
{
    m_drawLabel = std::move(draw);
    m_overflow = overflow;
    m_label = {};
    m_brightLabel = {};
    repaintOnCard();
}

void MenuButton::setPulse(VaradiHoverButtonStyle::Overlay pulse) { m_pulse = std::move(pulse); }

void MenuButton::setAction(std::function<void()> action) { m_action = std::move(action); }

void MenuButton::setContextAction(const QString& title, std::function<void()> action)
{
    m_contextTitle = title;
    m_contextAction = std::move(action);
}

void MenuButton::runContextAction() const
{
    if (m_contextAction)
        m_contextAction();
}

void MenuButton::setCardRect(const QRectF& rect)
{
    if (rect == m_cardRect) {
        // The same place on the card lies elsewhere in a parent that has
        // moved or been changed (a scrolling window's viewport).
        placeWidget();
        return;
    }
    if (rect.size() != m_cardRect.size()) {
        m_label = {};
        m_brightLabel = {};
    }
    repaintOnCard();
    m_cardRect = rect;
    placeWidget();
    repaintOnCard();
}

void MenuButton::placeWidget()
{
    QWidget* parent = parentWidget();
    if (!parent || m_cardRect.isEmpty())
        return;
    const QPointF inCanvas = m_canvas.cardOrigin() + m_cardRect.topLeft();
    const QPoint whole(qFloor(inCanvas.x()), qFloor(inCanvas.y()));
    const QRectF inParent(QPointF(parent->mapFrom(&m_canvas.controlParent(), whole)) + (inCanvas - QPointF(whole)),
                          m_cardRect.size());
    const QRect aligned = inParent.toAlignedRect();
    setGeometry(aligned);
    m_localRect = inParent.translated(-QPointF(aligned.topLeft()));
    setMask(QRegion(shapeIn(m_localRect).toFillPolygon().toPolygon()));
}

QPainterPath MenuButton::shapeIn(const QRectF& rect) const
{
    if (m_shape == Shape::capsule)
        return capsulePath(rect);
    QPainterPath circle;
    circle.addEllipse(rect);
    return circle;
}

bool MenuButton::hitButton(const QPoint& position) const { return shapeIn(m_localRect).contains(QPointF(position)); }

void MenuButton::enterEvent(QEnterEvent* event)
{
    m_style.setHovering(true);
    QAbstractButton::enterEvent(event);
}

void MenuButton::leaveEvent(QEvent* event)
{
    m_style.setHovering(false);
    QAbstractButton::leaveEvent(event);
}

void MenuButton::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_contextAction) {
        event->ignore();
        return;
    }
    // Not a nested event loop: the action may remove this very control.
    auto* menu = new QMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(m_contextTitle, menu, m_contextAction);
    menu->popup(event->globalPos());
}

QRectF MenuButton::reach() const { return VaradiHoverButtonStyle::reach(m_cardRect + m_overflow); }

std::vector<QRectF> MenuButton::pulsingArea() const
{
    if (!m_pulse)
        return {};
    // At rest only its edge turns; lifted and grown, all of it may have moved.
    if (m_style.current() != VaradiHoverButtonStyle::look(false, false))
        return {reach()};
    return {m_cardRect.adjusted(-1, -1, 1, 1)};
}

void MenuButton::repaintOnCard() { m_canvas.repaintCard(reach()); }

void MenuButton::paint(QPainter& painter)
{
    if (m_cardRect.isEmpty())
        return;
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    if (m_label.isNull() || m_label.devicePixelRatio() != dpr) {
        m_label = transparentImage((m_cardRect + m_overflow).size(), dpr);
        m_brightLabel = {};
        if (m_drawLabel) {
            QPainter label(&m_label);
            label.setRenderHint(QPainter::Antialiasing);
            label.setRenderHint(QPainter::TextAntialiasing);
            label.setRenderHint(QPainter::SmoothPixmapTransform);
            label.translate(m_overflow.left(), m_overflow.top());
            m_drawLabel(label, QRectF(QPointF(0, 0), m_cardRect.size()));
        }
    }
    // The brightened twin is only needed once the pointer has come.
    if (m_brightLabel.isNull() && m_style.current().brightness > 0)
        m_brightLabel = brightened(m_label, 0.12);
    m_style.paint(painter, m_cardRect, m_label, m_brightLabel, QPointF(-m_overflow.left(), -m_overflow.top()));
}

void MenuButton::paintPulse(QPainter& painter)
{
    if (m_pulse && !m_cardRect.isEmpty())
        m_style.paintOverlay(painter, m_cardRect, m_pulse);
}

void MenuButton::paintOver(QPainter& painter, const VaradiHoverButtonStyle::Overlay& overlay) const
{
    if (!m_cardRect.isEmpty())
        m_style.paintOverlay(painter, m_cardRect, overlay);
}
