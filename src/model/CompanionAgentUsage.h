#pragma once

// The agent-usage feed of the local server: how much the two coding agents,
// Claude and Codex, have been used, and how close each is to its limits.
// Decoded strictly (see StrictJson.h): a document that breaks any rule is
// refused whole. The labels and the plan's name are cut to what a line of the
// usage panel can show (see OutsideText.h).

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

struct CompanionAgentUsage {
    // Usage over one period (today, this week).
    struct Window {
        qint64 tokens = 0;
        qint64 sessions = 0;

        friend bool operator==(const Window&, const Window&) = default;
    };

    struct ModelUsage {
        QString label;
        qint64 tokens = 0;

        friend bool operator==(const ModelUsage&, const ModelUsage&) = default;
    };

    // The provider's rate limit as last reported.
    struct Limits {
        double usedPercent = 0;
        qint64 windowMinutes = 0;
        double resetsAt = 0; // seconds since 1970 UTC
        std::optional<QString> planType;

        friend bool operator==(const Limits&, const Limits&) = default;
    };

    struct PlanWindow {
        QString label;
        double usedPercent = 0;
        std::optional<QString> resetsAtIso; // as received, not parsed

        friend bool operator==(const PlanWindow&, const PlanWindow&) = default;
    };

    struct Plan {
        std::vector<PlanWindow> windows; // in the server's order

        friend bool operator==(const Plan&, const Plan&) = default;
    };

    struct Agent {
        Window today;
        Window week;
        std::optional<bool> activeNow;
        std::optional<std::vector<ModelUsage>> models; // an empty list is not the same as none sent
        std::optional<Limits> limits;
        std::optional<Plan> plan;

        friend bool operator==(const Agent&, const Agent&) = default;
    };

    Agent claude;
    Agent codex;

    static std::optional<CompanionAgentUsage> decode(const QByteArray& body);

    friend bool operator==(const CompanionAgentUsage&, const CompanionAgentUsage&) = default;
};
