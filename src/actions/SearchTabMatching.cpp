#include "actions/SearchTabMatching.h"

#include <QUrl>

#include <algorithm>

namespace SearchTabMatching {

QList<Term> closingTerms(QStringList addresses)
{
    addresses.sort();
    QList<Term> terms;
    for (const QString& address : std::as_const(addresses)) {
        terms.append({Term::Kind::startsWith, address});
        const QString host = QUrl(address).host(QUrl::FullyEncoded);
        if (!host.isEmpty())
            terms.append({Term::Kind::contains, QStringLiteral("://") + host + QLatin1Char('/')});
    }
    return terms;
}

bool closes(const QList<Term>& terms, const QString& tabAddress)
{
    return std::any_of(terms.begin(), terms.end(), [&](const Term& term) {
        return term.kind == Term::Kind::startsWith ? tabAddress.startsWith(term.text, Qt::CaseInsensitive)
                                                   : tabAddress.contains(term.text, Qt::CaseInsensitive);
    });
}

} // namespace SearchTabMatching
