#pragma once

#include <QList>
#include <QUrl>

// Whether two addresses share scheme, host and port, a port left out being
// the scheme's own.
bool sameOrigin(const QUrl& a, const QUrl& b);

namespace Redirects {

// The most redirects one request follows.
constexpr int longestChain = 5;

// Whether a request may follow a redirect to target, having been sent to
// `visited` so far, its first address first: only to its first address's
// origin, to an address it has not been sent to yet, and not beyond the
// longest chain.
bool follows(const QList<QUrl>& visited, const QUrl& target);

} // namespace Redirects
