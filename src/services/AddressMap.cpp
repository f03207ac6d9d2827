#include "AddressMap.h"

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

void AddressMap::redirect(const QUrl& from, const QUrl& to) { m_redirects.append({from, to}); }

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
