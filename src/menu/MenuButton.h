#pragma once

#include "MenuSection.h"
#include "panel/VaradiHoverButtonStyle.h"

#include <QAbstractButton>
#include <QPainterPath>

#include <functional>

// One control of the opened menu. The widget takes the pointer, carries the
// tooltip and the accessible name and offers its press to assistive
// technology, but paints nothing itself: the card paints its label in the
// hover style, whose lift and glows reach past the control. Only its shape
// takes presses; around it they fall through to the card.
class MenuButton final : public QAbstractButton, public MenuPiece {
    Q_OBJECT

public:
    enum class Shape { capsule, circle };

    MenuButton(MenuCanvas& canvas, AnimationDriver& animations, QWidget* parent);

    void setShape(Shape shape);
    // The accessible name, and the tooltip (none when empty).
    void setNames(const QString& accessibleName, const QString& toolTip);
    // The label, drawn once into a picture of its size grown by overflow
    // (for shadows of its own).
    void setLabel(MenuPicture::Draw draw, QMarginsF overflow = {});
    // Drawn over the label with the rings' pulse, lifted and grown with it.
    void setPulse(VaradiHoverButtonStyle::Overlay pulse);
    void setAction(std::function<void()> action);
    // A context menu of one item.
    void setContextAction(const QString& title, std::function<void()> action);
    // Where it rests, in card points; set again, it places the widget anew
    // in its parent as that stands now.
    void setCardRect(const QRectF& rect);
    const QRectF& cardRect() const { return m_cardRect; }

    // Draws something of its owner's over the label as it shows now, lifted
    // and grown with it (what changes on its own, unlike the label).
    void paintOver(QPainter& painter, const VaradiHoverButtonStyle::Overlay& overlay) const;

    const QString& contextActionTitle() const { return m_contextTitle; }
    void runContextAction() const;

    QRectF reach() const override;
    void paint(QPainter& painter) override;
    std::vector<QRectF> pulsingArea() const override;
    void paintPulse(QPainter& painter) override;

protected:
    void paintEvent(QPaintEvent*) override { }
    bool hitButton(const QPoint& position) const override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QPainterPath shapeIn(const QRectF& rect) const;
    void placeWidget();
    void repaintOnCard();

    MenuCanvas& m_canvas;
    VaradiHoverButtonStyle m_style;
    Shape m_shape = Shape::capsule;
    QRectF m_cardRect;
    // The resting rectangle within the widget, whose corners are whole pixels.
    QRectF m_localRect;
    MenuPicture::Draw m_drawLabel;
    QMarginsF m_overflow;
    QImage m_label;
    QImage m_brightLabel;
    VaradiHoverButtonStyle::Overlay m_pulse;
    std::function<void()> m_action;
    QString m_contextTitle;
    std::function<void()> m_contextAction;
};
