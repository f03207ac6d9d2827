#pragma once

#include "menu/MenuButton.h"
#include "model/CompanionAgentUsage.h"
#include "panel/VoraDecorations.h"

#include <memory>
#include <optional>

// The AI-usage pill of the standard sections: one button, the energy bolt
// beside what is left of each agent's tightest limit. It opens and closes
// the usage panel (and closes the Google and layout panels); the menu stays.
class UsagePill final : public MenuSection {
public:
    explicit UsagePill(MenuContext& context);

    bool refresh() override;
    void setOnScreen(bool onScreen) override;
    qreal layout(qreal top) override;
    qreal layoutAcross(qreal top, qreal width) override;
    std::vector<MenuPiece*> pieces() override;

    // One agent's pill: its name and what is left, "Claude 59%", or "Claude —"
    // before any usage has come or when the agent reports no limit.
    static QString agentText(const QString& name, std::optional<int> percentLeft);
    static constexpr qreal height = 34;

    static inline const QString toolTip = QStringLiteral("Daily & weekly usage breakdown");

private:
    // The bolt, which animates on its own, drawn over the button and lifted with it.
    class Bolt final : public MenuPiece {
    public:
        Bolt(MenuContext& context, const MenuButton& button);
        void setOnScreen(bool onScreen);
        QRectF reach() const override;
        void paint(QPainter& painter) override;
        QPointF centreIn(const QRectF& buttonRect) const;

    private:
        MenuContext& m_context;
        const MenuButton& m_button;
        std::optional<EnergyBoltIcon> m_icon;
    };

    void dress();

    std::optional<CompanionAgentUsage> m_usage;
    std::unique_ptr<MenuButton> m_button;
    Bolt m_bolt;
};
