#include "WebDesktopKit.h"
#include "platform/fake/FakeApplications.h"
#include "support/QtPrinters.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWindow>

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

namespace {

// Records the links handed to the desktop's handler of a scheme.
class SchemeHandler final : public QObject {
    Q_OBJECT

public:
    explicit SchemeHandler(const QString& scheme) : m_scheme(scheme)
    {
        QDesktopServices::setUrlHandler(scheme, this, "open");
    }
    ~SchemeHandler() override { QDesktopServices::unsetUrlHandler(m_scheme); }

    QList<QUrl> opened;

public Q_SLOTS:
    void open(const QUrl& url) { opened.append(url); }

private:
    QString m_scheme;
};

// The web windows with a browser that records every address handed to it.
struct RecordedWebWindows {
    FakeApplications browser;
    WebWindowsTestKit kit{browser, engineFolders};
    SchemeHandler lumivoLinks{u"lumivo"_s};
};

const auto* const privateWebHome = ::testing::AddGlobalTestEnvironment(new PrivateWebHome);

QByteArray chatPage() { return pageFilledBy("chat", R"(<a class="fill" href="/next">Next</a>)"); }

TEST_F(WebDesktop, ChatPageLoadsOnceKeepsTheUsersNavigationAndSharesItsWindowWithTalk)
{
    kit.server().answer("GET", "/", TestResponse::html(chatPage()));
    kit.server().answer("GET", "/next", TestResponse::html(pageFilledBy("next", "Followed")));

    kit.model().openChat();
    ASSERT_NE(kit.windows->chatWindow(), nullptr);
    WebWindow& chat = *kit.windows->chatWindow();
    QWidget& window = chat.window();
    ASSERT_TRUE(titleBecomes(chat, QStringLiteral("chat")));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("My Vora Chat"));
    EXPECT_EQ(window.size(), QSize(480, 760));
    EXPECT_EQ(window.minimumSize(), QSize(420, 560));
    EXPECT_TRUE(waitUntil([&] { return window.isActiveWindow(); })) << "the chat window takes the focus";
    const QString state =
        runTool(QStringLiteral("xprop"),
                {QStringLiteral("-id"), QString::number(window.winId()), QStringLiteral("_NET_WM_STATE")});
    EXPECT_TRUE(state.contains(QStringLiteral("_NET_WM_STATE_ABOVE"))) << state.toStdString();
    const QRect available = window.screen()->availableGeometry();
    EXPECT_LE((window.frameGeometry().center() - available.center()).manhattanLength(), 40);

    kit.model().openChat();
    // A second load of the page would have reached the server before the next one.
    ASSERT_TRUE(clickPageUntil(chat, [&] { return pageTitle(chat) == QStringLiteral("next"); }));
    EXPECT_EQ(kit.server().countOf("/"), 1);

    window.close();
    kit.model().openChat();
    EXPECT_TRUE(window.isVisible());
    // Time is the point: shown again, the window must not load its page again, however long one waits.
    QTest::qWait(300);
    EXPECT_EQ(pageURL(chat).path(), QStringLiteral("/next"));
    EXPECT_EQ(kit.server().countOf("/"), 1);

    kit.model().openTalk();
    EXPECT_EQ(kit.windows->chatWindow(), &chat);
    ASSERT_TRUE(titleBecomes(chat, QStringLiteral("chat")));
    EXPECT_EQ(pageURL(chat), kit.served(QStringLiteral("/?companion=1&expanded=1&popout=1&voice=1")));
    EXPECT_EQ(kit.windows->zorivirWindow(), nullptr);
}

TEST_F(WebDesktop, FunnelHasItsOwnWindowThatOpensAfterTheMenuSettles)
{
    kit.server().answer("GET", "/join", TestResponse::html(pageFilledBy("join", "Audit")));

    kit.model().menuOpen = true;
    kit.model().openZorivirPlan();
    EXPECT_EQ(kit.windows->zorivirWindow(), nullptr);
    kit.scheduler().advance(180ms);
    ASSERT_NE(kit.windows->zorivirWindow(), nullptr);
    WebWindow& funnel = *kit.windows->zorivirWindow();
    ASSERT_TRUE(titleBecomes(funnel, QStringLiteral("join")));
    EXPECT_EQ(pageURL(funnel), kit.served(QStringLiteral("/join?stage=solutions")));
    EXPECT_EQ(funnel.window().windowTitle(), QStringLiteral("Vora AI Audit · Zorivir 2.0"));
    EXPECT_EQ(funnel.window().size(), QSize(1180, 820));

    kit.model().menuOpen = false;
    kit.model().openZorivirReport();
    EXPECT_TRUE(waitUntil([&] { return kit.server().countOf("/join") == 2; }));
    EXPECT_EQ(funnel.currentURL(), kit.served(QStringLiteral("/join")));
    EXPECT_EQ(kit.windows->chatWindow(), nullptr);
}

TEST_F(WebDesktop, BackAndForwardStartDisabledAndFollowTheHistory)
{
    kit.server().answer("GET", "/", TestResponse::html(chatPage()));
    kit.server().answer("GET", "/next", TestResponse::html(pageFilledBy("next", "Followed")));
    kit.model().openChat();
    WebWindow& chat = *kit.windows->chatWindow();
    QToolButton* back = navigationButton(chat, QStringLiteral("Back"));
    QToolButton* forward = navigationButton(chat, QStringLiteral("Forward"));
    ASSERT_TRUE(back && forward);
    EXPECT_FALSE(back->icon().isNull());
    EXPECT_FALSE(forward->icon().isNull());
    // At the window's top leading edge, Back first.
    EXPECT_LT(back->geometry().right(), forward->geometry().left());
    EXPECT_LT(forward->geometry().bottom(), webViewOf(chat)->geometry().top() + 1);
    EXPECT_LE(back->geometry().left(), 12);

    ASSERT_TRUE(titleBecomes(chat, QStringLiteral("chat")));
    EXPECT_FALSE(back->isEnabled());
    EXPECT_FALSE(forward->isEnabled());

    ASSERT_TRUE(clickPageUntil(chat, [&] { return pageTitle(chat) == QStringLiteral("next"); }));
    EXPECT_TRUE(waitUntil([&] { return back->isEnabled(); }));
    EXPECT_FALSE(forward->isEnabled());

    back->click();
    ASSERT_TRUE(titleBecomes(chat, QStringLiteral("chat")));
    EXPECT_TRUE(waitUntil([&] { return forward->isEnabled() && !back->isEnabled(); }));

    forward->click();
    ASSERT_TRUE(titleBecomes(chat, QStringLiteral("next")));
    EXPECT_TRUE(waitUntil([&] { return back->isEnabled() && !forward->isEnabled(); }));
}

TEST_F(WebDesktop, NewWindowsOpenInTheDefaultBrowserAndTheWindowKeepsItsPage)
{
    kit.server().answer(
        "GET", "/",
        TestResponse::html(pageFilledBy(
            "links", R"(<a class="fill" href="https://example.com/elsewhere?from=chat" target="_blank">Away</a>)")));
    kit.model().openChat();
    WebWindow& chat = *kit.windows->chatWindow();
    ASSERT_TRUE(titleBecomes(chat, QStringLiteral("links")));
    const QUrl page = pageURL(chat);

    const QString record = PrivateWebHome::browserFolder->recordOf(QStringLiteral("browser"));
    ASSERT_TRUE(clickPageUntil(chat, [&] { return QFileInfo::exists(record); }));
    // The browser starts only once the window has given the address away.
    EXPECT_EQ(PrivateWebHome::browserFolder->waitForRecord(QStringLiteral("browser")),
              QStringList({QStringLiteral("https://example.com/elsewhere?from=chat")}));
    EXPECT_EQ(pageURL(chat), page);
    EXPECT_EQ(pageTitle(chat), QStringLiteral("links"));
    int shown = 0;
    for (QWindow* window : QGuiApplication::topLevelWindows())
        shown += window->isVisible() ? 1 : 0;
    EXPECT_EQ(shown, 1);
}

TEST_F(WebDesktop, ScriptsSendNothingOutAndAClickAtMostOneWebAddress)
{
    RecordedWebWindows recorded;
    const QByteArray button = R"(<button class="fill">Go</button>)";
    recorded.kit.server().answer("GET", "/", TestResponse::html(pageFilledBy("links", button, R"(
        const openAll = stage => {
            for (let i = 0; i < 50; ++i)
                window.open('https://example.com/' + stage + '/' + i);
            window.open('lumivo://notify?type=call&detail=' + stage);
        };
        openAll('load');
        document.title = 'tried';
        document.querySelector('button').onclick = () => {
            openAll('click');
            document.title = 'clicked';
        };
    )")));
    recorded.kit.model().openChat();
    WebWindow& chat = *recorded.kit.windows->chatWindow();
    ASSERT_TRUE(titleBecomes(chat, u"tried"_s));
    // The page names itself "clicked" after it has asked for every window.
    ASSERT_TRUE(clickPageUntil(chat, [&] { return pageTitle(chat) == u"clicked"_s; }));
    ASSERT_TRUE(waitUntil([&] { return !recorded.browser.openedURLs.isEmpty(); }));
    EXPECT_EQ(recorded.browser.openedURLs, QList<QUrl>{QUrl(u"https://example.com/click/0"_s)});
    EXPECT_EQ(recorded.lumivoLinks.opened, QList<QUrl>());
}

TEST_F(WebDesktop, OtherSitesAndSchemesLeaveOnlyAfterAClickAndTheWindowKeepsItsPage)
{
    RecordedWebWindows recorded;
    TestServer& server = recorded.kit.server();
    // Another origin, on the same server.
    const auto elsewhere = [&](const char* path) {
        QUrl url = recorded.kit.served(QString::fromLatin1(path));
        url.setHost(u"localhost"_s);
        return url;
    };
    // The page's title comes after its script tried to leave, so the attempt
    // is decided before the test clicks.
    server.answer("GET", "/",
                  TestResponse::html(pageFilledBy(
                      "loading", R"(<a class="fill" href=")" + elsewhere("/away").toEncoded() + R"(">Away</a>)",
                      "location.href = '" + elsewhere("/pushed").toEncoded() + "'; document.title = 'links';")));
    recorded.kit.model().openChat();
    WebWindow& chat = *recorded.kit.windows->chatWindow();
    ASSERT_TRUE(titleBecomes(chat, u"links"_s));
    const QUrl page = pageURL(chat);
    ASSERT_TRUE(clickPageUntil(chat, [&] { return !recorded.browser.openedURLs.isEmpty(); }));
    EXPECT_EQ(recorded.browser.openedURLs, QList<QUrl>{elsewhere("/away")});
    EXPECT_EQ(pageURL(chat), page);
    EXPECT_EQ(pageTitle(chat), u"links"_s);

    // A lumivo link stays inside, even when clicked; then the link turns
    // into a web address for a new window, which the next click opens.
    server.answer("GET", "/scheme",
                  TestResponse::html(pageFilledBy(
                      "scheme", R"(<a class="fill" href="lumivo://notify?type=call&amp;detail=Hi">Notify</a>)", R"(
        const link = document.querySelector('a');
        link.onclick = () => setTimeout(() => {
            link.href = 'https://example.com/after';
            link.target = '_blank';
            document.title = 'clicked';
        }, 0);
    )")));
    chat.show(recorded.kit.served(u"/scheme"_s));
    ASSERT_TRUE(titleBecomes(chat, u"scheme"_s));
    // Had the window followed either address, the server would have been asked before for this page.
    EXPECT_EQ(server.countOf("/away") + server.countOf("/pushed"), 0);
    ASSERT_TRUE(clickPageUntil(chat, [&] { return pageTitle(chat) == u"clicked"_s; }));
    ASSERT_TRUE(clickPageUntil(chat, [&] { return recorded.browser.openedURLs.size() == 2; }));
    EXPECT_EQ(recorded.browser.openedURLs.last(), QUrl(u"https://example.com/after"_s));
    EXPECT_EQ(recorded.lumivoLinks.opened, QList<QUrl>());
    EXPECT_EQ(pageURL(chat), recorded.kit.served(u"/scheme"_s));
}

// One second of a quiet tone, as a WAV file.
QByteArray toneWave()
{
    constexpr int rate = 8000;
    QByteArray samples;
    for (int i = 0; i < rate; ++i) {
        const qint16 value = qint16(2000 * std::sin(2 * M_PI * 440 * i / rate));
        samples.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    const auto le32 = [](quint32 v) { return QByteArray(reinterpret_cast<const char*>(&v), 4); };
    const auto le16 = [](quint16 v) { return QByteArray(reinterpret_cast<const char*>(&v), 2); };
    return "RIFF" + le32(36 + samples.size()) + "WAVEfmt " + le32(16) + le16(1) + le16(1) + le32(rate) + le32(rate * 2)
        + le16(2) + le16(16) + "data" + le32(samples.size()) + samples;
}

TEST_F(WebDesktop, ClosingTheWindowPausesItsMediaAndShowingItAgainDoesNotReload)
{
    TestResponse tone = TestResponse::html(toneWave());
    tone.contentType = "audio/wav";
    kit.server().answer("GET", "/tone.wav", tone);
    kit.server().answer("GET", "/",
                        TestResponse::html(pageFilledBy("ready", R"(<button class="fill">Play</button>
        <audio src="/tone.wav" loop></audio>)",
                                                        R"(
        const tone = document.querySelector('audio');
        tone.onplaying = () => document.title = 'playing';
        tone.onpause = () => document.title = 'paused';
        document.querySelector('button').onclick = () => tone.play().catch(e => document.title = 'failed ' + e.name);
    )")));
    kit.model().openChat();
    WebWindow& chat = *kit.windows->chatWindow();
    ASSERT_TRUE(titleBecomes(chat, QStringLiteral("ready")));
    ASSERT_TRUE(clickPageUntil(chat, [&] { return pageTitle(chat) != QStringLiteral("ready"); }));
    ASSERT_TRUE(titleBecomes(chat, QStringLiteral("playing"))) << pageTitle(chat).toStdString();

    chat.window().close();
    EXPECT_FALSE(chat.window().isVisible());
    EXPECT_TRUE(titleBecomes(chat, QStringLiteral("paused")));

    kit.model().openChat();
    // Time is the point: shown again, the window must not load its page again, however long one waits.
    QTest::qWait(500);
    EXPECT_TRUE(chat.window().isVisible());
    EXPECT_EQ(pageTitle(chat), QStringLiteral("paused"));
    EXPECT_EQ(kit.server().countOf("/"), 1);
}

} // namespace

#include "WebWindowTests.moc"
