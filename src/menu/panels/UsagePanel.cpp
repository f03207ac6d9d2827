#include "UsagePanel.h"

#include "UsageFigures.h"
#include "menu/MenuLayout.h"
#include "model/BrandColors.h"
#include "ui/FittedText.h"
#include "ui/Timing.h"

#include <QFontMetricsF>
#include <QPainter>

#include <array>

namespace {

constexpr QMarginsF blockPadding{10, 8, 10, 8};
constexpr qreal cardRadius = 12;
constexpr qreal nameSpacing = 6;
constexpr qreal barHeight = 5;
constexpr qreal barGap = 3;
constexpr qreal limitSpacing = 6;
constexpr qreal sectionSpacing = 7;
constexpr qreal modelsSpacing = 5;
constexpr qreal waitingHeight = 40;
constexpr QMarginsF badgePadding{6, 2, 6, 2};

QFont nameFont() { return systemFont(11.5, QFont::Bold); }
QFont labelFont() { return systemFont(9, QFont::DemiBold); }
QFont figureFont() { return systemFont(9, QFont::Bold); }
QFont captionFont() { return trackedFont(7.5, QFont::Black, 0.5); }
QFont periodFont() { return systemFont(9.5, QFont::Bold); }
QFont smallFont() { return systemFont(9, QFont::Medium); }
QFont badgeFont() { return systemFont(7, QFont::Black); }

QColor activeGreen() { return QColor::fromRgbF(0.3, 0.85, 0.45); }

constexpr qreal activeDot = 6;
constexpr qreal headingGap = 8;
const QString activeText = QStringLiteral("ACTIVE");

// Where "ACTIVE" begins after the dot, and the room it takes.
qreal activeTextLeft(qreal nameRight) { return nameRight + headingGap + activeDot + 4; }

// The heading line: the name, "ACTIVE" with its dot while the agent works,
// and the plan's badge at the end.
void paintNameLine(QPainter& painter, const QRectF& line, const UsagePanel::AgentLines& lines)
{
    const qreal nameWidth = textWidth(lines.name, nameFont());
    drawLine(painter, QRectF(line.left(), line.top(), nameWidth + 1, line.height()), lines.name, nameFont(), 1,
             Qt::AlignLeft, menuText());
    if (lines.active) {
        const QPointF centre(line.left() + nameWidth + headingGap + activeDot / 2, line.center().y());
        QPainterPath disc;
        disc.addEllipse(centre, activeDot / 2, activeDot / 2);
        paintWithShadows(painter, disc.boundingRect(), {{withOpacity(activeGreen(), 0.7), 3, {}}},
                         [&](QPainter& p) { p.fillPath(disc, activeGreen()); });
        drawLine(painter, QRectF(activeTextLeft(line.left() + nameWidth), line.top(), 50, line.height()), activeText,
                 captionFont(), 1, Qt::AlignLeft, activeGreen());
    }
    if (const std::optional<UsagePanel::PlanChip> badge = UsagePanel::planChip(line, lines)) {
        const QPainterPath capsule = capsulePath(badge->chip);
        painter.fillPath(capsule, primaryBrandGradient(badge->chip));
        painter.strokePath(capsule, QPen(whiteAt(0.42), 0.8));
        drawLine(painter, badge->chip.marginsRemoved(badgePadding), badge->text, badgeFont(), 1, Qt::AlignHCenter,
                 Qt::white);
    }
}

// A limit's bar: the used share of a dim track, lit with the brand gradient.
void paintBar(QPainter& painter, const QRectF& track, double usedShare)
{
    painter.fillPath(roundedPath(track, barHeight / 2), whiteAt(0.12));
    if (usedShare <= 0)
        return;
    const QRectF used(track.topLeft(), QSizeF(std::max(barHeight, track.width() * usedShare), track.height()));
    painter.fillPath(roundedPath(used, barHeight / 2), primaryBrandGradient(track));
}

void paintAgent(QPainter& painter, const QRectF& rect, const UsagePanel::AgentLines& lines)
{
    paintPanelCard(painter, rect, cardRadius);
    const QRectF inner = rect.marginsRemoved(blockPadding);
    qreal y = inner.top();
    const qreal nameHeight = lineHeight(nameFont());
    paintNameLine(painter, QRectF(inner.left(), y, inner.width(), nameHeight), lines);
    y += nameHeight + nameSpacing;

    const qreal labelHeight = lineHeight(labelFont());
    for (const UsagePanel::AgentLines::Limit& limit : lines.limits) {
        const qreal figures = std::min(inner.width() * 0.62, textWidth(limit.figures, figureFont()) + 1);
        drawLine(painter, QRectF(inner.left(), y, inner.width() - figures - 6, labelHeight), limit.label, labelFont(),
                 0.8, Qt::AlignLeft, menuSecondary());
        drawLine(painter, QRectF(inner.right() - figures, y, figures, labelHeight), limit.figures, figureFont(), 0.8,
                 Qt::AlignRight, menuText());
        y += labelHeight + barGap;
        paintBar(painter, QRectF(inner.left(), y, inner.width(), barHeight), limit.usedShare);
        y += barHeight + limitSpacing;
    }
    if (lines.limits.empty()) {
        drawLine(painter, QRectF(inner.left(), y, inner.width(), labelHeight), QStringLiteral("No limits reported"),
                 labelFont(), 1, Qt::AlignLeft, menuSecondary());
        y += labelHeight + limitSpacing;
    }
    y += sectionSpacing - limitSpacing;

    const qreal column = (inner.width() - 8) / 2;
    const qreal captionHeight = lineHeight(captionFont());
    const qreal periodHeight = lineHeight(periodFont());
    const std::array<std::pair<QString, QString>, 2> periods{
        {{QStringLiteral("TODAY"), lines.today}, {QStringLiteral("THIS WEEK"), lines.week}}};
    for (std::size_t index = 0; index < periods.size(); ++index) {
        const qreal left = inner.left() + index * (column + 8);
        drawLine(painter, QRectF(left, y, column, captionHeight), periods[index].first, captionFont(), 1, Qt::AlignLeft,
                 menuSecondary());
        drawLine(painter, QRectF(left, y + captionHeight, column, periodHeight), periods[index].second, periodFont(),
                 0.7, Qt::AlignLeft, menuText());
    }
    y += captionHeight + periodHeight;
    if (!lines.models.isEmpty())
        drawLine(painter, QRectF(inner.left(), y + modelsSpacing, inner.width(), lineHeight(smallFont())), lines.models,
                 smallFont(), 0.8, Qt::AlignLeft, menuSecondary());
}

} // namespace

UsagePanel::AgentLines UsagePanel::linesFor(const QString& name, const CompanionAgentUsage::Agent& agent,
                                            const QDateTime& now, const QLocale& locale)
{
    using namespace UsageFigures;
    AgentLines lines;
    lines.name = name;
    lines.active = agent.activeNow.value_or(false);
    lines.plan = planBadge(agent);
    for (const LimitWindow& window : limitWindows(agent, mostLimitRows)) {
        QString figures = percentLeftText(percentLeft(window.usedPercent));
        const QString reset = resetText(window.resetsAt, now, locale);
        if (!reset.isEmpty())
            figures += QStringLiteral(" \u00B7 ") + reset;
        lines.limits.push_back({window.label, figures, usedShare(window.usedPercent)});
    }
    lines.today = periodText(agent.today);
    lines.week = periodText(agent.week);
    lines.models = modelsText(agent.models);
    return lines;
}

std::optional<UsagePanel::PlanChip> UsagePanel::planChip(const QRectF& line, const AgentLines& lines)
{
    if (lines.plan.isEmpty())
        return std::nullopt;
    const qreal nameRight = line.left() + textWidth(lines.name, nameFont());
    const qreal headingRight =
        lines.active ? activeTextLeft(nameRight) + textWidth(activeText, captionFont()) : nameRight;
    const qreal room = line.right() - headingRight - headingGap - badgePadding.left() - badgePadding.right();
    const QString text = QFontMetricsF(badgeFont()).elidedText(lines.plan, Qt::ElideRight, room);
    if (text.isEmpty())
        return std::nullopt;
    const QSizeF size(textWidth(text, badgeFont()) + badgePadding.left() + badgePadding.right(),
                      lineHeight(badgeFont()) + badgePadding.top() + badgePadding.bottom());
    return PlanChip{QRectF(QPointF(line.right() - size.width(), line.center().y() - size.height() / 2), size), text};
}

qreal UsagePanel::blockHeight(const AgentLines& lines)
{
    const qreal limitHeight = lineHeight(labelFont()) + barGap + barHeight;
    const qreal limits = lines.limits.empty()
        ? lineHeight(labelFont())
        : lines.limits.size() * limitHeight + (lines.limits.size() - 1) * limitSpacing;
    const qreal models = lines.models.isEmpty() ? 0 : modelsSpacing + lineHeight(smallFont());
    return blockPadding.top() + lineHeight(nameFont()) + nameSpacing + limits + sectionSpacing
        + lineHeight(captionFont()) + lineHeight(periodFont()) + models + blockPadding.bottom();
}

UsagePanel::UsagePanel(MenuContext& context)
    : ListPanel(context, QStringLiteral("AI USAGE"), &CompanionModel::usagePanelOpen),
      m_usage(context.model.agentUsage.get())
{
    build();
}

UsagePanel::~UsagePanel() { m_minuteTick.cancel(); }

void UsagePanel::build()
{
    m_blocks.clear();
    m_heights.clear();
    if (!m_usage) {
        auto waiting = std::make_unique<MenuPicture>(
            [](QPainter& painter, const QRectF& rect) {
                paintPanelCard(painter, rect, cardRadius);
                drawLine(painter, rect.marginsRemoved(blockPadding), waitingText, systemFont(9.5, QFont::Medium), 0.8,
                         Qt::AlignHCenter, menuSecondary());
            },
            QMarginsF(1, 1, 1, 1));
        m_blocks.push_back(std::move(waiting));
        m_heights.push_back(waitingHeight);
        return;
    }
    const QDateTime now = QDateTime::currentDateTime();
    for (const auto& [name, agent] :
         {std::pair(QStringLiteral("Claude"), &m_usage->claude), std::pair(QStringLiteral("Codex"), &m_usage->codex)}) {
        const AgentLines lines = linesFor(name, *agent, now, QLocale::system());
        m_blocks.push_back(std::make_unique<MenuPicture>(
            [lines](QPainter& painter, const QRectF& rect) { paintAgent(painter, rect, lines); },
            QMarginsF(1, 1, 1, 1)));
        m_heights.push_back(blockHeight(lines));
    }
}

bool UsagePanel::refresh()
{
    if (context().model.agentUsage.get() == m_usage)
        return false;
    m_usage = context().model.agentUsage;
    build();
    return true;
}

void UsagePanel::setOnScreen(bool onScreen)
{
    m_minuteTick.cancel();
    if (onScreen)
        tickEachMinute();
}

void UsagePanel::tickEachMinute()
{
    // "resets in 12 min" stays true while the panel shows.
    m_minuteTick = after(context().environment.scheduler, secondsUntilNextMinute(QTime::currentTime()), [this] {
        build();
        context().canvas.relayout();
        tickEachMinute();
    });
}

qreal UsagePanel::layoutFrom(qreal top)
{
    const qreal listTop = layoutHeading(top);
    qreal content = 0;
    for (qreal height : m_heights)
        content += height;
    content += (m_heights.size() - 1) * rowSpacing;
    const qreal window = placeList(listTop, content, tileHeight);
    qreal y = scroller().top();
    for (std::size_t index = 0; index < m_blocks.size(); ++index) {
        m_blocks[index]->setRect(QRectF(MenuContext::columnLeft(), y, scroller().rowWidth(), m_heights[index]));
        y += m_heights[index] + rowSpacing;
    }
    return listTop + window - top;
}
