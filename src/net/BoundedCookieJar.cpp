#include "BoundedCookieJar.h"

#include <QDateTime>

#include <algorithm>

namespace {

// As Qt's jar decides it: such a cookie counts for nothing, and setting one
// only deletes the cookie it would replace.
bool hasExpired(const QNetworkCookie& cookie, const QDateTime& now)
{
    return !cookie.isSessionCookie() && cookie.expirationDate() < now;
}

bool holdsControlCharacter(const QByteArray& bytes)
{
    return std::ranges::any_of(bytes, [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && byte != '\t') || byte == 0x7f;
    });
}

} // namespace

bool BoundedCookieJar::validateCookie(const QNetworkCookie& cookie, const QUrl& url) const
{
    return cookie.name().size() + cookie.value().size() <= largestCookie && !holdsControlCharacter(cookie.name())
        && !holdsControlCharacter(cookie.value()) && QNetworkCookieJar::validateCookie(cookie, url);
}

bool BoundedCookieJar::insertCookie(const QNetworkCookie& cookie)
{
    // Qt's jar holds expired cookies until the end of the run: they would
    // fill it for good.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QList<QNetworkCookie> held = allCookies();
    const qsizetype before = held.size();
    held.removeIf([&](const QNetworkCookie& kept) { return hasExpired(kept, now); });
    // Qt appends every cookie it takes, a replacement too, so the first held
    // is the one set longest ago.
    const bool replaces =
        std::ranges::any_of(held, [&](const QNetworkCookie& kept) { return kept.hasSameIdentifier(cookie); });
    if (!replaces && !hasExpired(cookie, now) && held.size() >= mostCookies)
        held.remove(0, held.size() - mostCookies + 1);
    if (held.size() != before)
        setAllCookies(held);
    return QNetworkCookieJar::insertCookie(cookie);
}
