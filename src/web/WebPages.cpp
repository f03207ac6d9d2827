#include "WebPages.h"

#include "model/CompanionDestinations.h"

#include <QStringList>

namespace {

// Each value travels fully percent-escaped, so a reader of the query that
// takes "+" for a space still gets a prompt back exactly.
QUrl withQuery(QUrl page, const QList<std::pair<QString, QString>>& items)
{
    QStringList pairs;
    for (const auto& [name, value] : items)
        pairs.append(name + QLatin1Char('=') + QString::fromLatin1(QUrl::toPercentEncoding(value)));
    page.setQuery(pairs.join(QLatin1Char('&')), QUrl::StrictMode);
    return page;
}

QList<std::pair<QString, QString>> chatFlags()
{
    const QString on = QStringLiteral("1");
    return {{QStringLiteral("companion"), on}, {QStringLiteral("expanded"), on}, {QStringLiteral("popout"), on}};
}

} // namespace

namespace WebPages {

QUrl chat() { return withQuery(CompanionRoute::lumivoOS(), chatFlags()); }

QUrl talk()
{
    return withQuery(CompanionRoute::lumivoOS(),
                     chatFlags() << std::pair(QStringLiteral("voice"), QStringLiteral("1")));
}

QUrl funnel(const std::optional<QString>& stage)
{
    const QUrl join = CompanionRoute::lumivoOS().resolved(QUrl(QStringLiteral("/join")));
    return stage ? withQuery(join, {{QStringLiteral("stage"), *stage}}) : join;
}

QUrl codexAction(const QString& prompt)
{
    return withQuery(CompanionRoute::lumivoOS(),
                     chatFlags() << std::pair(QStringLiteral("autorun"), QStringLiteral("1"))
                                 << std::pair(QStringLiteral("prompt"), prompt));
}

} // namespace WebPages
