#pragma once

#include "MenuButton.h"
#include "model/CompanionModel.h"

#include <memory>
#include <optional>
#include <vector>

// Rows 3 to 7 of the menu: the tool utility bar, the hero buttons, the AI
// command bar, the "ASK VORA" label and the agents grid. Each tile runs its
// action and then closes the menu, unless it is one that keeps it open.

// One tile of a row as the edition has it. makeAction is asked for the
// tile's action when the row is built: a tile that reads its hook then holds
// a copy of it, one that reads it at the press holds the model.
struct LauncherTile {
    QString title{};
    QString symbol{};
    bool keepsMenuOpen = false;
    std::function<std::function<void()>(CompanionModel& model)> makeAction{};
    bool voraLogo = false;     // the tool bar's logo tile
    QString applicationPath{}; // agents: the installed application whose icon shows
    bool openClaw = false;     // agents: the approvals service's mark
    // The face the mascot shows for 2.4 s before the action (hero buttons).
    std::optional<CompanionExpression> face{};
};

// The tool bar's tiles in order, those the edition allows.
std::vector<LauncherTile> utilityTiles(CompanionEdition edition);
// The two hero buttons.
std::vector<LauncherTile> heroTiles();
// The command bar's three tiles.
std::vector<LauncherTile> commandTiles();
// The agents grid's tiles, and its columns: one row in each edition.
std::vector<LauncherTile> agentTiles(CompanionEdition edition);
int agentColumns(CompanionEdition edition);

// A row of tiles built from a table, laid out by a rule of its own.
class TileRow : public MenuSection {
public:
    explicit TileRow(MenuContext& context);
    std::vector<MenuPiece*> pieces() override;
    const std::vector<std::unique_ptr<MenuButton>>& buttons() const { return m_buttons; }

protected:
    // Makes the button of one tile, its label drawn by the row.
    virtual void dress(MenuButton& button, const LauncherTile& tile) = 0;
    void build(const std::vector<LauncherTile>& tiles);

private:
    std::vector<std::unique_ptr<MenuButton>> m_buttons;
};

class TopUtilityBar final : public TileRow {
public:
    explicit TopUtilityBar(MenuContext& context);
    qreal layout(qreal top) override;

private:
    void dress(MenuButton& button, const LauncherTile& tile) override;
};

class HeroRow final : public TileRow {
public:
    explicit HeroRow(MenuContext& context);
    qreal layout(qreal top) override;

    static constexpr qreal spacing = 5;
    static constexpr qreal talkWidth = 96;

private:
    void dress(MenuButton& button, const LauncherTile& tile) override;
};

class AiCommandBar final : public TileRow {
public:
    explicit AiCommandBar(MenuContext& context);
    qreal layout(qreal top) override;

private:
    void dress(MenuButton& button, const LauncherTile& tile) override;
};

class AgentsGrid final : public TileRow {
public:
    explicit AgentsGrid(MenuContext& context);
    qreal layout(qreal top) override;

    static constexpr qreal columnSpacing = 8;
    static constexpr qreal rowSpacing = 4;

private:
    void dress(MenuButton& button, const LauncherTile& tile) override;
};

// The small "ASK VORA" label over the agents grid.
class AskVoraLabel final : public MenuSection {
public:
    explicit AskVoraLabel(MenuContext& context);
    qreal layout(qreal top) override;
    std::vector<MenuPiece*> pieces() override { return {&m_picture}; }

private:
    MenuPicture m_picture;
};
