#include "UsagePill.h"

#include "UsageFigures.h"
#include "menu/MenuControls.h"
#include "menu/MenuLayout.h"
#include "model/CompanionModel.h"
#include "ui/FittedText.h"

#include <QPainter>

namespace {

constexpr qreal boltLeft = 8;
constexpr qreal boltRoom = EnergyBoltIcon::size + 4;
constexpr qreal pillHeight = 20;
constexpr qreal pillSpacing = 5;
constexpr qreal chevronRoom = 16;
// How far the bolt's burst reaches from its centre.
constexpr qreal boltReach = 17;

// One agent's pill: a dim track lit with the brand gradient as far as what is left.
void paintAgentPill(QPainter& painter, const QRectF& rect, const QString& text, std::optional<int> left)
{
    const QPainterPath capsule = capsulePath(rect);
    painter.fillPath(capsule, whiteAt(0.08));
    if (left && *left > 0) {
        painter.save();
        painter.setClipRect(QRectF(rect.topLeft(), QSizeF(rect.width() * *left / 100.0, rect.height())));
        painter.fillPath(capsule, primaryBrandGradient(rect));
        painter.restore();
    }
    painter.strokePath(capsule, QPen(whiteAt(0.26), 0.8));
    paintWithShadows(painter, rect, {{QColor::fromRgbF(0, 0, 0, 0.45), 1, {0, 1}}}, [&](QPainter& p) {
        drawLine(p, rect.adjusted(6, 0, -6, 0), text, compactTitleFont(), 0.7, Qt::AlignHCenter, menuText());
    });
}

} // namespace

QString UsagePill::agentText(const QString& name, std::optional<int> percentLeft)
{
    return name + u' ' + (percentLeft ? QString::number(*percentLeft) + u'%' : QStringLiteral("\u2014"));
}

UsagePill::UsagePill(MenuContext& context)
    : MenuSection(context), m_usage(context.model.agentUsage.get()), m_button(makeMenuButton(context)),
      m_bolt(context, *m_button)
{
    m_button->setShape(MenuButton::Shape::capsule);
    m_button->setNames(QStringLiteral("AI usage"), toolTip);
    CompanionModel& model = context.model;
    m_button->setAction([&model] {
        withPanelAnimation(model, [&] {
            model.usagePanelOpen = !model.usagePanelOpen;
            model.googlePanelOpen = false;
            model.layoutPanelOpen = false;
        });
    });
    dress();
}

void UsagePill::dress()
{
    std::optional<int> claude;
    std::optional<int> codex;
    if (m_usage) {
        claude = UsageFigures::tightestPercentLeft(m_usage->claude);
        codex = UsageFigures::tightestPercentLeft(m_usage->codex);
    }
    m_button->setLabel(
        [claude, codex](QPainter& painter, const QRectF& rect) {
            paintTileCapsule(painter, rect);
            const QRectF pills(rect.left() + boltLeft + boltRoom, rect.center().y() - pillHeight / 2,
                               rect.width() - boltLeft - boltRoom - chevronRoom, pillHeight);
            const std::vector<QRectF> places = equalTiles(pills, 2, pillSpacing);
            paintAgentPill(painter, places[0], agentText(QStringLiteral("Claude"), claude), claude);
            paintAgentPill(painter, places[1], agentText(QStringLiteral("Codex"), codex), codex);
            painter.fillPath(
                symbolAt(u"chevron.right", 10, QPointF(rect.right() - chevronRoom / 2 - 2, rect.center().y())),
                menuSecondary());
        },
        QMarginsF(1, 1, 1, 1));
}

bool UsagePill::refresh()
{
    if (context().model.agentUsage.get() == m_usage)
        return false;
    m_usage = context().model.agentUsage;
    dress();
    return false;
}

void UsagePill::setOnScreen(bool onScreen) { m_bolt.setOnScreen(onScreen); }

qreal UsagePill::layout(qreal top) { return layoutAcross(top, MenuContext::columnWidth()); }

qreal UsagePill::layoutAcross(qreal top, qreal width)
{
    m_button->setCardRect(QRectF(MenuContext::columnLeft(), top, width, height));
    return height;
}

std::vector<MenuPiece*> UsagePill::pieces() { return {m_button.get(), &m_bolt}; }

UsagePill::Bolt::Bolt(MenuContext& context, const MenuButton& button) : m_context(context), m_button(button)
{
    setOnScreen(false);
}

void UsagePill::Bolt::setOnScreen(bool onScreen)
{
    // A new bolt, gathered and still, each time the card comes on screen.
    m_icon.emplace(m_context.environment, [this] { m_context.canvas.repaintCard(reach()); });
    if (onScreen)
        m_icon->start();
}

QPointF UsagePill::Bolt::centreIn(const QRectF& buttonRect) const
{
    return QPointF(buttonRect.left() + boltLeft + boltRoom / 2, buttonRect.center().y());
}

QRectF UsagePill::Bolt::reach() const
{
    // Where it rests, and where it goes as its button is lifted and grown or pressed.
    const QRectF button = m_button.cardRect();
    const QPointF resting = centreIn(button);
    QRectF reach(resting - QPointF(boltReach, boltReach), QSizeF(2 * boltReach, 2 * boltReach));
    for (const bool pressed : {false, true}) {
        const VaradiHoverButtonStyle::Look look = VaradiHoverButtonStyle::look(true, pressed);
        const QPointF moved = button.center() + (resting - button.center()) * look.scale - QPointF(0, look.lift);
        const qreal radius = boltReach * look.scale;
        reach |= QRectF(moved - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius));
    }
    return reach;
}

void UsagePill::Bolt::paint(QPainter& painter)
{
    m_button.paintOver(painter, [this](QPainter& p, const QRectF& rect) { m_icon->paint(p, centreIn(rect)); });
}
