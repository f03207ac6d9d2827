#include "WebWindowsTestKit.h"
#include "platform/fake/FakeApplications.h"
#include "support/QtPrinters.h"
#include "support/WaitUntil.h"
#include "web/WebEngineLoader.h"
#include "web/WebPages.h"
#include "web/WebWindowRules.h"

#include <QTemporaryDir>
#include <QUrlQuery>

#include <gtest/gtest.h>

#include <limits>

using namespace std::chrono_literals;
using WebWindowRules::Capture;

namespace {

TEST(WebWindowRules, OnlyTheLocalServersPagesGetTheMicrophoneAndNothingElse)
{
    const QUrl loopback(QStringLiteral("http://127.0.0.1:4173/"));
    const QUrl named(QStringLiteral("http://LocalHost:8080/"));
    EXPECT_TRUE(WebWindowRules::grants(loopback, Capture::microphone));
    EXPECT_TRUE(WebWindowRules::grants(named, Capture::microphone));
    for (const Capture other :
         {Capture::camera, Capture::cameraAndMicrophone, Capture::screen, Capture::screenWithAudio, Capture::other}) {
        EXPECT_FALSE(WebWindowRules::grants(loopback, other)) << int(other);
        EXPECT_FALSE(WebWindowRules::grants(named, other)) << int(other);
    }
    for (const char* elsewhere : {"http://elsewhere.localhost/", "http://localhost.example.com/", "http://127.0.0.2/",
                                  "http://[::1]/", "https://chatgpt.com/", "file:///tmp/page.html"})
        EXPECT_FALSE(WebWindowRules::grants(QUrl(QString::fromLatin1(elsewhere)), Capture::microphone)) << elsewhere;
}

TEST(WebWindowRules, CoveringFrameIsHeldBetweenTwoFifthsAndNineTenthsAndCentred)
{
    const QRect available(100, 40, 1000, 800);
    EXPECT_EQ(WebWindowRules::coveringFrame(available, 0.5), QRect(350, 240, 500, 400));
    EXPECT_EQ(WebWindowRules::coveringFrame(available, 0.1).size(), QSize(400, 320));
    EXPECT_EQ(WebWindowRules::coveringFrame(available, 1.5).size(), QSize(900, 720));
    EXPECT_EQ(WebWindowRules::coveringFrame(available, std::numeric_limits<double>::quiet_NaN()).size(),
              QSize(400, 320));
    EXPECT_EQ(WebWindowRules::coveringFrame(available, 0.9).center(), available.center());
}

TEST(WebWindowRules, OnlyWebAddressesLeaveAWindowAndPagesStayWithinTheirOrigin)
{
    for (const char* leaves : {"https://example.com/path?q=1", "http://127.0.0.1:4173/join", "HTTPS://EXAMPLE.COM/"})
        EXPECT_TRUE(WebWindowRules::mayLeave(QUrl(QString::fromLatin1(leaves)))) << leaves;
    for (const char* stays : {"lumivo://notify?type=call&detail=Hi", "LUMIVO://schedule", "mailto:someone@example.com",
                              "javascript:alert(1)", "file:///etc/passwd", "data:text/html,<b>hi</b>",
                              "ftp://example.com/file", "http://", ""})
        EXPECT_FALSE(WebWindowRules::mayLeave(QUrl(QString::fromLatin1(stays)))) << stays;

    const QUrl home(QStringLiteral("http://127.0.0.1:4173/?companion=1"));
    for (const char* same : {"http://127.0.0.1:4173/next#part", "HTTP://127.0.0.1:4173/join?stage=pay"})
        EXPECT_TRUE(WebWindowRules::sameOrigin(QUrl(QString::fromLatin1(same)), home)) << same;
    for (const char* other :
         {"http://127.0.0.1:4174/", "http://127.0.0.2:4173/", "http://localhost:4173/", "https://127.0.0.1:4173/",
          "http://127.0.0.1/", "lumivo://127.0.0.1:4173/", "about:blank", ""})
        EXPECT_FALSE(WebWindowRules::sameOrigin(QUrl(QString::fromLatin1(other)), home)) << other;
    EXPECT_TRUE(WebWindowRules::sameOrigin(QUrl(QStringLiteral("https://a.example:443/b")),
                                           QUrl(QStringLiteral("https://a.example/"))));
}

TEST(WebWindowRules, EachClickLetsOneRequestOutShortlyAfterIt)
{
    using Clock = WebWindowRules::UserClicks::Clock;
    // A click (true) or a request (false, with the answer it gets) at a time in milliseconds.
    struct Step {
        bool click;
        int at;
        bool answer = false;
    };
    const struct {
        const char* name;
        std::vector<Step> steps;
    } cases[] = {
        {"no click", {{false, 0, false}, {false, 10, false}}},
        {"one click, a flood", {{true, 0}, {false, 1, true}, {false, 2, false}, {false, 3, false}}},
        {"clicks do not add up", {{true, 0}, {true, 5}, {false, 6, true}, {false, 7, false}}},
        {"a click each", {{true, 0}, {false, 1, true}, {true, 100}, {false, 101, true}}},
        {"too long after", {{true, 0}, {false, 5001, false}}},
        {"just in time", {{true, 0}, {false, 5000, true}}},
        {"a late request uses the click up", {{true, 0}, {false, 6000, false}, {true, 7000}, {false, 7000, true}}},
    };
    const Clock::time_point start = Clock::now();
    for (const auto& [name, steps] : cases) {
        WebWindowRules::UserClicks clicks;
        for (const Step& step : steps) {
            const Clock::time_point at = start + std::chrono::milliseconds(step.at);
            if (step.click)
                clicks.clicked(at);
            else
                EXPECT_EQ(clicks.spend(at), step.answer) << name << " at " << step.at;
        }
    }
}

TEST(WebWindowRules, APageShowsTwoDialogsADocumentOneAtATimeAndEndsWhenItKeepsAskingUnseen)
{
    using enum WebWindowRules::PageDialogs::Answer;
    // Each step asks with the window shown or not and another dialog up or not.
    struct Step {
        bool shown;
        bool dialogUp;
        WebWindowRules::PageDialogs::Answer answer;
    };
    const Step shown{true, false, show}, refused{true, false, refuse}, unseen{false, false, refuse};
    const struct {
        const char* name;
        std::vector<Step> steps;
    } cases[] = {
        {"two, then none", {shown, shown, refused, refused}},
        {"one at a time", {shown, {true, true, refuse}, shown, refused}},
        {"a closed window shows none", {unseen, shown, shown}},
        {"asking again unseen ends the page", {shown, unseen, {false, false, endPage}}},
        {"a loop, then the window closes", {shown, shown, refused, {false, false, endPage}}},
    };
    for (const auto& [name, steps] : cases) {
        WebWindowRules::PageDialogs dialogs;
        for (const Step& step : steps)
            EXPECT_EQ(dialogs.ask(step.shown, step.dialogUp), step.answer) << name << " " << &step - steps.data();
        // A new document starts again.
        dialogs.newDocument();
        EXPECT_EQ(dialogs.ask(true, false), show) << name;
        EXPECT_EQ(dialogs.ask(false, false), refuse) << name;
    }
}

TEST(WebEngineLoader, AsRootTheEngineStartsOnlyWithItsSandboxTurnedOff)
{
    EXPECT_TRUE(WebEngineLoader::engineCanStart(false, {}, {}));
    EXPECT_FALSE(WebEngineLoader::engineCanStart(true, {}, {}));
    EXPECT_FALSE(WebEngineLoader::engineCanStart(true, "0", "--no-sandboxing --disable-gpu"));
    EXPECT_TRUE(WebEngineLoader::engineCanStart(true, "1", {}));
    EXPECT_TRUE(WebEngineLoader::engineCanStart(true, {}, "--disable-gpu --no-sandbox"));
}

TEST(WebPages, CarryTheirFlagsInOrderAndEscapeEveryValue)
{
    EXPECT_EQ(WebPages::chat(), QUrl(QStringLiteral("http://127.0.0.1:4173/?companion=1&expanded=1&popout=1")));
    EXPECT_EQ(WebPages::talk(), QUrl(QStringLiteral("http://127.0.0.1:4173/?companion=1&expanded=1&popout=1&voice=1")));
    EXPECT_EQ(WebPages::funnel(std::nullopt), QUrl(QStringLiteral("http://127.0.0.1:4173/join")));
    EXPECT_EQ(WebPages::funnel(QStringLiteral("solutions")),
              QUrl(QStringLiteral("http://127.0.0.1:4173/join?stage=solutions")));

    const QString prompt = QStringLiteral("Sum A+B & list #5 = 100% réel?");
    const QUrl action = WebPages::codexAction(prompt);
    EXPECT_EQ(action.query(QUrl::FullyEncoded).section(QLatin1Char('&'), 0, 3),
              QStringLiteral("companion=1&expanded=1&popout=1&autorun=1"));
    // Read back the way a form decoder reads it, "+" as a space.
    const QString encodedPrompt = QUrlQuery(action).queryItemValue(QStringLiteral("prompt"), QUrl::FullyEncoded);
    EXPECT_FALSE(encodedPrompt.contains(QLatin1Char('+')));
    EXPECT_EQ(QUrl::fromPercentEncoding(encodedPrompt.toLatin1()), prompt);
}

// Without the web engine module the companion's windows cannot be made; the
// pages still open, in the default browser, after the same menu delay.
class WebWindowsWithoutEngine : public ::testing::Test {
protected:
    QTemporaryDir noEngineHere;
    FakeApplications browser;
    WebWindowsTestKit kit{browser, {noEngineHere.path()}};
};

TEST_F(WebWindowsWithoutEngine, HooksOpenTheirPagesAfterTheMenuSettles)
{
    kit.model().menuOpen = true;
    kit.model().openChat();
    kit.model().openZorivirPlan();
    EXPECT_TRUE(browser.openedURLs.isEmpty());
    EXPECT_EQ(kit.model().expression, CompanionExpression::excited);
    kit.scheduler().advance(180ms);
    EXPECT_EQ(browser.openedURLs,
              QList<QUrl>({kit.served(QStringLiteral("/?companion=1&expanded=1&popout=1")),
                           kit.served(QStringLiteral("/join?stage=solutions"))}));

    kit.model().menuOpen = false;
    kit.model().openTalk();
    kit.model().openZorivirReport();
    EXPECT_EQ(browser.openedURLs.mid(2),
              QList<QUrl>({kit.served(QStringLiteral("/?companion=1&expanded=1&popout=1&voice=1")),
                           kit.served(QStringLiteral("/join"))}));
    EXPECT_EQ(kit.windows->chatWindow(), nullptr);
    EXPECT_EQ(kit.windows->zorivirWindow(), nullptr);
}

TEST_F(WebWindowsWithoutEngine, NothingOpensOnceTheWindowsAreGone)
{
    kit.model().menuOpen = true;
    kit.model().openChat();
    kit.windows.reset();
    kit.scheduler().advance(1s);
    kit.model().openTalk();
    kit.model().openZorivirReport();
    EXPECT_TRUE(browser.openedURLs.isEmpty());
}

TEST_F(WebWindowsWithoutEngine, ContextPacketBriefsTheAssistantWithTheSnapshot)
{
    kit.server().answer("GET", "/api/snapshot", TestResponse::json(R"({"refreshedAtIso": "2026-05-01T09:00:00Z"})"));
    kit.windows->openChatWithContext();
    ASSERT_TRUE(waitUntil([&] { return !browser.openedURLs.isEmpty(); }));
    const QUrl page = browser.openedURLs.first();
    EXPECT_EQ(page.adjusted(QUrl::RemoveQuery), CompanionRoute::lumivoGPT());
    const QString packet = QUrlQuery(page).queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded);
    EXPECT_TRUE(packet.startsWith(QStringLiteral("VARADI OS 2.0 LIVE CONTEXT\nAs of: 2026-05-01T09:00:00Z\n")))
        << packet.toStdString();
}

} // namespace
