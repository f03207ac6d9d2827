#pragma once

// Where the companion's buttons lead: the local Lumivo services it talks to,
// and for every call to action the application to open or the page to show
// in its place.

#include "EnumCases.h"

#include <QHashFunctions>
#include <QString>
#include <QStringView>
#include <QUrl>

#include <array>
#include <cstdint>
#include <optional>

// What opening one call to action does: launch the application at
// applicationPath if there is one, and otherwise (or when it is missing)
// open fallbackURL. When opensURLInApplication is set the URL is handed to
// that application instead of the default browser.
class CompanionDestination {
public:
    CompanionDestination(std::optional<QString> applicationPath, QUrl fallbackURL, bool opensURLInApplication);

    static CompanionDestination app(QString path, QUrl fallbackURL, bool opensURLInApplication = false);
    static CompanionDestination url(QUrl fallbackURL);

    const std::optional<QString>& applicationPath() const { return m_applicationPath; }
    const QUrl& fallbackURL() const { return m_fallbackURL; }
    bool opensURLInApplication() const { return m_opensURLInApplication; }

    friend bool operator==(const CompanionDestination&, const CompanionDestination&) = default;

private:
    std::optional<QString> m_applicationPath;
    QUrl m_fallbackURL;
    bool m_opensURLInApplication;
};

// The fixed addresses of the owner's assistant and of the local Lumivo
// service. Each is parsed once, on first use.
class CompanionRoute {
public:
    CompanionRoute() = delete;

    static const QUrl& lumivoGPT();
    static const QUrl& lumivoOS();
    static const QUrl& notificationFeed();
    static const QUrl& zorivirActions();
    static const QUrl& mobileLink();
    static const QUrl& snapshot();
    static const QUrl& agentUsage();
    static const QUrl& fleet();

    // The URL of a text written into this program. A text that does not
    // parse strictly, or has no scheme, is a programming error: the program
    // reports it on stderr and aborts rather than open something else.
    static QUrl requiredURL(const QString& text);
};

// One call to action of the menus and panels. The raw values are the case
// names and are what the rest of the program stores and exchanges.
class CompanionCTA {
public:
    enum Value : std::uint8_t {
        openDadi,
        activityMonitor,
        chatGPT,
        claude,
        slack,
        email,
        calendar,
        meet,
        writeWithAI,
        sales,
        service,
        rozidari,
        cardConnect,
        lumivoIgnite,
        support,
        web,
        googleAds,
        metaAds,
        semrush,
        joinLumivo,
        bank,
        messages,
        phone,
        googleSearch,
        googleAdmin,
        gusto,
        googleDocs,
        workspaceDashboard,
        agencyAnalytics,
        onePassword,
        xero,
        agreements,
        cca,
        proposal,
        drive,
        sheets,
        webflow,
        siteground,
        cloudflare,
        github,
        hubstaff,
        appleMusic,
        youtube,
        hulu,
        netflix,
        focusSettings,
        weather,
        clock,
    };
    static constexpr auto allCases = casesThrough<Value, clock>();

    constexpr CompanionCTA(Value value) : m_value(value) { }
    constexpr operator Value() const { return m_value; }

    // Exact, case-sensitive match of a raw value; no trimming.
    static std::optional<CompanionCTA> fromRawValue(QStringView text);
    QString rawValue() const;

    // Built anew on every call, so each address is checked where it is used.
    CompanionDestination destination() const;

private:
    Value m_value;
};

inline size_t qHash(CompanionCTA cta, size_t seed = 0) noexcept
{
    return ::qHash(static_cast<int>(CompanionCTA::Value(cta)), seed);
}
