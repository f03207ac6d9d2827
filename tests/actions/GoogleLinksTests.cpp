// Google destinations opened (in a new Chrome window when asked) and their
// tabs closed again, on a desktop in memory; and the rule that picks the tabs.
#include "ActionsTestKit.h"
#include "actions/SearchTabMatching.h"

#include <gtest/gtest.h>

namespace {

using SearchTabMatching::Term;

const QString chromePath = QStringLiteral("/Applications/Google Chrome.app");

QString addressOf(CompanionCTA cta) { return cta.destination().fallbackURL().toString(QUrl::FullyEncoded); }

TEST(SearchTabMatchingRule, TwoAddressesOnOneHostGiveFourTermsInOrder)
{
    const QList<Term> terms =
        SearchTabMatching::closingTerms({QStringLiteral("https://docs.google.com/spreadsheets/u/0/"),
                                         QStringLiteral("https://docs.google.com/document/u/0/")});
    EXPECT_EQ(terms,
              (QList<Term>{{Term::Kind::startsWith, QStringLiteral("https://docs.google.com/document/u/0/")},
                           {Term::Kind::onHost, QStringLiteral("://docs.google.com/")},
                           {Term::Kind::startsWith, QStringLiteral("https://docs.google.com/spreadsheets/u/0/")},
                           {Term::Kind::onHost, QStringLiteral("://docs.google.com/")}}));
    EXPECT_TRUE(SearchTabMatching::closes(terms, QStringLiteral("https://docs.google.com/presentation/d/1")));
    EXPECT_TRUE(SearchTabMatching::closes(terms, QStringLiteral("HTTPS://DOCS.GOOGLE.COM/")));
    // Never a tab on another site that only mentions the host.
    for (const char* tab :
         {"https://drive.google.com/", "https://example.com/?next=docs.google.com",
          "https://evil.invalid/?r=https://docs.google.com/search", "https://evil.invalid/#https://docs.google.com/",
          "https://docs.google.com.evil.invalid/", "data:text/html,://docs.google.com/"})
        EXPECT_FALSE(SearchTabMatching::closes(terms, QString::fromLatin1(tab))) << tab;
}

TEST(SearchTabMatchingRule, QuotesBackslashesAndPortsAreTakenAsTheyAre)
{
    const QString odd = QStringLiteral("https://example.com/a\"b\\c");
    const QList<Term> oddTerms = SearchTabMatching::closingTerms({odd});
    EXPECT_TRUE(SearchTabMatching::closes(oddTerms, odd + QStringLiteral("/more")));
    EXPECT_FALSE(SearchTabMatching::closes(oddTerms, QStringLiteral("https://example.org/a\\\"b\\\\c")));

    // The host term has no port: other pages of that server match only
    // through the address itself.
    const QList<Term> local = SearchTabMatching::closingTerms({QStringLiteral("http://127.0.0.1:4173/join?stage=pay")});
    EXPECT_EQ(local.last(), (Term{Term::Kind::onHost, QStringLiteral("://127.0.0.1/")}));
    EXPECT_TRUE(SearchTabMatching::closes(local, QStringLiteral("http://127.0.0.1:4173/join?stage=pay&step=2")));
    EXPECT_FALSE(SearchTabMatching::closes(local, QStringLiteral("http://127.0.0.1:4173/other")));
    EXPECT_TRUE(SearchTabMatching::closes(local, QStringLiteral("http://127.0.0.1/other")));

    // An address without a host gives only its starts-with term.
    EXPECT_EQ(SearchTabMatching::closingTerms({QStringLiteral("mailto:help@example.com")}).size(), 1);
}

class GoogleLinksTest : public ::testing::Test {
protected:
    GoogleLinksTest()
    {
        t.install(chromePath, QStringLiteral("com.google.Chrome"));
        t.model().setGoogleOpensSeparately(true);
    }

    // Chrome runs with these windows, as the desktop would list them.
    void chromeShows(const QList<ApplicationWindows::WindowId>& windows)
    {
        t.fake.workspace.applications = {runningApplication(60, QStringLiteral("com.google.Chrome"))};
        t.fake.windows.windowsOfProcess.insert(60, windows);
        Q_EMIT t.fake.workspace.windowsChanged();
    }
    GoogleLinks& google() { return t.actions->google; }

    ActionsTestKit t;
};

TEST_F(GoogleLinksTest, TheSeparateModeOpensANewChromeWindowAtOnce)
{
    t.model().menuOpen = true;
    t.actions->launcher.activeCTA = CompanionCTA::slack;
    t.model().openGoogleLink(CompanionCTA::drive);
    EXPECT_EQ(t.fake.applications.newInstances,
              (QList<FakeApplications::NewInstance>{
                  {chromePath, {QStringLiteral("--new-window"), addressOf(CompanionCTA::drive)}}}));
    EXPECT_EQ(t.actions->launcher.activeCTA, std::nullopt);
    EXPECT_TRUE(t.fake.applications.openedURLs.isEmpty());
    EXPECT_EQ(google().googleOpenedURLs, QSet<QString>({addressOf(CompanionCTA::drive)}));
}

TEST_F(GoogleLinksTest, OtherwiseTheDestinationTakesTheUsualRoadAndIsStillRemembered)
{
    // An application destination never opens in a new Chrome window.
    t.model().openGoogleLink(CompanionCTA::weather);
    // Chrome refuses to start.
    t.fake.applications.failingLaunches.insert(chromePath);
    t.model().openGoogleLink(CompanionCTA::youtube);
    // The mode is off.
    t.model().setGoogleOpensSeparately(false);
    t.model().openGoogleLink(CompanionCTA::sheets);
    // Chrome is not installed.
    t.fake.applications.installed.remove(chromePath);
    t.model().setGoogleOpensSeparately(true);
    t.model().openGoogleLink(CompanionCTA::github);

    EXPECT_EQ(t.fake.applications.newInstances.size(), 1) << "only the refused one was tried";
    EXPECT_EQ(t.fake.applications.openedURLs,
              (QList<QUrl>{CompanionCTA(CompanionCTA::weather).destination().fallbackURL(),
                           QUrl(addressOf(CompanionCTA::youtube)), QUrl(addressOf(CompanionCTA::sheets)),
                           QUrl(addressOf(CompanionCTA::github))}));
    EXPECT_EQ(google().googleOpenedURLs,
              QSet<QString>({addressOf(CompanionCTA::weather), addressOf(CompanionCTA::youtube),
                             addressOf(CompanionCTA::sheets), addressOf(CompanionCTA::github)}));

    // Not a web address: not remembered.
    t.model().openGoogleLink(CompanionCTA::focusSettings);
    EXPECT_EQ(google().googleOpenedURLs.size(), 4);
}

TEST_F(GoogleLinksTest, ClosingWithNothingRememberedOnlyClosesThePanel)
{
    t.model().googlePanelOpen = true;
    t.fake.browserTabs.openAddresses = {QStringLiteral("https://drive.google.com/")};
    t.model().closeGoogleSearchWindows();
    EXPECT_FALSE(t.model().googlePanelOpen);
    t.fake.browserTabs.finishRequests();
    EXPECT_EQ(t.fake.browserTabs.openAddresses.size(), 1);
    EXPECT_EQ(t.fake.bell.rings, 0);
}

TEST_F(GoogleLinksTest, TheBrowserClosesTheMatchingTabsAndTheAddressesAreForgotten)
{
    t.model().setGoogleOpensSeparately(false);
    t.model().openGoogleLink(CompanionCTA::drive);
    t.model().openGoogleLink(CompanionCTA::googleDocs);
    t.fake.browserTabs.openAddresses = {QStringLiteral("https://drive.google.com/drive/my-drive"),
                                        QStringLiteral("https://www.youtube.com/"),
                                        QStringLiteral("https://docs.google.com/spreadsheets/d/7")};
    t.model().googlePanelOpen = true;
    t.model().closeGoogleSearchWindows();
    EXPECT_EQ(t.fake.browserTabs.openAddresses, QStringList({QStringLiteral("https://www.youtube.com/")}));

    // Opened while the browser was being asked: kept for the next time.
    t.model().openGoogleLink(CompanionCTA::gusto);
    t.fake.browserTabs.finishRequests();
    EXPECT_EQ(google().googleOpenedURLs, QSet<QString>({addressOf(CompanionCTA::gusto)}));
    EXPECT_FALSE(t.model().googlePanelOpen);
    EXPECT_EQ(t.fake.bell.rings, 0);
}

// No tab closes: the browser cannot be reached, or it holds none of the links' tabs.
class GoogleLinksUnclosedTest : public GoogleLinksTest, public ::testing::WithParamInterface<bool> {
protected:
    GoogleLinksUnclosedTest()
    {
        t.fake.browserTabs.answers = GetParam();
        t.fake.browserTabs.openAddresses = {QStringLiteral("https://example.org/")};
    }
};
INSTANTIATE_TEST_SUITE_P(BrowserAnswers, GoogleLinksUnclosedTest, ::testing::Bool());

// A press once the links opened windows of their own, by what the browser shows.
struct Press {
    const char* browser;
    bool answers;
    QStringList tabs;
    QList<ApplicationWindows::WindowId> windowsClosed;
    bool ringsAndKeepsTheAddresses;
};
void PrintTo(const Press& press, std::ostream* out) { *out << press.browser; }
class GoogleLinksPressTest : public GoogleLinksTest, public ::testing::WithParamInterface<Press> { };
const QString usersPage = QStringLiteral("https://example.org/");
INSTANTIATE_TEST_SUITE_P(
    Browsers, GoogleLinksPressTest,
    ::testing::Values(
        Press{"out of reach", false, {}, {21, 22}, false},
        Press{"the link's tab navigated away", true, {usersPage}, {}, true},
        Press{"a tab of the user's beside it", true, {usersPage, addressOf(CompanionCTA::drive)}, {}, false}));

TEST_P(GoogleLinksPressTest, TheLinksWindowsCloseWholeOnlyWithNoBrowserToAsk)
{
    t.fake.browserTabs.answers = GetParam().answers;
    t.fake.browserTabs.openAddresses = GetParam().tabs;
    chromeShows({11});
    t.model().openGoogleLink(CompanionCTA::drive);
    chromeShows({21, 11});
    t.model().openGoogleLink(CompanionCTA::youtube);
    chromeShows({22, 21, 11});
    // The user's own window, opened long after.
    t.advance(20s);
    chromeShows({23, 22, 21, 11});

    t.model().closeGoogleSearchWindows();
    t.fake.browserTabs.finishRequests();
    EXPECT_EQ(t.fake.windows.closeRequests, GetParam().windowsClosed);
    EXPECT_EQ(google().googleOpenedURLs.isEmpty(), !GetParam().ringsAndKeepsTheAddresses);
    EXPECT_EQ(t.fake.bell.rings, GetParam().ringsAndKeepsTheAddresses ? 1 : 0);
}

TEST_P(GoogleLinksUnclosedTest, WhenNoWindowIsLeftEitherTheBellRingsAndTheAddressesStay)
{
    chromeShows({11});
    t.model().openGoogleLink(CompanionCTA::drive);
    chromeShows({21, 11});
    chromeShows({11}); // closed by the user

    t.model().googlePanelOpen = true;
    t.model().closeGoogleSearchWindows();
    t.fake.browserTabs.finishRequests();
    EXPECT_TRUE(t.fake.windows.closeRequests.isEmpty());
    EXPECT_EQ(t.fake.bell.rings, 1);
    EXPECT_EQ(t.fake.applications.openedURLs,
              QList<QUrl>({QUrl(
                  QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_Automation"))}));
    EXPECT_EQ(google().googleOpenedURLs, QSet<QString>({addressOf(CompanionCTA::drive)}));
    EXPECT_FALSE(t.model().googlePanelOpen);

    // Once the browser answers with the tab, the same tabs close.
    t.fake.browserTabs.answers = true;
    t.fake.browserTabs.openAddresses.append(QStringLiteral("https://drive.google.com/"));
    t.model().closeGoogleSearchWindows();
    t.fake.browserTabs.finishRequests();
    EXPECT_EQ(t.fake.browserTabs.openAddresses, QStringList({QStringLiteral("https://example.org/")}));
    EXPECT_TRUE(google().googleOpenedURLs.isEmpty());
}

} // namespace
