#include "model/CompanionDestinations.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <QSet>
#include <QUrlQuery>

#include <string>
#include <string_view>
#include <utility>

namespace {

CompanionDestination destinationOf(CompanionCTA cta) { return cta.destination(); }

// The whole of what requiredURL leaves on stderr when it rejects text: one
// line of its own, and nothing after it.
std::string rejectionPattern(const std::string& text)
{
    std::string escaped;
    for (const char c : text) {
        if (std::string_view(".[]{}()\\*+?^$|").find(c) != std::string_view::npos)
            escaped += '\\';
        escaped += c;
    }
    return "(^|\n)Invalid concrete companion route: " + escaped + "\n$";
}

} // namespace

TEST(CompanionCTA, CasesAreInDeclarationOrderWithUniqueRawValues)
{
    ASSERT_EQ(CompanionCTA::allCases.size(), 48u);
    EXPECT_EQ(CompanionCTA::allCases.front(), CompanionCTA::openDadi);
    EXPECT_EQ(CompanionCTA::allCases.back(), CompanionCTA::clock);

    QSet<QString> rawValues;
    QSet<CompanionCTA> cases;
    for (std::size_t index = 0; index < CompanionCTA::allCases.size(); ++index) {
        const CompanionCTA cta = CompanionCTA::allCases[index];
        EXPECT_EQ(static_cast<std::size_t>(CompanionCTA::Value(cta)), index);
        EXPECT_EQ(CompanionCTA::fromRawValue(cta.rawValue()), cta) << cta.rawValue().toStdString();
        rawValues.insert(cta.rawValue());
        cases.insert(cta);
    }
    EXPECT_EQ(rawValues.size(), 48);
    EXPECT_EQ(cases.size(), 48);
    EXPECT_EQ(CompanionCTA(CompanionCTA::workspaceDashboard).rawValue(), QStringLiteral("workspaceDashboard"));
}

TEST(CompanionCTA, FromRawValueIsExact)
{
    EXPECT_EQ(CompanionCTA::fromRawValue(u"lumivoIgnite"), CompanionCTA::lumivoIgnite);
    EXPECT_EQ(CompanionCTA::fromRawValue(u"joinLumivo"), CompanionCTA::joinLumivo);
    for (const auto text : {u"LumivoIgnite", u"JOINLUMIVO", u" joinLumivo", u"joinLumivo ", u"", u"join"})
        EXPECT_FALSE(CompanionCTA::fromRawValue(text).has_value()) << QString::fromUtf16(text).toStdString();
}

TEST(CompanionCTA, ApplicationsAndHowTheyOpen)
{
    int withApplication = 0;
    for (const CompanionCTA cta : CompanionCTA::allCases) {
        const CompanionDestination destination = destinationOf(cta);
        if (const auto& path = destination.applicationPath()) {
            ++withApplication;
            EXPECT_TRUE(QDir::isAbsolutePath(*path)) << path->toStdString();
            EXPECT_TRUE(path->endsWith(QStringLiteral(".app"))) << path->toStdString();
        }
        EXPECT_EQ(destination.opensURLInApplication(), cta == CompanionCTA::web) << cta.rawValue().toStdString();
    }
    EXPECT_EQ(withApplication, 16);
    EXPECT_EQ(destinationOf(CompanionCTA::web).applicationPath(), QStringLiteral("/Applications/Google Chrome.app"));
}

TEST(CompanionCTA, WebFallbacksAreHttpsOutsideTheLocalServices)
{
    const QSet<CompanionCTA> otherSchemes{CompanionCTA::activityMonitor, CompanionCTA::calendar,
                                          CompanionCTA::support,         CompanionCTA::messages,
                                          CompanionCTA::phone,           CompanionCTA::focusSettings};
    for (const CompanionCTA cta : CompanionCTA::allCases) {
        const QUrl url = destinationOf(cta).fallbackURL();
        SCOPED_TRACE(cta.rawValue().toStdString() + " -> " + url.toString().toStdString());
        ASSERT_TRUE(url.isValid());
        if (url.host() == QStringLiteral("127.0.0.1")) {
            EXPECT_EQ(url.scheme(), QStringLiteral("http"));
            EXPECT_EQ(url.port(), cta == CompanionCTA::openDadi ? 4317 : 4173);
        } else if (!otherSchemes.contains(cta)) {
            EXPECT_EQ(url.scheme(), QStringLiteral("https"));
            EXPECT_FALSE(url.host().isEmpty());
        }
    }
}

TEST(CompanionCTA, SchemeOnlyAndOpaqueFallbacksAreAccepted)
{
    const QUrl sms = CompanionRoute::requiredURL(QStringLiteral("sms:"));
    EXPECT_EQ(sms.scheme(), QStringLiteral("sms"));
    EXPECT_TRUE(sms.path().isEmpty());
    EXPECT_EQ(destinationOf(CompanionCTA::messages).fallbackURL(), sms);

    const QUrl focus = destinationOf(CompanionCTA::focusSettings).fallbackURL();
    EXPECT_EQ(focus.scheme(), QStringLiteral("x-apple.systempreferences"));
    EXPECT_EQ(focus.path(), QStringLiteral("com.apple.Focus-Settings.extension"));
    EXPECT_EQ(destinationOf(CompanionCTA::support).fallbackURL().scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(CompanionRoute::requiredURL(QStringLiteral("tel:")).scheme(), QStringLiteral("tel"));
}

TEST(CompanionCTA, LocalFileFallbacks)
{
    const CompanionDestination monitor = destinationOf(CompanionCTA::activityMonitor);
    ASSERT_TRUE(monitor.applicationPath().has_value());
    EXPECT_TRUE(monitor.fallbackURL().isLocalFile());
    EXPECT_EQ(monitor.fallbackURL().toLocalFile(), *monitor.applicationPath());

    EXPECT_EQ(destinationOf(CompanionCTA::calendar).fallbackURL().toString(),
              QStringLiteral("file:///System/Applications/Calendar.app"));
}

TEST(CompanionCTA, PagesKeepTheirPathsQueriesAndFragments)
{
    const QUrl pay = destinationOf(CompanionCTA::cca).fallbackURL();
    EXPECT_EQ(pay.path(), QStringLiteral("/join"));
    EXPECT_EQ(QUrlQuery(pay).queryItemValue(QStringLiteral("stage")), QStringLiteral("pay"));
    EXPECT_EQ(destinationOf(CompanionCTA::joinLumivo).fallbackURL().toString(),
              QStringLiteral("http://127.0.0.1:4173/join"));

    const QUrl library = destinationOf(CompanionCTA::agreements).fallbackURL();
    const QUrl templates = destinationOf(CompanionCTA::proposal).fallbackURL();
    EXPECT_EQ(library.path(), QStringLiteral("/a/"));
    EXPECT_EQ(library.fragment(), QStringLiteral("/library"));
    EXPECT_EQ(templates.fragment(), QStringLiteral("/templates"));
    EXPECT_EQ(library.adjusted(QUrl::RemoveFragment), templates.adjusted(QUrl::RemoveFragment));

    EXPECT_TRUE(destinationOf(CompanionCTA::email).fallbackURL().path().contains(QLatin1Char('@')));
}

TEST(CompanionCTA, SharedAndDistinctDestinations)
{
    EXPECT_EQ(destinationOf(CompanionCTA::rozidari), destinationOf(CompanionCTA::lumivoIgnite));
    EXPECT_EQ(destinationOf(CompanionCTA::rozidari).fallbackURL().path(), QStringLiteral("/login"));

    const CompanionDestination search = destinationOf(CompanionCTA::googleSearch);
    const CompanionDestination web = destinationOf(CompanionCTA::web);
    EXPECT_EQ(search.fallbackURL(), web.fallbackURL());
    EXPECT_NE(search, web);
}

TEST(CompanionCTA, NetflixPathDoesNotFollowTheCurrentHome)
{
    const QString before = *destinationOf(CompanionCTA::netflix).applicationPath();
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", "/tmp/someone-else");
    const QString after = *destinationOf(CompanionCTA::netflix).applicationPath();
    qputenv("HOME", home);

    EXPECT_EQ(before, after);
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^/Users/[^/]+/Applications/Netflix\\.app$")).match(before).hasMatch())
        << before.toStdString();
}

TEST(CompanionDestination, FactoriesAndEquality)
{
    const QUrl page(QStringLiteral("https://example.com/start"));
    const QString path = QStringLiteral("/Applications/Example.app");

    EXPECT_EQ(CompanionDestination::url(page), CompanionDestination(std::nullopt, page, false));
    EXPECT_EQ(CompanionDestination::app(path, page), CompanionDestination(path, page, false));
    EXPECT_NE(CompanionDestination::app(path, page, true), CompanionDestination::app(path, page));
    EXPECT_NE(CompanionDestination::app(path, page), CompanionDestination::url(page));
    // An empty path is still a path.
    EXPECT_NE(CompanionDestination::app(QString(), page), CompanionDestination::url(page));
    // URLs compare as URLs, not as the text they were written with.
    EXPECT_EQ(CompanionDestination::url(QUrl(QStringLiteral("HTTPS://EXAMPLE.com/start"))),
              CompanionDestination::url(page));
    EXPECT_NE(CompanionDestination::url(QUrl(QStringLiteral("https://example.com/Start"))),
              CompanionDestination::url(page));
}

TEST(CompanionRoute, LocalServiceRoutes)
{
    // The paths the local service answers on; a slip here fails only at run time.
    const std::pair<const QUrl& (*)(), const char*> routes[] = {
        {CompanionRoute::lumivoOS, "/"},
        {CompanionRoute::notificationFeed, "/api/companion/notifications"},
        {CompanionRoute::zorivirActions, "/api/zorivir/actions"},
        {CompanionRoute::mobileLink, "/api/codex/mobile-link"},
        {CompanionRoute::snapshot, "/api/snapshot"},
        {CompanionRoute::agentUsage, "/api/companion/agent-usage"},
        {CompanionRoute::fleet, "/api/fleet/bots"},
    };
    for (const auto& [route, path] : routes) {
        EXPECT_EQ(route().toString(), QStringLiteral("http://127.0.0.1:4173") + QString::fromLatin1(path));
        EXPECT_EQ(&route(), &route());
    }

    const QUrl gpt = CompanionRoute::lumivoGPT();
    EXPECT_EQ(gpt.scheme(), QStringLiteral("https"));
    EXPECT_EQ(gpt.host(), QStringLiteral("chatgpt.com"));
    EXPECT_TRUE(gpt.path().startsWith(QStringLiteral("/g/"))) << gpt.toString().toStdString();
    EXPECT_EQ(&CompanionRoute::lumivoGPT(), &CompanionRoute::lumivoGPT());
}

TEST(CompanionRouteDeathTest, RequiredURLAbortsOnTextThatIsNoConcreteURL)
{
    for (const char* text : {"/api/snapshot", "", "http://exa mple.com", "%s%n%s relative"}) {
        SCOPED_TRACE(text);
        EXPECT_DEATH(CompanionRoute::requiredURL(QString::fromUtf8(text)), rejectionPattern(text));
    }
}
