#include "actions/SearchTabMatching.h"

#include <QUrl>

#include <algorithm>

namespace SearchTabMatching {
namespace {

// The length of the scheme that opens an address (a letter, then letters,
// digits, "+", "-" or "."), up to its ":"; 0 when it opens with none.
qsizetype schemeLength(const QString& address)
{
    const auto inScheme = [](QChar c, bool first) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')
            || (!first && ((c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.'));
    };
    qsizetype length = 0;
    while (length < address.size() && inScheme(address.at(length), length == 0))
        ++length;
    return length < address.size() && address.at(length) == u':' ? length : 0;
}

} // namespace

QList<Term> closingTerms(QStringList addresses)
{
    addresses.sort();
    QList<Term> terms;
    for (const QString& address : std::as_const(addresses)) {
        terms.append({Term::Kind::startsWith, address});
        const QString host = QUrl(address).host(QUrl::FullyEncoded);
        if (!host.isEmpty())
            terms.append({Term::Kind::onHost, QStringLiteral("://") + host + QLatin1Char('/')});
    }
    return terms;
}

bool closes(const QList<Term>& terms, const QString& tabAddress)
{
    const qsizetype scheme = schemeLength(tabAddress);
    return std::any_of(terms.begin(), terms.end(), [&](const Term& term) {
        return term.kind == Term::Kind::startsWith
            ? tabAddress.startsWith(term.text, Qt::CaseInsensitive)
            : scheme > 0 && QStringView(tabAddress).sliced(scheme).startsWith(term.text, Qt::CaseInsensitive);
    });
}

} // namespace SearchTabMatching
