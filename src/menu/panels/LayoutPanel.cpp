#include "LayoutPanel.h"

#include "ui/FittedText.h"

#include <QPainter>

std::vector<LayoutPanel::Choice> LayoutPanel::choices()
{
    return {
        {QStringLiteral("Side by Side"), QStringLiteral("Two Chrome windows"),
         QStringLiteral("Chrome's first two windows side by side"), QStringLiteral("rectangle.split.2x1"),
         &CompanionModel::tileWindowsLeftRight},
        {QStringLiteral("Four Corners"), QStringLiteral("Four Chrome windows"),
         QStringLiteral("Chrome's first four windows in the corners"), QStringLiteral("square.grid.2x2"),
         &CompanionModel::tileWindowsToCorners},
    };
}

LayoutPanel::LayoutPanel(MenuContext& context)
    : SubPanel(context, QStringLiteral("WINDOW LAYOUT"), &CompanionModel::layoutPanelOpen)
{
    for (const Choice& choice : choices()) {
        std::unique_ptr<MenuButton> tile = makeMenuButton(context);
        tile->setShape(MenuButton::Shape::capsule);
        tile->setNames(choice.title, choice.toolTip);
        tile->setLabel(
            [choice](QPainter& painter, const QRectF& rect) {
                paintTileCapsule(painter, rect);
                const qreal padding = MenuMetrics::actionHorizontalPadding + 3;
                const QRectF square(rect.left() + padding, rect.center().y() - tileIconSide / 2, tileIconSide,
                                    tileIconSide);
                paintIconSurface(painter, square, tileIconRadius);
                paintGradientSymbol(painter, choice.symbol, 13, square.center(), 0.5);
                const qreal textLeft = square.right() + MenuMetrics::actionSpacing;
                const QFont title = actionTitleFont();
                const QFont detail = systemFont(8.8, QFont::DemiBold);
                const qreal lines = lineHeight(title) + lineHeight(detail);
                const qreal width = rect.right() - padding - textLeft;
                const qreal top = rect.center().y() - lines / 2;
                drawLine(painter, QRectF(textLeft, top, width, lineHeight(title)), choice.title, title, 0.76,
                         Qt::AlignLeft, menuText());
                drawLine(painter, QRectF(textLeft, top + lineHeight(title), width, lineHeight(detail)), choice.detail,
                         detail, 0.76, Qt::AlignLeft, menuSecondary());
            },
            QMarginsF(1, 1, 1, 1));
        CompanionModel& model = context.model;
        tile->setAction([&context, &model, hook = choice.hook] { actThenClose(context, [&] { (model.*hook)(); }); });
        m_tiles.push_back(std::move(tile));
    }
}

qreal LayoutPanel::layout(qreal top)
{
    const qreal tilesTop = layoutHeading(top);
    placeEqually(m_tiles, QRectF(MenuContext::columnLeft(), tilesTop, MenuContext::columnWidth(), choiceHeight),
                 rowSpacing);
    return tilesTop + choiceHeight - top;
}

std::vector<MenuPiece*> LayoutPanel::panelPieces() { return piecesOf(m_tiles); }
