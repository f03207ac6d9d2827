#include "LauncherRows.h"

#include "MenuControls.h"
#include "MenuLayout.h"
#include "MenuMetrics.h"
#include "model/BrandColors.h"
#include "panel/MascotArtwork.h"
#include "ui/FittedText.h"

#include <QPainter>

namespace {

constexpr qreal rowSpacing = 4;
constexpr qreal tileHeight = 32;

// Lays tiles side by side, equally wide, across the menu's column.
qreal placeAcrossColumn(const std::vector<std::unique_ptr<MenuButton>>& tiles, qreal top)
{
    placeEqually(tiles, QRectF(MenuContext::columnLeft(), top, MenuContext::columnWidth(), tileHeight), rowSpacing);
    return tileHeight;
}

constexpr double heroFaceSeconds = 2.4;

// A hook as the tile reads it at the press.
template <typename Hook>
std::function<std::function<void()>(CompanionModel&)> hookAtPress(Hook CompanionModel::*hook)
{
    return [hook](CompanionModel& model) -> std::function<void()> { return [&model, hook] { (model.*hook)(); }; };
}

// Opens one panel inside the menu and closes the others it competes with;
// the layout panel keeps its place in front.
std::function<std::function<void()>(CompanionModel&)> togglePanel(Published<bool> CompanionModel::*panel,
                                                                  Hook<> CompanionModel::*refresh)
{
    return [panel, refresh](CompanionModel& model) -> std::function<void()> {
        return [&model, panel, refresh] {
            (model.*refresh)();
            withPanelAnimation(model, [&] {
                model.*panel = !(model.*panel).get();
                for (Published<bool> CompanionModel::*other :
                     {&CompanionModel::googlePanelOpen, &CompanionModel::usagePanelOpen, &CompanionModel::taskPanelOpen,
                      &CompanionModel::fleetPanelOpen}) {
                    if (other != panel)
                        model.*other = false;
                }
            });
        };
    };
}

} // namespace

std::vector<LauncherTile> utilityTiles(CompanionEdition edition)
{
    std::vector<LauncherTile> tiles;
    if (edition.allowsTaskManager())
        tiles.push_back({.title = QStringLiteral("Task Manager"),
                         .symbol = QStringLiteral("xmark.app"),
                         .keepsMenuOpen = true,
                         .makeAction = togglePanel(&CompanionModel::taskPanelOpen, &CompanionModel::refreshRunningApps),
                         .voraLogo = true});
    if (edition.allowsSystemTools())
        tiles.push_back({.title = QStringLiteral("CPU"),
                         .symbol = QStringLiteral("desktopcomputer"),
                         .makeAction = hookAsBuilt(&CompanionModel::openActivityMonitor)});
    if (edition.allowsFleetControl())
        tiles.push_back({.title = QStringLiteral("Fleet"),
                         .symbol = QStringLiteral("antenna.radiowaves.left.and.right"),
                         .keepsMenuOpen = true,
                         .makeAction = togglePanel(&CompanionModel::fleetPanelOpen, &CompanionModel::refreshFleet)});
    if (edition.allowsFinance())
        tiles.push_back({.title = QStringLiteral("Bank"),
                         .symbol = QStringLiteral("building.columns.fill"),
                         .makeAction = hookAsBuilt(&CompanionModel::openMercury)});
    tiles.push_back({.title = QStringLiteral("Go Mobile"),
                     .symbol = QStringLiteral("iphone.and.arrow.forward"),
                     .keepsMenuOpen = true,
                     .makeAction = hookAtPress(&CompanionModel::copyMobileLink)});
    return tiles;
}

std::vector<LauncherTile> heroTiles()
{
    return {
        {.title = QStringLiteral("Message My Vora"),
         .symbol = QStringLiteral("message.fill"),
         .makeAction = hookAsBuilt(&CompanionModel::openChat),
         .face = CompanionExpression::thinking},
        {.title = QStringLiteral("Talk"),
         .symbol = QStringLiteral("mic.fill"),
         .makeAction = hookAsBuilt(&CompanionModel::openTalk),
         .face = CompanionExpression::listening},
    };
}

std::vector<LauncherTile> commandTiles()
{
    auto search = [](CompanionModel& model) -> std::function<void()> {
        return [&model] {
            withPanelAnimation(model, [&] {
                model.googlePanelOpen = !model.googlePanelOpen;
                model.usagePanelOpen = false;
            });
        };
    };
    return {
        {.title = QStringLiteral("Search"),
         .symbol = QStringLiteral("magnifyingglass"),
         .keepsMenuOpen = true,
         .makeAction = search},
        {.title = QStringLiteral("Write w/ AI"),
         .symbol = QStringLiteral("square.and.pencil"),
         .makeAction = hookAsBuilt(&CompanionModel::openSuperhumanGo)},
        {.title = QStringLiteral("Screen"),
         .symbol = QStringLiteral("display"),
         .keepsMenuOpen = true,
         .makeAction = hookAsBuilt(&CompanionModel::openHalfScreen)},
    };
}

std::vector<LauncherTile> agentTiles(CompanionEdition edition)
{
    std::vector<LauncherTile> tiles;
    tiles.push_back({.title = QStringLiteral("ChatGPT"),
                     .symbol = QStringLiteral("brain.head.profile"),
                     .makeAction = hookAsBuilt(&CompanionModel::openChatGPT),
                     .applicationPath = QStringLiteral("/Applications/ChatGPT.app")});
    if (edition.allowsSystemTools())
        tiles.push_back({.title = QStringLiteral("The Dadi"),
                         .symbol = QStringLiteral("sparkles"),
                         .makeAction = hookAsBuilt(&CompanionModel::openApprovals),
                         .openClaw = true});
    tiles.push_back({.title = QStringLiteral("Claude"),
                     .symbol = QStringLiteral("sparkles"),
                     .makeAction = hookAsBuilt(&CompanionModel::openClaude),
                     .applicationPath = QStringLiteral("/Applications/Claude.app")});
    return tiles;
}

int agentColumns(CompanionEdition edition) { return edition.allowsSystemTools() ? 3 : 2; }

// Rows of tiles ---------------------------------------------------------------

TileRow::TileRow(MenuContext& context) : MenuSection(context) { }

void TileRow::build(const std::vector<LauncherTile>& tiles)
{
    for (const LauncherTile& tile : tiles) {
        std::unique_ptr<MenuButton> button = makeMenuButton(context());
        button->setShape(MenuButton::Shape::capsule);
        button->setNames(tile.title, tile.title);
        CompanionModel& model = context().model;
        std::function<void()> action = tile.makeAction(model);
        button->setAction([&model, action = std::move(action), face = tile.face, keeps = tile.keepsMenuOpen] {
            if (face)
                model.showExpression(*face, heroFaceSeconds);
            if (action)
                action();
            if (!keeps)
                model.setMenuOpen(false);
        });
        dress(*button, tile);
        m_buttons.push_back(std::move(button));
    }
}

std::vector<MenuPiece*> TileRow::pieces()
{
    std::vector<MenuPiece*> all;
    for (const auto& button : m_buttons)
        all.push_back(button.get());
    return all;
}

// Tool bar ------------------------------------------------------------------------

TopUtilityBar::TopUtilityBar(MenuContext& context) : TileRow(context) { build(utilityTiles(context.edition)); }

void TopUtilityBar::dress(MenuButton& button, const LauncherTile& tile)
{
    const QImage logo = tile.voraLogo ? voraLogoImage(context().environment.resources) : QImage();
    button.setLabel(
        [logo, symbol = tile.symbol](QPainter& painter, const QRectF& rect) {
            paintTileCapsule(painter, rect);
            const QRectF square(rect.center() - QPointF(tileIconSide / 2, tileIconSide / 2),
                                QSizeF(tileIconSide, tileIconSide));
            paintIconSurface(painter, square, tileIconRadius);
            if (!logo.isNull()) {
                painter.save();
                painter.setClipPath(roundedPath(square, 6));
                painter.drawImage(square, logo);
                painter.restore();
            } else {
                paintGradientSymbol(painter, symbol, 14, square.center(), 0.5);
            }
        },
        QMarginsF(1, 1, 1, 1));
}

qreal TopUtilityBar::layout(qreal top) { return placeAcrossColumn(buttons(), top); }

// Hero buttons --------------------------------------------------------------------

HeroRow::HeroRow(MenuContext& context) : TileRow(context) { build(heroTiles()); }

void HeroRow::dress(MenuButton& button, const LauncherTile& tile)
{
    // "Talk" is the compact one, its content centred.
    const bool compact = tile.face == CompanionExpression::listening;
    const Shadow contentShadow{QColor::fromRgbF(0, 0, 0, 0.4), 1, {0, 1}};
    button.setLabel(
        [compact, contentShadow, title = tile.title, symbol = tile.symbol](QPainter& painter, const QRectF& rect) {
            const QPainterPath capsule = capsulePath(rect);
            painter.fillPath(capsule, primaryBrandGradient(rect));
            painter.strokePath(capsule, QPen(whiteAt(0.3), 0.9));
            const QFont font = systemFont(12.5, QFont::ExtraBold);
            const qreal symbolWidth = 14 * 1.2;
            const qreal room =
                rect.width() - 2 * MenuMetrics::actionHorizontalPadding - symbolWidth - MenuMetrics::actionSpacing;
            const QFont fitted = shrunkToFit(font, title, room, 0.76);
            const qreal content = symbolWidth + MenuMetrics::actionSpacing + std::min(room, textWidth(title, fitted));
            const qreal left =
                compact ? rect.center().x() - content / 2 : rect.left() + MenuMetrics::actionHorizontalPadding;
            const QPointF symbolCentre(left + symbolWidth / 2, rect.center().y());
            const QRectF text(left + symbolWidth + MenuMetrics::actionSpacing, rect.top(), room, rect.height());
            paintWithShadows(painter, rect, {contentShadow}, [&](QPainter& p) {
                const QPainterPath glyph = symbolAt(symbol, 14, symbolCentre);
                paintWithShadows(p, glyph.boundingRect(), {{whiteAt(0.55), 3, {}}},
                                 [&](QPainter& g) { g.fillPath(glyph, Qt::white); });
                drawLine(p, text, title, fitted, 1, Qt::AlignLeft, Qt::white);
            });
        },
        QMarginsF(4, 4, 4, 4));
    MenuCanvas& canvas = context().canvas;
    auto edge = std::make_shared<ElectricEdge>(ElectricEdge::Shape::capsule, 1.6);
    button.setPulse(
        [&canvas, edge](QPainter& painter, const QRectF& rect) { edge->paint(painter, rect, canvas.pulsePhase()); });
}

qreal HeroRow::layout(qreal top)
{
    const qreal height = MenuMetrics::heroActionHeight;
    const HeroWidths widths = heroWidths(MenuContext::columnWidth(), spacing, talkWidth);
    const qreal left = MenuContext::columnLeft();
    buttons()[0]->setCardRect(QRectF(left, top, widths.message, height));
    buttons()[1]->setCardRect(QRectF(left + widths.message + spacing, top, widths.talk, height));
    return height;
}

// Command bar ---------------------------------------------------------------------

AiCommandBar::AiCommandBar(MenuContext& context) : TileRow(context) { build(commandTiles()); }

void AiCommandBar::dress(MenuButton& button, const LauncherTile& tile)
{
    button.setLabel(
        [title = tile.title, symbol = tile.symbol](QPainter& painter, const QRectF& rect) {
            paintCompactTile(painter, rect, title, 7, 1, [&](QPainter& p, const QRectF& square) {
                paintIconSurface(p, square, tileIconRadius);
                paintGradientSymbol(p, symbol, 12.5, square.center(), 0.45);
            });
        },
        QMarginsF(1, 1, 1, 1));
}

qreal AiCommandBar::layout(qreal top) { return placeAcrossColumn(buttons(), top); }

// Agents grid ---------------------------------------------------------------------

AgentsGrid::AgentsGrid(MenuContext& context) : TileRow(context) { build(agentTiles(context.edition)); }

void AgentsGrid::dress(MenuButton& button, const LauncherTile& tile)
{
    const qreal dpr = context().canvas.devicePixelRatio();
    std::optional<QImage> mark;
    std::optional<QImage> brand;
    if (tile.openClaw)
        mark = openClawImage(context().environment.resources, QSizeF(tileIconSide, tileIconSide), dpr);
    if (!mark)
        brand = brandImage(context(), tile.applicationPath, QString(), QString(), QStringLiteral("png"),
                           QSizeF(tileIconSide - 4, tileIconSide - 4), dpr);
    button.setLabel(
        [mark, brand, title = tile.title, symbol = tile.symbol](QPainter& painter, const QRectF& rect) {
            paintCompactTile(painter, rect, title, 6, 0.68, [&](QPainter& p, const QRectF& square) {
                paintIconSurface(p, square, tileIconRadius);
                if (mark) {
                    // The brand gradient seen through the mark's shape.
                    paintWithShadows(p, square, {{withOpacity(lumivoMagenta(), 0.45), 3, {}}}, [&](QPainter& g) {
                        QImage tinted = mark->copy();
                        QPainter tint(&tinted);
                        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
                        tint.fillRect(QRectF(QPointF(0, 0), tinted.deviceIndependentSize()),
                                      voraIconGradient(QRectF(QPointF(0, 0), tinted.deviceIndependentSize())));
                        tint.end();
                        paintFitted(g, tinted, square);
                    });
                } else if (brand) {
                    paintWithShadows(p, square, {{whiteAt(0.22), 3, {}}},
                                     [&](QPainter& g) { paintFitted(g, *brand, square.adjusted(2, 2, -2, -2)); });
                } else {
                    paintGradientSymbol(p, symbol, 12.5, square.center(), 0.45);
                }
            });
        },
        QMarginsF(1, 1, 1, 1));
}

qreal AgentsGrid::layout(qreal top)
{
    const int columns = agentColumns(context().edition);
    const int count = int(buttons().size());
    const int rows = (count + columns - 1) / columns;
    for (int row = 0; row < rows; ++row) {
        const QRectF line(MenuContext::columnLeft(), top + row * (tileHeight + rowSpacing), MenuContext::columnWidth(),
                          tileHeight);
        const std::vector<QRectF> cells = equalTiles(line, columns, columnSpacing);
        for (int column = 0; column < columns && row * columns + column < count; ++column)
            buttons()[std::size_t(row * columns + column)]->setCardRect(cells[std::size_t(column)]);
    }
    return rows * tileHeight + std::max(0, rows - 1) * rowSpacing;
}

// The label over the agents --------------------------------------------------------

AskVoraLabel::AskVoraLabel(MenuContext& context) : MenuSection(context)
{
    m_picture.setDraw([](QPainter& painter, const QRectF& rect) {
        const QFont font = systemFont(9, QFont::Bold);
        const qreal symbol = 9 * 1.2;
        painter.fillPath(symbolAt(u"line.3.horizontal", 9, QPointF(rect.left() + symbol / 2, rect.center().y())),
                         menuSecondary());
        drawLine(painter, rect.adjusted(symbol + 5, 0, 0, 0), QStringLiteral("ASK VORA"), font, 1, Qt::AlignLeft,
                 menuSecondary());
    });
}

qreal AskVoraLabel::layout(qreal top)
{
    const qreal height = std::max<qreal>(15, lineHeight(systemFont(9, QFont::Bold)));
    m_picture.setRect(QRectF(MenuContext::columnLeft(), top, MenuContext::columnWidth(), height));
    return height;
}
