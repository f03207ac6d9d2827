#include "FleetPanel.h"

#include "UsageFigures.h"
#include "menu/MenuLayout.h"
#include "model/BrandColors.h"
#include "ui/FittedText.h"

#include <QPainter>
#include <QStringList>

namespace {

constexpr QSizeF switchTile{56, 24};
constexpr qreal switchSpacing = 4;
constexpr qreal rowInset = 8;
constexpr QMarginsF errorPadding{10, 7, 10, 7};
constexpr qreal errorSymbolRoom = 20;
constexpr int errorLines = 3;
constexpr qreal emptyHeight = 40;

QFont nameFont() { return systemFont(10.5, QFont::Bold); }
QFont detailFont() { return systemFont(8.5, QFont::Medium); }
QFont errorFont() { return systemFont(9.5, QFont::DemiBold); }

qreal errorTextWidth()
{
    return MenuContext::columnWidth() - errorPadding.left() - errorPadding.right() - errorSymbolRoom;
}

void paintBotRow(QPainter& painter, const QRectF& rect, const QString& name, const QString& detail, bool enabled)
{
    paintPanelCard(painter, rect, 12);
    const qreal textRight = rect.right() - rowInset - 2 * switchTile.width() - switchSpacing - 8;
    const QRectF text(rect.left() + 11, rect.top(), textRight - rect.left() - 11, rect.height());
    const qreal nameHeight = lineHeight(nameFont());
    const qreal lines = nameHeight + (detail.isEmpty() ? 0 : lineHeight(detailFont()));
    const qreal top = text.center().y() - lines / 2;
    // A bot that is switched off reads dimmer.
    drawLine(painter, QRectF(text.left(), top, text.width(), nameHeight), name, nameFont(), 0.8, Qt::AlignLeft,
             enabled ? menuText() : whiteAt(0.6));
    if (!detail.isEmpty())
        drawLine(painter, QRectF(text.left(), top + nameHeight, text.width(), lineHeight(detailFont())), detail,
                 detailFont(), 0.85, Qt::AlignLeft, menuSecondary());
}

} // namespace

QString FleetPanel::detailLine(const FleetBot& bot, const QDateTime& now, const QLocale& locale)
{
    QStringList parts;
    if (bot.email && !bot.email->isEmpty())
        parts.append(*bot.email);
    if (bot.version && !bot.version->isEmpty())
        parts.append(bot.version->startsWith(u'v', Qt::CaseInsensitive) ? *bot.version : u'v' + *bot.version);
    if (bot.lastSeenIso) {
        if (const std::optional<QDateTime> seen = UsageFigures::isoTime(*bot.lastSeenIso)) {
            const QDateTime local = seen->toLocalTime();
            parts.append(QStringLiteral("seen ")
                         + (local.date() == now.toLocalTime().date()
                                ? shortTime(local.time(), locale)
                                : locale.toString(local.date(), QStringLiteral("MMM d"))));
        }
    }
    return parts.join(QStringLiteral(" \u00B7 "));
}

QString FleetPanel::powerName(const FleetBot& bot, bool confirming)
{
    if (confirming)
        return QStringLiteral("Confirm switching %1 off").arg(bot.name);
    return QStringLiteral("Switch %1 %2").arg(bot.name, bot.enabled ? QStringLiteral("off") : QStringLiteral("on"));
}

QString FleetPanel::updatesName(const FleetBot& bot)
{
    return QStringLiteral("%1 updates for %2")
        .arg(bot.updatesAllowed ? QStringLiteral("Stop") : QStringLiteral("Allow"), bot.name);
}

FleetPanel::FleetPanel(MenuContext& context)
    : ListPanel(context, QStringLiteral("BOT FLEET"), &CompanionModel::fleetPanelOpen)
{
    // Each showing of the panel starts unarmed: a switch-off asked for on an
    // earlier visit must not go through on one click now.
    if (context.model.confirmKillBotID.get())
        context.model.confirmKillBotID = std::nullopt;
    m_empty.setDraw(
        [](QPainter& painter, const QRectF& rect) {
            paintPanelCard(painter, rect, 12);
            drawLine(painter, rect, emptyText, systemFont(9.5, QFont::Medium), 1, Qt::AlignHCenter, menuSecondary());
        },
        QMarginsF(1, 1, 1, 1));
    build();
}

FleetPanel::Shown FleetPanel::shown() const
{
    const CompanionModel& model = context().model;
    if (!context().edition.allowsFleetControl())
        return {};
    return {model.fleetBots, model.fleetError, model.confirmKillBotID};
}

void FleetPanel::build()
{
    m_shown = shown();
    m_rows.clear();
    m_switches.clear();
    if (m_shown.error) {
        m_error.setDraw(
            [text = *m_shown.error](QPainter& painter, const QRectF& rect) {
                const QPainterPath card = roundedPath(rect, 12);
                painter.fillPath(card, withOpacity(lumivoOrange(), 0.16));
                painter.strokePath(card, QPen(withOpacity(lumivoOrange(), 0.55), 1));
                const QRectF inner = rect.marginsRemoved(errorPadding);
                painter.fillPath(symbolAt(u"exclamationmark.triangle.fill", 11,
                                          QPointF(inner.left() + errorSymbolRoom / 2 - 2,
                                                  inner.top() + lineHeight(errorFont()) / 2)),
                                 lumivoOrange());
                const QFont font = errorFont();
                qreal y = inner.top();
                for (const QString& line : wrappedLines(text, font, errorTextWidth(), errorLines)) {
                    drawLine(painter, QRectF(inner.left() + errorSymbolRoom, y, errorTextWidth(), lineHeight(font)),
                             line, font, 1, Qt::AlignLeft, menuText());
                    y += lineHeight(font);
                }
            },
            QMarginsF(1, 1, 1, 1));
    }
    const QDateTime now = QDateTime::currentDateTime();
    CompanionModel& model = context().model;
    for (const FleetBot& bot : m_shown.bots) {
        m_rows.push_back(std::make_unique<MenuPicture>(
            [name = bot.name, detail = detailLine(bot, now, QLocale::system()), enabled = bot.enabled](
                QPainter& painter, const QRectF& rect) { paintBotRow(painter, rect, name, detail, enabled); },
            QMarginsF(1, 1, 1, 1)));
        const bool confirming = bot.enabled && m_shown.confirming == bot.id;
        m_switches.push_back(switchButton(powerName(bot, confirming),
                                          confirming ? QStringLiteral("Click again to switch this bot off")
                                                     : (bot.enabled ? QStringLiteral("On \u2014 switch this bot off")
                                                                    : QStringLiteral("Off \u2014 switch this bot on")),
                                          confirming ? QStringView() : QStringView(u"power"), bot.enabled,
                                          [&model, bot, confirming] {
                                              if (!bot.enabled) {
                                                  model.confirmKillBotID = std::nullopt;
                                                  model.setBotEnabled(bot.id, true);
                                              } else if (confirming) {
                                                  model.confirmKillBotID = std::nullopt;
                                                  model.setBotEnabled(bot.id, false);
                                              } else {
                                                  model.confirmKillBotID = bot.id;
                                              }
                                          }));
        m_switches.push_back(
            switchButton(updatesName(bot),
                         bot.updatesAllowed ? QStringLiteral("Updates allowed \u2014 stop them")
                                            : QStringLiteral("Updates stopped \u2014 allow them"),
                         u"arrow.down.circle.fill", bot.updatesAllowed,
                         [&model, id = bot.id, allowed = bot.updatesAllowed] { model.setBotUpdates(id, !allowed); }));
    }
}

std::unique_ptr<MenuButton> FleetPanel::switchButton(const QString& name, const QString& toolTip, QStringView symbol,
                                                     bool on, std::function<void()> action)
{
    std::unique_ptr<MenuButton> button = makeMenuButton(context(), scroller().viewport());
    button->setShape(MenuButton::Shape::capsule);
    button->setNames(name, toolTip);
    // Without a symbol it is the armed power switch: it asks to be pressed again.
    button->setLabel(
        [symbol = symbol.toString(), on](QPainter& painter, const QRectF& rect) {
            if (symbol.isEmpty()) {
                const QPainterPath capsule = capsulePath(rect);
                QLinearGradient warning(rect.topLeft(), rect.topRight());
                warning.setColorAt(0, lumivoOrange());
                warning.setColorAt(1, lumivoMagenta());
                painter.fillPath(capsule, warning);
                painter.strokePath(capsule, QPen(whiteAt(0.4), 0.8));
                drawLine(painter, rect, QStringLiteral("Confirm"), compactTitleFont(), 0.8, Qt::AlignHCenter,
                         Qt::white);
                return;
            }
            paintTileCapsule(painter, rect);
            const QPointF symbolCentre(rect.left() + 14, rect.center().y());
            paintGradientSymbol(painter, symbol, 10.5, symbolCentre, 0.45);
            paintSwitch(
                painter,
                QRectF(QPointF(rect.right() - 6 - switchSize.width(), rect.center().y() - switchSize.height() / 2),
                       switchSize),
                on);
        },
        QMarginsF(1, 1, 1, 1));
    button->setAction(std::move(action));
    return button;
}

bool FleetPanel::refresh()
{
    if (shown() == m_shown)
        return false;
    build();
    return true;
}

qreal FleetPanel::errorHeight() const
{
    if (!m_shown.error)
        return 0;
    const int lines = int(wrappedLines(*m_shown.error, errorFont(), errorTextWidth(), errorLines).size());
    return errorPadding.top() + std::max(1, lines) * lineHeight(errorFont()) + errorPadding.bottom();
}

qreal FleetPanel::layoutFrom(qreal top)
{
    const qreal left = MenuContext::columnLeft();
    const qreal width = MenuContext::columnWidth();
    qreal y = layoutHeading(top);
    if (!context().edition.allowsFleetControl()) {
        placeList(y, 0, 0);
        return PanelHeading::height();
    }
    if (m_shown.error) {
        m_error.setRect(QRectF(left, y, width, errorHeight()));
        y += errorHeight() + blockSpacing;
    }
    if (m_rows.empty()) {
        placeList(y, 0, 0);
        // The offline text says enough by itself.
        if (m_shown.error)
            return y - blockSpacing - top;
        m_empty.setRect(QRectF(left, y, width, emptyHeight));
        return y + emptyHeight - top;
    }
    const qreal count = qreal(m_rows.size());
    const qreal window = placeList(y, count * rowHeight + (count - 1) * rowSpacing, rowHeight);
    for (std::size_t index = 0; index < m_rows.size(); ++index) {
        const QRectF row(left, scroller().top() + index * (rowHeight + rowSpacing), scroller().rowWidth(), rowHeight);
        m_rows[index]->setRect(row);
        const qreal switchTop = row.center().y() - switchTile.height() / 2;
        const QRectF updates(QPointF(row.right() - rowInset - switchTile.width(), switchTop), switchTile);
        m_switches[2 * index + 1]->setCardRect(updates);
        m_switches[2 * index]->setCardRect(updates.translated(-switchTile.width() - switchSpacing, 0));
    }
    return y + window - top;
}

std::vector<MenuPiece*> FleetPanel::panelPieces()
{
    std::vector<MenuPiece*> all;
    if (m_shown.error)
        all.push_back(&m_error);
    else if (m_rows.empty() && context().edition.allowsFleetControl())
        all.push_back(&m_empty);
    return all;
}

std::vector<MenuPiece*> FleetPanel::listPieces()
{
    std::vector<MenuPiece*> all;
    for (std::size_t index = 0; index < m_rows.size(); ++index) {
        all.push_back(m_rows[index].get());
        all.push_back(m_switches[2 * index].get());
        all.push_back(m_switches[2 * index + 1].get());
    }
    return all;
}
