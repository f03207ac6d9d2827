#include "actions/GoogleLinks.h"

#include "actions/Chrome.h"
#include "actions/LauncherDispatch.h"
#include "actions/SearchTabMatching.h"
#include "model/CompanionModel.h"
#include "platform/Applications.h"
#include "platform/Bell.h"
#include "platform/BrowserTabs.h"

GoogleLinks::GoogleLinks(Environment environment)
    : m_environment(environment), m_separateWindows(environment.workspace, environment.windows, environment.scheduler)
{
}

void GoogleLinks::openGoogleDestination(CompanionCTA cta)
{
    const CompanionDestination destination = cta.destination();
    const QUrl& address = destination.fallbackURL();
    const bool isWebPage = address.scheme().startsWith(QLatin1String("http"));
    if (isWebPage)
        googleOpenedURLs.insert(address.toString(QUrl::FullyEncoded));

    Applications& applications = m_environment.applications;
    if (m_environment.model.googleOpensSeparately && !destination.applicationPath() && isWebPage
        && applications.exists(Chrome::applicationPath)) {
        // At once: a new window needs no menu to get out of its way.
        if (applications.startNewInstance(Chrome::applicationPath,
                                          {QStringLiteral("--new-window"), address.toString(QUrl::FullyEncoded)})) {
            m_separateWindows.expectNewWindow();
            m_environment.launcher.activeCTA.reset();
            return;
        }
    }
    m_environment.launcher.open(cta);
}

void GoogleLinks::closeGoogleSearchWindows()
{
    const QStringList closing = googleOpenedURLs.values();
    if (closing.isEmpty()) {
        m_environment.model.googlePanelOpen = false;
        return;
    }
    const QList<SearchTabMatching::Term> terms = SearchTabMatching::closingTerms(closing);
    m_environment.browserTabs.closeTabs(
        [terms](const QString& address) { return SearchTabMatching::closes(terms, address); },
        m_lifetime.guard([this, closing](std::optional<qsizetype> closedTabs) { finishClosing(closing, closedTabs); }));
}

void GoogleLinks::finishClosing(const QStringList& closing, std::optional<qsizetype> closedTabs)
{
    bool closed = false;
    if (!closedTabs) {
        // No browser could be asked: the windows opened for the links may
        // still hold their tabs. A browser that answered showed what they
        // hold, and its other pages are the user's.
        closed = m_separateWindows.closeRemaining() > 0;
    } else if (*closedTabs > 0) {
        // The windows went with their last tabs.
        m_separateWindows.forget();
        closed = true;
    }

    if (closed) {
        // Addresses opened while the browser was being asked stay for next time.
        for (const QString& address : closing)
            googleOpenedURLs.remove(address);
    } else {
        m_environment.bell.ring();
        // The settings that let this program control the browser.
        m_environment.applications.openURL(CompanionRoute::requiredURL(
            QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_Automation")));
    }
    m_environment.model.googlePanelOpen = false;
}
