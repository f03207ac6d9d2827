#include "MenuHeader.h"

#include "MenuControls.h"
#include "MenuMetrics.h"
#include "model/CompanionModel.h"

#include <QPainter>

namespace {

// How far the title's widest glow spreads.
constexpr qreal titleGlowReach = 25;
constexpr qreal rowSpacing = 4;

} // namespace

MenuHeader::Title::Title(MenuContext& context) : m_context(context) { setOnScreen(false); }

void MenuHeader::Title::setOnScreen(bool onScreen)
{
    m_title.emplace(m_context.environment, [this] { m_context.canvas.repaintCard(reach()); });
    if (onScreen)
        m_title->start();
}

void MenuHeader::Title::place(QPointF leadingCentre)
{
    m_centre = leadingCentre + QPointF(m_title->textSize().width() / 2, 0);
}

QRectF MenuHeader::Title::rect() const
{
    const QSizeF size = m_title->textSize();
    return QRectF(m_centre - QPointF(size.width() / 2, size.height() / 2), size);
}

QRectF MenuHeader::Title::reach() const
{
    return rect().adjusted(-titleGlowReach, -titleGlowReach, titleGlowReach, titleGlowReach);
}

void MenuHeader::Title::paint(QPainter& painter) { m_title->paint(painter, m_centre); }

std::unique_ptr<MenuButton> headerRoundButton(MenuContext& context, QStringView symbol, qreal symbolSize)
{
    std::unique_ptr<MenuButton> button = makeMenuButton(context);
    button->setShape(MenuButton::Shape::circle);
    const QString name = symbol.toString();
    button->setLabel(
        [name, symbolSize](QPainter& painter, const QRectF& rect) {
            QPainterPath circle;
            circle.addEllipse(rect);
            painter.fillPath(circle, buttonGradient(rect));
            painter.strokePath(circle, QPen(glassButtonRim(rect), 0.9));
            painter.fillPath(symbolAt(name, symbolSize, rect.center()), Qt::white);
        },
        QMarginsF(1, 1, 1, 1));
    MenuCanvas& canvas = context.canvas;
    auto edge = std::make_shared<ElectricEdge>(ElectricEdge::Shape::circle, 1.2);
    button->setPulse(
        [&canvas, edge](QPainter& painter, const QRectF& rect) { edge->paint(painter, rect, canvas.pulsePhase()); });
    return button;
}

MenuHeader::MenuHeader(MenuContext& context) : MenuSection(context), m_title(context)
{
    CompanionModel& model = context.model;
    m_expand = headerRoundButton(context, u"arrow.up.left.and.arrow.down.right", 12);
    m_expand->setNames(QStringLiteral("Expand"), QStringLiteral("Expand"));
    m_expand->setAction(model.openDashboard);

    m_close = headerRoundButton(context, u"xmark", 10.5);
    m_close->setNames(QStringLiteral("Close Vora controls"), QStringLiteral("Close Vora controls"));
    m_close->setAction([&model] {
        model.companionHidden = false;
        model.setMenuOpen(false);
    });
}

qreal MenuHeader::layout(qreal top)
{
    const qreal side = MenuMetrics::headerActionHeight;
    const qreal height = std::max(side, m_title.rect().height());
    const qreal right = MenuContext::columnLeft() + MenuContext::columnWidth();
    const qreal middle = top + height / 2;
    m_title.place(QPointF(MenuContext::columnLeft(), middle));
    m_close->setCardRect(QRectF(right - side, middle - side / 2, side, side));
    m_expand->setCardRect(QRectF(right - side - rowSpacing - side, middle - side / 2, side, side));
    return height;
}

std::vector<MenuPiece*> MenuHeader::pieces() { return {&m_title, m_expand.get(), m_close.get()}; }
