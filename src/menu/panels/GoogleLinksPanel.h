#pragma once

#include "SubPanel.h"
#include "model/CompanionDestinations.h"
#include "model/CompanionEdition.h"

#include <memory>
#include <vector>

// The Google links panel: "Recall" (Chrome to the front), the command that
// closes the tabs these links opened, the saved choice of opening each link
// in a Chrome window of its own, and one tile per Google and business link
// of the catalogue (the payroll and accounting ones only in an edition that
// allows finance). A link opens along the Google-links road and closes the
// menu; the list scrolls when the panel has too little room.
class GoogleLinksPanel final : public ListPanel {
public:
    explicit GoogleLinksPanel(MenuContext& context);

    bool refresh() override;

    struct Link {
        QString title;
        QString symbol;
        CompanionCTA target;
    };
    static std::vector<Link> links(CompanionEdition edition);
    static constexpr int columns = 3;

private:
    qreal layoutFrom(qreal top) override;
    std::vector<MenuPiece*> panelPieces() override;
    std::vector<MenuPiece*> listPieces() override { return piecesOf(m_links); }
    void dressSeparateSwitch();

    bool m_separately;
    std::unique_ptr<MenuButton> m_recall;
    std::unique_ptr<MenuButton> m_closeTabs;
    std::unique_ptr<MenuButton> m_separate;
    std::vector<std::unique_ptr<MenuButton>> m_links;
};
