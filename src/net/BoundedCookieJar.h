#pragma once

#include <QNetworkCookie>
#include <QNetworkCookieJar>

#include <algorithm>

// The cookies of a run, as Qt's jar keeps and matches them, but never more
// than a few dozen: a peer that sets a new one with every answer fills no
// memory. A cookie the jar holds is still replaced or removed when full.
class BoundedCookieJar final : public QNetworkCookieJar {
public:
    static constexpr qsizetype mostCookies = 64;

    using QNetworkCookieJar::QNetworkCookieJar;

protected:
    bool insertCookie(const QNetworkCookie& cookie) override
    {
        const QList<QNetworkCookie> held = allCookies();
        const bool replaces = std::any_of(held.begin(), held.end(),
                                          [&](const QNetworkCookie& kept) { return kept.hasSameIdentifier(cookie); });
        return (replaces || held.size() < mostCookies) && QNetworkCookieJar::insertCookie(cookie);
    }
};
