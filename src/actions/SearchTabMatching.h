#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Which browser tabs the Google-links closer closes: a tab whose address
// starts with a remembered address, or that lies anywhere on the host of
// one (its address opens with a scheme and "://host/", so a remembered
// address with a port matches other tabs only on that host without a port).
namespace SearchTabMatching {

struct Term {
    enum class Kind { startsWith, onHost };
    Kind kind;
    QString text;
    friend bool operator==(const Term&, const Term&) = default;
};

// For each address in ascending order: its starts-with term, then its host
// term ("://host/") when it has a host.
QList<Term> closingTerms(QStringList addresses);
// Whether any term holds for the tab's address; compared without regard to
// case, as hosts are. A host term holds only right after the tab's own
// scheme, never in its path, query or fragment.
bool closes(const QList<Term>& terms, const QString& tabAddress);

} // namespace SearchTabMatching
