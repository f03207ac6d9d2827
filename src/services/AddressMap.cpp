#include "AddressMap.h"

namespace {

bool sameOrigin(const QUrl& a, const QUrl& b)
{
    return a.scheme() == b.scheme() && a.host() == b.host() && a.port() == b.port();
}

} // namespace

void AddressMap::redirect(const QUrl& from, const QUrl& to)
{
    m_redirects.append({from, to});
}

QUrl AddressMap::resolve(const QUrl& address) const
{
    for (const auto& [from, to] : m_redirects) {
        if (!sameOrigin(address, from))
            continue;
        QUrl resolved = address;
        resolved.setScheme(to.scheme());
        resolved.setHost(to.host());
        resolved.setPort(to.port());
        return resolved;
    }
    return address;
}
