#include "AddressMap.h"

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
