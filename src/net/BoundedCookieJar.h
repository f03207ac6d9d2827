#pragma once

#include <QNetworkCookie>
#include <QNetworkCookieJar>

// The cookies of a run, as Qt's jar keeps and matches them, but never more
// than a few dozen: a peer that sets a new one with every answer fills no
// memory. Expired cookies go first, then the one set longest ago gives way to
// a new one; a cookie that replaces one held pushes out nothing. A cookie the
// cookie rules say to ignore is never kept: one with a control character other
// than a tab in its name or value would go back to its server raw, and a large
// one would ride along with every request.
class BoundedCookieJar : public QNetworkCookieJar {
public:
    static constexpr qsizetype mostCookies = 64;
    // The most bytes of a cookie's name and value together.
    static constexpr qsizetype largestCookie = 4096;

    using QNetworkCookieJar::QNetworkCookieJar;

protected:
    bool validateCookie(const QNetworkCookie& cookie, const QUrl& url) const override;
    bool insertCookie(const QNetworkCookie& cookie) override;
};
