#pragma once

#include "menu/MenuControls.h"
#include "menu/PanelScroller.h"
#include "model/CompanionModel.h"

#include <QString>

#include <memory>
#include <vector>

// What the five sub-panels of the menu share: the heading with the Back
// chip that clears the panel's own flag, and their spacing and small looks.
class SubPanel : public MenuSection {
public:
    // The heading's row, then the panel's blocks, this far apart.
    static constexpr qreal blockSpacing = 6;
    // Rows of tiles and list rows, this far apart.
    static constexpr qreal rowSpacing = 4;
    // The height of a tile of the compact kind.
    static constexpr qreal tileHeight = 32;

    std::vector<MenuPiece*> pieces() override;

protected:
    SubPanel(MenuContext& context, const QString& title, Published<bool> CompanionModel::*flag);

    // Lays the heading out at top, leaving trailing points at the row's end
    // for a control of the panel's own; answers where its first block goes.
    qreal layoutHeading(qreal top, qreal trailing = 0);
    // What the panel paints besides its heading, back to front.
    virtual std::vector<MenuPiece*> panelPieces() = 0;

private:
    PanelHeading m_heading;
};

// A sub-panel with a list that scrolls when the panel has too little room
// for it: what lies outside the list paints as ever, the list through its
// window.
class ListPanel : public SubPanel {
public:
    qreal layout(qreal top) final;
    void paint(QPainter& painter, const QRectF& dirty) final;
    std::vector<MenuPiece*> pieces() final;
    const PanelScroller& scroller() const { return m_scroller; }

protected:
    ListPanel(MenuContext& context, const QString& title, Published<bool> CompanionModel::*flag);

    virtual qreal layoutFrom(qreal top) = 0;
    // The list's pieces, back to front; the list's controls have the
    // scroller's viewport as their parent.
    virtual std::vector<MenuPiece*> listPieces() = 0;
    // Opens the list's window at top for a list contentHeight tall, as tall
    // as the room allows but at least minimum; answers the window's height.
    qreal placeList(qreal top, qreal contentHeight, qreal minimum);
    PanelScroller& scroller() { return m_scroller; }

private:
    // Declared before the panels' own controls, so those go first.
    PanelScroller m_scroller;
    qreal m_top = 0;
};

// The pieces a panel owns, in order.
template <typename Piece>
std::vector<MenuPiece*> piecesOf(const std::vector<std::unique_ptr<Piece>>& owned)
{
    std::vector<MenuPiece*> all;
    for (const auto& piece : owned)
        all.push_back(piece.get());
    return all;
}

// A switch: a capsule track, lit with the brand gradient while on, and its
// white knob at the end it is switched to.
void paintSwitch(QPainter& painter, const QRectF& track, bool on);
inline constexpr QSizeF switchSize{24, 14};
