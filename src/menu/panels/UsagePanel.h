#pragma once

#include "SubPanel.h"
#include "model/Scheduler.h"

#include <memory>
#include <optional>
#include <vector>

// The AI-usage panel: for Claude and for Codex, what is left of each limit
// with its bar and the time it resets, today's and this week's tokens and
// sessions, the tokens per model and the plan; a waiting text until the
// local server's first reading has come. Its times are redrawn each minute
// while it shows.
class UsagePanel final : public ListPanel {
public:
    explicit UsagePanel(MenuContext& context);
    ~UsagePanel() override;

    bool refresh() override;
    void setOnScreen(bool onScreen) override;

    // What the panel shows of one agent, in words.
    struct AgentLines {
        struct Limit {
            QString label;
            QString figures; // "59% left · resets 14:20"
            double usedShare;
        };
        QString name;
        bool active = false;
        QString plan;
        std::vector<Limit> limits;
        QString today;
        QString week;
        QString models;
    };
    // The most limits of one agent listed, in the server's order.
    static constexpr std::size_t mostLimitRows = 8;

    static AgentLines linesFor(const QString& name, const CompanionAgentUsage::Agent& agent, const QDateTime& now,
                               const QLocale& locale);
    static qreal blockHeight(const AgentLines& lines);

    // The plan's badge at the end of an agent's heading line: its capsule and
    // its text, cut with an ellipsis to the room the name and "ACTIVE" leave.
    // No badge without a plan, or without room for one.
    struct PlanChip {
        QRectF chip;
        QString text;
    };
    static std::optional<PlanChip> planChip(const QRectF& line, const AgentLines& lines);

    static inline const QString waitingText = QStringLiteral("Waiting for AI usage from Varadi OS\u2026");

private:
    qreal layoutFrom(qreal top) override;
    std::vector<MenuPiece*> panelPieces() override { return {}; }
    std::vector<MenuPiece*> listPieces() override { return piecesOf(m_blocks); }
    void build();
    void tickEachMinute();

    std::optional<CompanionAgentUsage> m_usage;
    std::vector<std::unique_ptr<MenuPicture>> m_blocks;
    std::vector<qreal> m_heights;
    ScheduledWork m_minuteTick;
};
