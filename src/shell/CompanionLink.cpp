#include "shell/CompanionLink.h"

#include "model/OutsideText.h"

#include <QHash>
#include <QUrlQuery>

namespace CompanionLink {

namespace {

// Query items percent-decoded; a name given twice keeps its last value.
QHash<QString, QString> queryValues(const QUrl& url)
{
    QHash<QString, QString> values;
    if (!url.hasQuery())
        return values;
    const QUrlQuery query(url.query(QUrl::FullyEncoded));
    for (const auto& [name, value] : query.queryItems(QUrl::FullyDecoded))
        values.insert(name, value);
    return values;
}

} // namespace

std::optional<Request> parse(const QUrl& url)
{
    if (url.scheme().toLower() != QStringLiteral("lumivo"))
        return std::nullopt;
    const QString host = url.host(QUrl::FullyDecoded).toLower();
    if (host == QStringLiteral("activity-monitor"))
        return OpenActivityMonitor{};
    if (host == QStringLiteral("schedule"))
        return OpenSchedule{};
    if (host != QStringLiteral("notify"))
        return std::nullopt;

    const QHash<QString, QString> values = queryValues(url);
    const std::optional<CompanionAlertSource> source =
        CompanionAlertSource::fromRawValue(values.value(QStringLiteral("type")).toLower());
    if (!source)
        return std::nullopt;
    return RaiseAlert{*source, OutsideText::boundedForDisplay(values.value(QStringLiteral("detail")), longestDetail)};
}

} // namespace CompanionLink
