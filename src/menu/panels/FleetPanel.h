#pragma once

#include "SubPanel.h"

#include <QLocale>

#include <memory>
#include <optional>
#include <vector>

// The bot fleet, in the edition that allows fleet control: one row per bot
// with its name and details, a power switch and an updates switch, and the
// offline text over the last list the server gave when it cannot be
// reached. Switching a bot off asks first: the first press arms the switch
// (confirmKillBotID), the second sends. The list scrolls when the panel has
// too little room.
class FleetPanel final : public ListPanel {
public:
    explicit FleetPanel(MenuContext& context);

    bool refresh() override;

    // A bot's details under its name: "desk@example.com · v2.4.1 · seen 09:00".
    static QString detailLine(const FleetBot& bot, const QDateTime& now, const QLocale& locale);
    // The names of a row's two switches, as they stand.
    static QString powerName(const FleetBot& bot, bool confirming);
    static QString updatesName(const FleetBot& bot);

    static constexpr qreal rowHeight = 40;
    static inline const QString emptyText = QStringLiteral("No bots in the fleet yet.");

private:
    // What the panel was built from.
    struct Shown {
        std::vector<FleetBot> bots;
        std::optional<QString> error;
        std::optional<QString> confirming;
        friend bool operator==(const Shown&, const Shown&) = default;
    };
    Shown shown() const;

    qreal layoutFrom(qreal top) override;
    std::vector<MenuPiece*> panelPieces() override;
    std::vector<MenuPiece*> listPieces() override;
    void build();
    std::unique_ptr<MenuButton> switchButton(const QString& name, const QString& toolTip, QStringView symbol, bool on,
                                             std::function<void()> action);
    qreal errorHeight() const;

    Shown m_shown;
    MenuPicture m_error;
    MenuPicture m_empty;
    std::vector<std::unique_ptr<MenuPicture>> m_rows;
    std::vector<std::unique_ptr<MenuButton>> m_switches; // two per row: power, updates
};
