// The services as the shell uses them: the model's hooks and the chat
// context page.

#include "ServicesTestKit.h"

#include "services/ChatContextPacket.h"

#include <QUrlQuery>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

QString packetOf(const QUrl& page) { return QUrlQuery(page).queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded); }

std::optional<QUrl> openChatWithContext(ServicesTestKit& kit)
{
    std::optional<QUrl> shown;
    int shows = 0;
    kit.services->openChatWithContext([&](const QUrl& page) {
        shown = page;
        ++shows;
    });
    if (!waitUntil([&] { return shown.has_value(); }))
        return std::nullopt;
    EXPECT_TRUE(roundTrip(kit.services->http));
    EXPECT_EQ(shows, 1);
    return shown;
}

} // namespace

TEST(CompanionServices, TheModelsHooksReachTheFleetAndTheMobileLink)
{
    ServicesTestKit kit;
    kit.services->fillModelHooks();
    kit.server.answer("GET", "/api/fleet/bots", TestResponse::json(R"({"bots": []})"));
    kit.server.answer("POST", "/api/fleet/bots", TestResponse::json("{}"));
    kit.server.answer("GET", "/api/codex/mobile-link", TestResponse::json(R"({"url": "https://m.example.com/z"})"));

    kit.model->refreshFleet();
    ASSERT_TRUE(waitUntil([&] { return kit.server.requests().size() == 1; }));
    kit.model->setBotEnabled(QStringLiteral("b1"), true);
    ASSERT_TRUE(waitUntil([&] { return kit.server.requests().size() == 3; }));
    kit.model->setBotUpdates(QStringLiteral("b1"), false);
    ASSERT_TRUE(waitUntil([&] { return kit.server.requests().size() == 5; }));
    kit.model->copyMobileLink();
    ASSERT_TRUE(waitUntil([&] { return kit.pasteboard.text() == QStringLiteral("https://m.example.com/z"); }));

    const auto& requests = kit.server.requests();
    EXPECT_EQ(requests[1].body, QByteArray(R"({"enabled":true,"id":"b1"})"));
    EXPECT_EQ(requests[3].body, QByteArray(R"({"id":"b1","updatesAllowed":false})"));
}

TEST(CompanionServices, HooksOutlivingTheServicesDoNothing)
{
    ServicesTestKit kit;
    kit.services->fillModelHooks();
    kit.services.reset();
    kit.model->refreshFleet();
    kit.model->setBotEnabled(QStringLiteral("b1"), true);
    kit.model->copyMobileLink();
    HttpClient another(kit.scheduler(), addressesOf(kit.server.origin()));
    ASSERT_TRUE(roundTrip(another));
    EXPECT_TRUE(kit.server.requests().empty());
}

TEST(CompanionServices, TheChatContextPageCarriesTheSnapshotsPacket)
{
    ServicesTestKit kit;
    const QByteArray snapshot = R"({"refreshedAtIso": "2024-05-02T09:15:00Z", "customerSummary": {"total": 42}})";
    kit.server.answer("GET", "/api/snapshot", TestResponse::json(snapshot));
    const std::optional<QUrl> page = openChatWithContext(kit);
    ASSERT_TRUE(page);
    EXPECT_EQ(page->host(), CompanionRoute::lumivoGPT().host());
    EXPECT_EQ(packetOf(*page), ChatContextPacket::fromSnapshotBody(snapshot, ChatContextPacket::standardRequest()));
    EXPECT_TRUE(packetOf(*page).contains(QStringLiteral("Customers: 42; unpaid: Missing")));
}

TEST(CompanionServices, WithoutASnapshotTheChatContextPageCarriesTheFallback)
{
    const std::vector<std::pair<const char*, TestResponse>> failures{
        {"server error", TestResponse::json("{}", 500)},
        {"not JSON", TestResponse::text("starting up")},
        {"a list", TestResponse::json("[]")},
        {"server down", TestResponse::hungUp()},
    };
    for (const auto& [name, failure] : failures) {
        ServicesTestKit kit;
        kit.server.answer("GET", "/api/snapshot", failure);
        const std::optional<QUrl> page = openChatWithContext(kit);
        ASSERT_TRUE(page) << name;
        EXPECT_EQ(packetOf(*page), ChatContextPacket::fallback(ChatContextPacket::standardRequest())) << name;
    }

    // A snapshot that never comes is given up after a minute.
    ServicesTestKit slow;
    slow.server.answer("GET", "/api/snapshot", TestResponse::held());
    std::optional<QUrl> page;
    slow.services->openChatWithContext([&](const QUrl& shown) { page = shown; });
    ASSERT_TRUE(waitUntil([&] { return slow.server.heldCount() == 1; }));
    slow.scheduler().advance(60s);
    ASSERT_TRUE(waitUntil([&] { return page.has_value(); }));
    EXPECT_TRUE(packetOf(*page).startsWith(QStringLiteral("VARADI OS LIVE CONTEXT\n")));
}
