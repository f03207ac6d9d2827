#pragma once

#include "MenuApplications.h"
#include "model/CompanionEdition.h"
#include "ui/ViewEnvironment.h"

#include <QImage>
#include <QMarginsF>
#include <QRectF>

#include <functional>
#include <vector>

class CompanionModel;
class CompanionMenuHost;
class QPainter;
class QWidget;

// The card the menu's rows are painted on, as the rows see it. Positions are
// card points: the card's top-left is the origin.
class MenuCanvas {
public:
    virtual ~MenuCanvas() = default;

    // The widget the rows place their controls in, and where the card's
    // top-left lies in it.
    virtual QWidget& controlParent() = 0;
    virtual QPointF cardOrigin() const = 0;
    virtual qreal devicePixelRatio() const = 0;
    // The rings' pulse phase in degrees, as the frame being painted shows it.
    virtual double pulsePhase() const = 0;
    // Paints rect again.
    virtual void repaintCard(const QRectF& rect) = 0;
    // A row's height changed: lays the rows out again.
    virtual void relayout() = 0;
    // The tallest the card can stand in the panel that shows it; what is
    // laid out below that is cut off.
    virtual qreal maximumCardHeight() const = 0;
};

// What every row and panel of the menu is built from.
struct MenuContext {
    CompanionModel& model;
    // The panel's root view: the ring phases and the view state the menus share.
    CompanionMenuHost& host;
    CompanionEdition edition;
    const ViewEnvironment& environment;
    const MenuApplications& applications;
    MenuCanvas& canvas;

    // The card's content column: inside the padding, all rows share its width.
    static qreal columnLeft();
    static qreal columnWidth();
    // The room from top down to the card's bottom padding in the panel as it stands.
    qreal roomBelow(qreal top) const;
};

// Something a row paints on the card.
class MenuPiece {
public:
    virtual ~MenuPiece() = default;
    // Where it may paint, in card points.
    virtual QRectF reach() const = 0;
    // Paints it, the painter in card points.
    virtual void paint(QPainter& painter) = 0;
    // The part that changes with the rings' pulse and so wants every frame,
    // in card points; none for a still piece. paint() leaves it out, and
    // paintPulse() draws it over what paint() drew.
    virtual std::vector<QRectF> pulsingArea() const { return {}; }
    virtual void paintPulse(QPainter&) { }
};

// A still picture: drawn once into an image, at its size plus overflow for
// its own shadows, and then only moved.
class MenuPicture final : public MenuPiece {
public:
    using Draw = std::function<void(QPainter& painter, const QRectF& rect)>;

    explicit MenuPicture(Draw draw = {}, QMarginsF overflow = {});

    void setDraw(Draw draw, QMarginsF overflow = {});
    void setRect(const QRectF& rect);
    const QRectF& rect() const { return m_rect; }

    QRectF reach() const override { return m_rect + m_overflow; }
    void paint(QPainter& painter) override;

private:
    Draw m_draw;
    QMarginsF m_overflow;
    QRectF m_rect;
    QImage m_image;
};

// One row of the menu's column, or a block of its body. It builds its
// pieces and controls from the model, lays them out and paints them.
class MenuSection {
public:
    explicit MenuSection(MenuContext& context) : m_context(context) { }
    virtual ~MenuSection() = default;
    MenuSection(const MenuSection&) = delete;
    MenuSection& operator=(const MenuSection&) = delete;

    // Reads what it shows from the model again; answers whether that changed.
    virtual bool refresh() { return false; }
    // The card is prepared before it comes on screen: what animates or ticks
    // by itself starts when it comes and stops when it goes.
    virtual void setOnScreen(bool) { }
    // Places itself in the column from top down; answers its height.
    virtual qreal layout(qreal top) = 0;
    // The same across only the column's first width points (a block beside
    // a scroll thumb). A section that cannot narrow spans the whole column.
    virtual qreal layoutAcross(qreal top, qreal /*width*/) { return layout(top); }
    // Paints what reaches into dirty (card points).
    virtual void paint(QPainter& painter, const QRectF& dirty);
    // What it paints, back to front.
    virtual std::vector<MenuPiece*> pieces() = 0;

protected:
    MenuContext& context() const { return m_context; }

private:
    MenuContext& m_context;
};

// Sections stacked in a column, spacing apart; answers the height they take.
// A section that takes no room takes no spacing.
qreal stackSections(const std::vector<MenuSection*>& sections, qreal top, qreal spacing);
