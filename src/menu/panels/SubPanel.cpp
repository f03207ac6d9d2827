#include "SubPanel.h"

#include <QPainter>

SubPanel::SubPanel(MenuContext& context, const QString& title, Published<bool> CompanionModel::*flag)
    : MenuSection(context), m_heading(context, title, [&model = context.model, flag] { model.*flag = false; })
{
}

qreal SubPanel::layoutHeading(qreal top, qreal trailing)
{
    const qreal height =
        m_heading.layout(QRectF(MenuContext::columnLeft(), top, MenuContext::columnWidth() - trailing, 0));
    return top + height + blockSpacing;
}

std::vector<MenuPiece*> SubPanel::pieces()
{
    std::vector<MenuPiece*> all = panelPieces();
    for (MenuPiece* piece : m_heading.pieces())
        all.push_back(piece);
    return all;
}

ListPanel::ListPanel(MenuContext& context, const QString& title, Published<bool> CompanionModel::*flag)
    : SubPanel(context, title, flag), m_scroller(context, [this] { layoutFrom(m_top); })
{
}

qreal ListPanel::layout(qreal top)
{
    m_top = top;
    return layoutFrom(top);
}

qreal ListPanel::placeList(qreal top, qreal contentHeight, qreal minimum)
{
    const qreal window = listWindowHeight(contentHeight, context().roomBelow(top), minimum);
    m_scroller.place(QRectF(MenuContext::columnLeft(), top, MenuContext::columnWidth(), window), contentHeight);
    return window;
}

void ListPanel::paint(QPainter& painter, const QRectF& dirty)
{
    for (MenuPiece* piece : SubPanel::pieces()) {
        if (piece->reach().intersects(dirty))
            piece->paint(painter);
    }
    std::vector<MenuPiece*> listed = listPieces();
    listed.push_back(&m_scroller.thumb());
    m_scroller.paintClipped(painter, dirty, listed);
}

std::vector<MenuPiece*> ListPanel::pieces()
{
    std::vector<MenuPiece*> all = SubPanel::pieces();
    for (MenuPiece* piece : listPieces())
        all.push_back(piece);
    all.push_back(&m_scroller.thumb());
    return all;
}

void paintSwitch(QPainter& painter, const QRectF& track, bool on)
{
    const QPainterPath capsule = capsulePath(track);
    if (on) {
        painter.fillPath(capsule, primaryBrandGradient(track));
        painter.strokePath(capsule, QPen(whiteAt(0.34), 0.8));
    } else {
        painter.fillPath(capsule, whiteAt(0.14));
        painter.strokePath(capsule, QPen(whiteAt(0.26), 0.8));
    }
    const qreal knob = track.height() - 4;
    const qreal left = on ? track.right() - 2 - knob : track.left() + 2;
    QPainterPath disc;
    disc.addEllipse(QRectF(left, track.top() + 2, knob, knob));
    painter.fillPath(disc, on ? QColor(Qt::white) : whiteAt(0.8));
}
