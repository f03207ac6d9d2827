#include "UsageFigures.h"

#include "menu/MenuLayout.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <cmath>

namespace UsageFigures {
namespace {

// The furthest from 1970 a reset time is taken to be, in seconds (about the year 5000).
constexpr double furthestTime = 1e11;

std::optional<QDateTime> epochTime(double seconds)
{
    if (!std::isfinite(seconds) || std::abs(seconds) > furthestTime)
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(std::llround(seconds * 1000), Qt::UTC);
}

// "1 session", "4 sessions", "5.1K tokens": the noun follows the count
// itself, however the count is written.
QString counted(qint64 count, const QString& written, const QString& noun)
{
    return written + u' ' + noun + (count == 1 ? QString() : QStringLiteral("s"));
}

} // namespace

std::vector<LimitWindow> limitWindows(const CompanionAgentUsage::Agent& agent, std::size_t most)
{
    std::vector<LimitWindow> windows;
    if (most == 0)
        return windows;
    if (agent.plan && !agent.plan->windows.empty()) {
        for (const CompanionAgentUsage::PlanWindow& window : agent.plan->windows) {
            if (windows.size() == most)
                break;
            windows.push_back(
                {window.label, window.usedPercent, window.resetsAtIso ? isoTime(*window.resetsAtIso) : std::nullopt});
        }
    } else if (agent.limits) {
        windows.push_back(
            {limitLabel(agent.limits->windowMinutes), agent.limits->usedPercent, epochTime(agent.limits->resetsAt)});
    }
    return windows;
}

int percentLeft(double usedPercent)
{
    if (!std::isfinite(usedPercent))
        return 0;
    return int(std::lround(std::clamp(100 - usedPercent, 0.0, 100.0)));
}

double usedShare(double usedPercent)
{
    if (!std::isfinite(usedPercent))
        return 1;
    return std::clamp(usedPercent / 100, 0.0, 1.0);
}

std::optional<int> tightestPercentLeft(const CompanionAgentUsage::Agent& agent)
{
    std::optional<int> tightest;
    for (const LimitWindow& window : limitWindows(agent)) {
        const int left = percentLeft(window.usedPercent);
        tightest = tightest ? std::min(*tightest, left) : left;
    }
    return tightest;
}

QString percentLeftText(int percent) { return QString::number(percent) + QStringLiteral("% left"); }

QString resetText(const std::optional<QDateTime>& resetsAt, const QDateTime& now, const QLocale& locale)
{
    if (!resetsAt || !resetsAt->isValid())
        return {};
    const qint64 seconds = now.secsTo(*resetsAt);
    if (seconds <= 0)
        return QStringLiteral("resets now");
    if (seconds < 3600)
        return QStringLiteral("resets in %1 min").arg((seconds + 59) / 60);
    const QDateTime local = resetsAt->toLocalTime();
    const qint64 days = now.toLocalTime().date().daysTo(local.date());
    const QString time = shortTime(local.time(), locale);
    if (days == 0)
        return QStringLiteral("resets ") + time;
    if (days < 7)
        return QStringLiteral("resets ") + locale.dayName(local.date().dayOfWeek(), QLocale::ShortFormat) + u' ' + time;
    return QStringLiteral("resets ") + locale.toString(local.date(), QStringLiteral("MMM d"));
}

QString limitLabel(qint64 windowMinutes)
{
    struct Unit {
        qint64 minutes;
        const char* single;
        const char* name;
    };
    static constexpr std::array<Unit, 4> units{{
        {10080, "Weekly limit", "week"},
        {1440, "Daily limit", "day"},
        {60, "Hourly limit", "hour"},
        {1, "Minute limit", "minute"},
    }};
    if (windowMinutes <= 0)
        return QStringLiteral("Usage limit");
    for (const Unit& unit : units) {
        if (windowMinutes % unit.minutes != 0)
            continue;
        const qint64 count = windowMinutes / unit.minutes;
        if (count == 1)
            return QString::fromLatin1(unit.single);
        return QStringLiteral("%1-%2 limit").arg(count).arg(QString::fromLatin1(unit.name));
    }
    return QStringLiteral("Usage limit");
}

std::optional<QDateTime> isoTime(const QString& text)
{
    QDateTime time = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!time.isValid())
        time = QDateTime::fromString(text, Qt::ISODate);
    if (!time.isValid())
        return std::nullopt;
    return time;
}

QString tokenCount(qint64 tokens)
{
    const quint64 magnitude = tokens < 0 ? quint64(0) - quint64(tokens) : quint64(tokens);
    const QString sign = tokens < 0 ? QStringLiteral("-") : QString();
    if (magnitude < 1000)
        return sign + QString::number(magnitude);
    static constexpr std::array<std::pair<double, char>, 4> units{{{1e3, 'K'}, {1e6, 'M'}, {1e9, 'B'}, {1e12, 'T'}}};
    for (std::size_t index = 0; index < units.size(); ++index) {
        const auto [size, letter] = units[index];
        const double tenths = std::round(double(magnitude) / size * 10);
        // 999,960 is "1M", not "1000K".
        if (tenths >= 10000 && index + 1 < units.size())
            continue;
        const QString number =
            std::fmod(tenths, 10) == 0 ? QString::number(tenths / 10, 'f', 0) : QString::number(tenths / 10, 'f', 1);
        return sign + number + QLatin1Char(letter);
    }
    return {};
}

QString periodText(const CompanionAgentUsage::Window& window)
{
    return counted(window.tokens, tokenCount(window.tokens), QStringLiteral("token")) + QStringLiteral(" \u00B7 ")
        + counted(window.sessions, QString::number(window.sessions), QStringLiteral("session"));
}

QString modelsText(const std::optional<std::vector<CompanionAgentUsage::ModelUsage>>& models)
{
    if (!models)
        return {};
    QStringList parts;
    for (const CompanionAgentUsage::ModelUsage& model : *models) {
        if (std::size_t(parts.size()) == mostModelsNamed) {
            parts.append(QStringLiteral("\u2026"));
            break;
        }
        parts.append(model.label + u' ' + tokenCount(model.tokens));
    }
    return parts.join(QStringLiteral(" \u00B7 "));
}

QString planBadge(const CompanionAgentUsage::Agent& agent)
{
    if (!agent.limits || !agent.limits->planType)
        return {};
    return agent.limits->planType->trimmed().toUpper();
}

} // namespace UsageFigures
