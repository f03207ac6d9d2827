#include "Redirects.h"

#include <algorithm>

namespace {

int portOf(const QUrl& address)
{
    const QString scheme = address.scheme();
    return address.port(scheme == u"https" ? 443 : scheme == u"http" ? 80 : -1);
}

} // namespace

bool sameOrigin(const QUrl& a, const QUrl& b)
{
    return a.scheme() == b.scheme() && a.host() == b.host() && portOf(a) == portOf(b);
}

bool Redirects::follows(const QList<QUrl>& visited, const QUrl& target)
{
    const QUrl address = target.adjusted(QUrl::RemoveFragment);
    return !visited.isEmpty() && visited.size() <= longestChain && sameOrigin(visited.front(), address)
        && std::none_of(visited.begin(), visited.end(),
                        [&](const QUrl& earlier) { return earlier.adjusted(QUrl::RemoveFragment) == address; });
}
