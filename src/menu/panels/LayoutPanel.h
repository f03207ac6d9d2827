#pragma once

#include "SubPanel.h"
#include "menu/MenuMetrics.h"

#include <memory>
#include <vector>

// The window-layout panel: two tiles that lay Chrome's windows out side by
// side or into the four corners of the screen, then close the menu.
class LayoutPanel final : public SubPanel {
public:
    explicit LayoutPanel(MenuContext& context);

    qreal layout(qreal top) override;

    struct Choice {
        QString title;
        QString detail;
        QString toolTip;
        QString symbol;
        Hook<> CompanionModel::*hook;
    };
    static std::vector<Choice> choices();

    static constexpr qreal choiceHeight = MenuMetrics::topActionHeight;

private:
    std::vector<MenuPiece*> panelPieces() override;

    std::vector<std::unique_ptr<MenuButton>> m_tiles;
};
