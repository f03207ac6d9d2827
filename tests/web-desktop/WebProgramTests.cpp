// The built companion's web windows on the private desktop, against a local
// server on the program's own port: the windows' names, and a page's alert
// loop, which blocks neither the mascot nor the window's close button.
#include "WebDesktopKit.h"
#include "menu-desktop/ProgramMenuKit.h"
#include "platform/x11/X11ApplicationWindows.h"
#include "server/TestServer.h"
#include "support/QtPrinters.h"

#include <QUrlQuery>

namespace {

using namespace Qt::StringLiterals;

const auto* const privateWebHome = ::testing::AddGlobalTestEnvironment(new PrivateWebHome);

// A page that asks for an alert again and again, reporting each turn to the
// server first: "/asked?page=<this load>&turn=<n>".
const QByteArray alertLoop = R"(<!doctype html><title>looping</title><body><script>
    const page = Math.random().toString(36).slice(2);
    for (let turn = 1; ; ++turn) {
        const report = new XMLHttpRequest();
        report.open('GET', '/asked?page=' + page + '&turn=' + turn, false);
        report.send();
        alert('Again ' + turn);
    }
</script></body>)";

class WebProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        server = localServerStandIn<TestServer>();
        ASSERT_TRUE(server->isListening()) << "port " << localServerPort << " stays taken";
#if defined(__SANITIZE_ADDRESS__)
        // The engine's own code trips this check (see EngineSanitizerOptions.cpp).
        session.setVariable(u"ASAN_OPTIONS"_s, qEnvironmentVariable("ASAN_OPTIONS") + u":new_delete_type_mismatch=0"_s);
#endif
        companion = std::make_unique<RunningCompanion>(session);
        ASSERT_TRUE(companion->waitForMascot().has_value());
    }

    // Opens the menu and presses one of its tiles.
    void press(const QString& tile)
    {
        const std::optional<ShownWindow> panel = openMenu(*companion);
        ASSERT_TRUE(panel.has_value()) << tile.toStdString();
        const MenuMap map(CompanionEdition::commandCenter, {}, panel->geometry.size());
        clickAt(map.centreOf(tile, *panel));
        moveMouse(QPoint(40, 40));
    }

    std::optional<ShownWindow> waitForWindow(const QString& name) const
    {
        std::optional<ShownWindow> found;
        waitUntil([&] { return (found = companion->shownWindow(name)).has_value(); }, 30000);
        return found;
    }

    // The turns the alert loop reported, in order: its load of the page and its number.
    std::vector<std::pair<QString, int>> turns() const
    {
        std::vector<std::pair<QString, int>> reported;
        for (const TestRequest& request : server->requestsTo("/asked")) {
            const QUrlQuery query(QString::fromUtf8(request.query));
            reported.emplace_back(query.queryItemValue(u"page"_s), query.queryItemValue(u"turn"_s).toInt());
        }
        return reported;
    }
    bool anotherLoadReported(const QString& load) const
    {
        const auto reported = turns();
        return !reported.empty() && reported.back().first != load;
    }
    int turnsOf(const QString& load) const
    {
        const auto reported = turns();
        const auto ofLoad = [&](const std::pair<QString, int>& turn) { return turn.first == load; };
        return int(std::count_if(reported.begin(), reported.end(), ofLoad));
    }

    CompanionSession session;
    std::unique_ptr<TestServer> server;
    std::unique_ptr<RunningCompanion> companion;
    X11ApplicationWindows windows;
};

QString netWmName(quint64 window)
{
    return runTool(u"xprop"_s, {u"-id"_s, QString::number(window), u"_NET_WM_NAME"_s}).trimmed();
}

TEST_F(WebProgram, TheWebWindowsCarryTheirOwnNames)
{
    server->answer("GET", "/", TestResponse::html(pageFilledBy("chat", "Chat")));
    server->answer("GET", "/join", TestResponse::html(pageFilledBy("join", "Audit")));
    press(u"Message My Vora"_s);
    const std::optional<ShownWindow> chat = waitForWindow(u"My Vora Chat"_s);
    ASSERT_TRUE(chat.has_value());
    EXPECT_EQ(netWmName(chat->id), u"_NET_WM_NAME(UTF8_STRING) = \"My Vora Chat\""_s);

    press(u"My Vora Audit"_s);
    const std::optional<ShownWindow> funnel = waitForWindow(u"Vora AI Audit"_s);
    ASSERT_TRUE(funnel.has_value());
    EXPECT_EQ(netWmName(funnel->id), u"_NET_WM_NAME(UTF8_STRING) = \"Vora AI Audit · Zorivir 2.0\""_s);
}

TEST_F(WebProgram, AnAlertLoopBlocksNeitherTheMascotNorClosingItsWindow)
{
    server->answer("GET", "/", TestResponse::html(alertLoop));
    press(u"Talk"_s);
    std::optional<ShownWindow> chat = waitForWindow(u"My Vora Chat"_s);
    ASSERT_TRUE(chat.has_value());
    ASSERT_TRUE(waitForWindow(u"Javascript Alert"_s).has_value());

    // With the alert up, the mascot still opens its menu.
    std::optional<ShownWindow> panel = openMenu(*companion);
    ASSERT_TRUE(panel.has_value()) << "the alert blocks the mascot";
    clickAt(mascotOf(*panel));
    ASSERT_TRUE(waitUntil([&] { return !isOpen(*companion); }));

    // Closing the window takes the alert with it and ends the loop (it
    // reports no turn from then on): the page loads anew when the window is
    // shown again.
    ASSERT_TRUE(waitUntil([&] { return !turns().empty(); }));
    const QString firstLoad = turns().back().first;
    ASSERT_TRUE(windows.close(ApplicationWindows::WindowId(chat->id)));
    EXPECT_TRUE(waitUntil([&] { return !companion->shownWindow(u"My Vora Chat"_s); }));
    EXPECT_TRUE(waitUntil([&] { return !companion->shownWindow(u"Javascript Alert"_s); }));
    press(u"Talk"_s);
    ASSERT_TRUE(waitUntil([&] { return anotherLoadReported(firstLoad); }, 30000));
    const int firstLoadTurns = turnsOf(firstLoad);

    // Two alerts a page; the rest go unseen, and the loop runs on without them.
    for (int answered = 0; answered < 2; ++answered) {
        const std::optional<ShownWindow> alert = waitForWindow(u"Javascript Alert"_s);
        ASSERT_TRUE(alert.has_value()) << answered;
        windows.close(ApplicationWindows::WindowId(alert->id));
        ASSERT_TRUE(waitUntil([&] { return !companion->shownWindow(u"Javascript Alert"_s); }));
    }
    EXPECT_TRUE(waitUntil([&] { return turns().back().second >= 20; }, 30000)) << turns().back().second;
    EXPECT_FALSE(companion->shownWindow(u"Javascript Alert"_s).has_value());
    EXPECT_EQ(turnsOf(firstLoad), firstLoadTurns) << "the first loop went on after its window closed";

    // Closing the window ends that loop too.
    const QString secondLoad = turns().back().first;
    chat = companion->shownWindow(u"My Vora Chat"_s);
    ASSERT_TRUE(chat.has_value());
    ASSERT_TRUE(windows.close(ApplicationWindows::WindowId(chat->id)));
    EXPECT_TRUE(waitUntil([&] { return !companion->shownWindow(u"My Vora Chat"_s); }));
    press(u"Talk"_s);
    ASSERT_TRUE(waitUntil([&] { return anotherLoadReported(secondLoad); }, 30000));
    const int secondLoadTurns = turnsOf(secondLoad);
    const std::optional<ShownWindow> alert = waitForWindow(u"Javascript Alert"_s);
    ASSERT_TRUE(alert.has_value());
    windows.close(ApplicationWindows::WindowId(alert->id));
    ASSERT_TRUE(waitUntil([&] { return turns().back().second == 2; }));
    EXPECT_EQ(turnsOf(secondLoad), secondLoadTurns) << "the second loop went on after its window closed";
}

} // namespace
