#include "CompanionDestinations.h"

#include <QByteArray>
#include <QStringLiteral>

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

// The owner's own assistant on the ChatGPT web site.
constexpr QStringView lumivoGPTPage = u"https://chatgpt.com/g/g-Lumivo7Qx2-lumivo";

// The local Lumivo service, and Dadi, the second local service beside it.
constexpr QStringView lumivoOSOrigin = u"http://127.0.0.1:4173";
constexpr QStringView dadiOrigin = u"http://127.0.0.1:4317";

// The owner's account on the Mac these application paths were written for;
// Netflix was installed into that account's own Applications folder, so its
// path names the account rather than whoever runs the companion.
constexpr QStringView ownerAccount = u"zq";
constexpr QStringView ownerMailbox = u"zq@lumivo.co";
constexpr QStringView supportMailbox = u"support@lumivo.co";

// Outside services, all over HTTPS.
constexpr QStringView chatGPTSite = u"https://chatgpt.com";
constexpr QStringView claudeSite = u"https://claude.ai";
constexpr QStringView slackWebApp = u"https://app.slack.com";
constexpr QStringView superhumanMail = u"https://mail.superhuman.com";
constexpr QStringView superhumanSite = u"https://superhuman.com";
constexpr QStringView googleMeet = u"https://meet.google.com";
constexpr QStringView goHighLevelApp = u"https://app.gohighlevel.com";
constexpr QStringView clickUpApp = u"https://app.clickup.com";
constexpr QStringView rerizereApp = u"https://app.rerizere.com";
constexpr QStringView cardConnectPortal = u"https://cardconnect.com";
constexpr QStringView googleSearchSite = u"https://www.google.com";
constexpr QStringView googleAdsSite = u"https://ads.google.com";
constexpr QStringView facebookSite = u"https://www.facebook.com";
constexpr QStringView semrushSite = u"https://www.semrush.com";
constexpr QStringView mercuryApp = u"https://app.mercury.com";
constexpr QStringView googleAdminConsole = u"https://admin.google.com";
constexpr QStringView gustoApp = u"https://app.gusto.com";
constexpr QStringView googleDocsSite = u"https://docs.google.com";
constexpr QStringView googleWorkspaceSite = u"https://workspace.google.com";
constexpr QStringView agencyAnalyticsApp = u"https://agencyanalytics.com";
constexpr QStringView onePasswordApp = u"https://my.1password.com";
constexpr QStringView xeroApp = u"https://go.xero.com";
constexpr QStringView pandaDocApp = u"https://app.pandadoc.com";
constexpr QStringView googleDriveSite = u"https://drive.google.com";
constexpr QStringView webflowSite = u"https://webflow.com";
constexpr QStringView siteGroundCustomerSite = u"https://my.siteground.com";
constexpr QStringView cloudflareDashboard = u"https://dash.cloudflare.com";
constexpr QStringView gitHubSite = u"https://github.com";
constexpr QStringView hubstaffApp = u"https://app.hubstaff.com";
constexpr QStringView appleMusicWeb = u"https://music.apple.com";
constexpr QStringView youTubeSite = u"https://www.youtube.com";
constexpr QStringView huluSite = u"https://www.hulu.com";
constexpr QStringView netflixSite = u"https://www.netflix.com";
constexpr QStringView weatherSite = u"https://weather.com";
constexpr QStringView worldClockSite = u"https://www.timeanddate.com";

QUrl required(QStringView text) { return CompanionRoute::requiredURL(text.toString()); }

// A page of a site: its origin followed by the page's path (and query or fragment).
QUrl page(QStringView origin, QStringView rest) { return CompanionRoute::requiredURL(origin.toString().append(rest)); }

QString netflixApplicationPath() { return QStringLiteral("/Users/%1/Applications/Netflix.app").arg(ownerAccount); }

using CTA = CompanionCTA;
using D = CompanionDestination;

// One call to action: its raw value and where it leads.
struct CallToAction {
    CompanionCTA::Value value;
    QStringView rawValue;
    CompanionDestination (*destination)();
};

constexpr std::array<CallToAction, CompanionCTA::allCases.size()> callsToAction{{
    {CTA::openDadi, u"openDadi", [] { return D::url(page(dadiOrigin, u"/")); }},
    {CTA::activityMonitor, u"activityMonitor",
     [] {
         const QString path = QStringLiteral("/System/Applications/Utilities/Activity Monitor.app");
         return D::app(path, QUrl::fromLocalFile(path));
     }},
    {CTA::chatGPT, u"chatGPT",
     [] { return D::app(QStringLiteral("/Applications/ChatGPT.app"), page(chatGPTSite, u"/")); }},
    {CTA::claude, u"claude", [] { return D::app(QStringLiteral("/Applications/Claude.app"), page(claudeSite, u"/")); }},
    {CTA::slack, u"slack", [] { return D::app(QStringLiteral("/Applications/Slack.app"), page(slackWebApp, u"/")); }},
    {CTA::email, u"email",
     [] {
         return D::app(QStringLiteral("/Applications/Superhuman.app"),
                       page(superhumanMail, QStringLiteral("/%1").arg(ownerMailbox)));
     }},
    {CTA::calendar, u"calendar",
     [] {
         return D::app(QStringLiteral("/Applications/Fantastical.app"),
                       required(u"file:///System/Applications/Calendar.app"));
     }},
    {CTA::meet, u"meet", [] { return D::url(page(googleMeet, u"/")); }},
    {CTA::writeWithAI, u"writeWithAI",
     [] {
         return D::app(QStringLiteral("/Applications/Superhuman Go.app"),
                       page(superhumanSite, u"/products/go-ai-assistant"));
     }},
    {CTA::sales, u"sales", [] { return D::url(page(goHighLevelApp, u"/")); }},
    {CTA::service, u"service",
     [] { return D::app(QStringLiteral("/Applications/ClickUp.app"), page(clickUpApp, u"/")); }},
    {CTA::rozidari, u"rozidari", [] { return D::url(page(rerizereApp, u"/login")); }},
    {CTA::cardConnect, u"cardConnect", [] { return D::url(page(cardConnectPortal, u"/")); }},
    // Lumivo Ignite is run from the same Rerizere workspace.
    {CTA::lumivoIgnite, u"lumivoIgnite", [] { return D::url(page(rerizereApp, u"/login")); }},
    {CTA::support, u"support", [] { return D::url(required(QStringLiteral("mailto:%1").arg(supportMailbox))); }},
    // Searching opens in Chrome itself, so the owner's profile and extensions apply.
    {CTA::web, u"web",
     [] { return D::app(QStringLiteral("/Applications/Google Chrome.app"), page(googleSearchSite, u"/"), true); }},
    {CTA::googleAds, u"googleAds", [] { return D::url(page(googleAdsSite, u"/")); }},
    {CTA::metaAds, u"metaAds", [] { return D::url(page(facebookSite, u"/adsmanager/")); }},
    {CTA::semrush, u"semrush", [] { return D::url(page(semrushSite, u"/projects/")); }},
    {CTA::joinLumivo, u"joinLumivo", [] { return D::url(page(lumivoOSOrigin, u"/join")); }},
    {CTA::bank, u"bank", [] { return D::url(page(mercuryApp, u"/login")); }},
    {CTA::messages, u"messages",
     [] { return D::app(QStringLiteral("/System/Applications/Messages.app"), required(u"sms:")); }},
    {CTA::phone, u"phone", [] { return D::app(QStringLiteral("/System/Applications/Phone.app"), required(u"tel:")); }},
    {CTA::googleSearch, u"googleSearch", [] { return D::url(page(googleSearchSite, u"/")); }},
    {CTA::googleAdmin, u"googleAdmin", [] { return D::url(page(googleAdminConsole, u"/")); }},
    {CTA::gusto, u"gusto", [] { return D::url(page(gustoApp, u"/login")); }},
    {CTA::googleDocs, u"googleDocs", [] { return D::url(page(googleDocsSite, u"/document/u/0/")); }},
    {CTA::workspaceDashboard, u"workspaceDashboard", [] { return D::url(page(googleWorkspaceSite, u"/dashboard")); }},
    {CTA::agencyAnalytics, u"agencyAnalytics", [] { return D::url(page(agencyAnalyticsApp, u"/")); }},
    {CTA::onePassword, u"onePassword",
     [] { return D::app(QStringLiteral("/Applications/1Password.app"), page(onePasswordApp, u"/signin")); }},
    {CTA::xero, u"xero", [] { return D::url(page(xeroApp, u"/")); }},
    {CTA::agreements, u"agreements", [] { return D::url(page(pandaDocApp, u"/a/#/library")); }},
    {CTA::cca, u"cca", [] { return D::url(page(lumivoOSOrigin, u"/join?stage=pay")); }},
    {CTA::proposal, u"proposal", [] { return D::url(page(pandaDocApp, u"/a/#/templates")); }},
    {CTA::drive, u"drive", [] { return D::url(page(googleDriveSite, u"/")); }},
    {CTA::sheets, u"sheets", [] { return D::url(page(googleDocsSite, u"/spreadsheets/u/0/")); }},
    {CTA::webflow, u"webflow", [] { return D::url(page(webflowSite, u"/dashboard")); }},
    {CTA::siteground, u"siteground", [] { return D::url(page(siteGroundCustomerSite, u"/")); }},
    {CTA::cloudflare, u"cloudflare", [] { return D::url(page(cloudflareDashboard, u"/")); }},
    {CTA::github, u"github", [] { return D::url(page(gitHubSite, u"/")); }},
    {CTA::hubstaff, u"hubstaff", [] { return D::url(page(hubstaffApp, u"/")); }},
    {CTA::appleMusic, u"appleMusic",
     [] { return D::app(QStringLiteral("/System/Applications/Music.app"), page(appleMusicWeb, u"/")); }},
    {CTA::youtube, u"youtube", [] { return D::url(page(youTubeSite, u"/")); }},
    {CTA::hulu, u"hulu", [] { return D::url(page(huluSite, u"/")); }},
    {CTA::netflix, u"netflix", [] { return D::app(netflixApplicationPath(), page(netflixSite, u"/browse")); }},
    {CTA::focusSettings, u"focusSettings",
     [] { return D::url(required(u"x-apple.systempreferences:com.apple.Focus-Settings.extension")); }},
    {CTA::weather, u"weather",
     [] { return D::app(QStringLiteral("/System/Applications/Weather.app"), page(weatherSite, u"/")); }},
    {CTA::clock, u"clock",
     [] { return D::app(QStringLiteral("/System/Applications/Clock.app"), page(worldClockSite, u"/")); }},
}};
static_assert(holdsEveryCaseInOrder<CompanionCTA>(callsToAction));

} // namespace

CompanionDestination::CompanionDestination(std::optional<QString> applicationPath, QUrl fallbackURL,
                                           bool opensURLInApplication)
    : m_applicationPath(std::move(applicationPath)), m_fallbackURL(std::move(fallbackURL)),
      m_opensURLInApplication(opensURLInApplication)
{
}

CompanionDestination CompanionDestination::app(QString path, QUrl fallbackURL, bool opensURLInApplication)
{
    return {std::move(path), std::move(fallbackURL), opensURLInApplication};
}

CompanionDestination CompanionDestination::url(QUrl fallbackURL)
{
    return {std::nullopt, std::move(fallbackURL), false};
}

QUrl CompanionRoute::requiredURL(const QString& text)
{
    QUrl url(text, QUrl::StrictMode);
    if (url.isValid() && !url.scheme().isEmpty())
        return url;

    // Written byte for byte rather than through a format string: the text is
    // reported exactly as given, whatever characters it holds.
    const QByteArray message =
        QStringLiteral("Invalid concrete companion route: ").append(text).append(QLatin1Char('\n')).toUtf8();
    std::fwrite(message.constData(), 1, static_cast<size_t>(message.size()), stderr);
    std::fflush(stderr);
    std::abort();
}

const QUrl& CompanionRoute::lumivoGPT()
{
    static const QUrl url = required(lumivoGPTPage);
    return url;
}

const QUrl& CompanionRoute::lumivoOS()
{
    static const QUrl url = page(lumivoOSOrigin, u"/");
    return url;
}

const QUrl& CompanionRoute::notificationFeed()
{
    static const QUrl url = page(lumivoOSOrigin, u"/api/companion/notifications");
    return url;
}

const QUrl& CompanionRoute::zorivirActions()
{
    static const QUrl url = page(lumivoOSOrigin, u"/api/zorivir/actions");
    return url;
}

const QUrl& CompanionRoute::mobileLink()
{
    static const QUrl url = page(lumivoOSOrigin, u"/api/codex/mobile-link");
    return url;
}

const QUrl& CompanionRoute::snapshot()
{
    static const QUrl url = page(lumivoOSOrigin, u"/api/snapshot");
    return url;
}

const QUrl& CompanionRoute::agentUsage()
{
    static const QUrl url = page(lumivoOSOrigin, u"/api/companion/agent-usage");
    return url;
}

const QUrl& CompanionRoute::fleet()
{
    static const QUrl url = page(lumivoOSOrigin, u"/api/fleet/bots");
    return url;
}

std::optional<CompanionCTA> CompanionCTA::fromRawValue(QStringView text)
{
    return caseWithRawValue<CompanionCTA>(text);
}

QString CompanionCTA::rawValue() const { return tableText(rowOf(callsToAction, m_value).rawValue); }

CompanionDestination CompanionCTA::destination() const { return rowOf(callsToAction, m_value).destination(); }
