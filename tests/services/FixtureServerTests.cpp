// The services against the fixture server, the stand-in that desktop runs
// of the companion use, and that server as a program.

#include "ServicesTestKit.h"

#include "server/FixtureServer.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrlQuery>

#include <gtest/gtest.h>

namespace {

QJsonObject fixture(const char* json) { return QJsonDocument::fromJson(QByteArray(json)).object(); }

void writeFile(const QString& path, const QJsonObject& content)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QJsonDocument(content).toJson());
}

const char* business = R"({
  "notifications": [{"id": 1, "type": "email", "detail": "Waiting since yesterday"}],
  "bots": [{"id": "bot-1", "name": "Front desk", "enabled": true, "updatesAllowed": false}],
  "mobileLink": "https://m.example.com/s/abc",
  "snapshot": {"refreshedAtIso": "2024-05-02T09:15:00Z"},
  "weather": "+68°F"
})";

} // namespace

TEST(FixtureServer, AlertsAddedToTheFileWhileRunningAreRaised)
{
    QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("fixture.json"));
    writeFile(path, fixture(business));
    FixtureServer server;
    ASSERT_TRUE(server.watchFixtureFile(path));
    ServicesTestKit kit({.serverOrigin = server.origin()});

    ASSERT_TRUE(finishes([&](auto done) { kit.polling().pollCompanionNotifications(done); }));
    EXPECT_EQ(kit.polling().latestNotificationID(), 1);
    EXPECT_FALSE(kit.model->activeAlert.get().has_value());

    QJsonObject later = fixture(business);
    QJsonArray alerts = later.value(QStringLiteral("notifications")).toArray();
    alerts.append(fixture(R"({"id": 2, "type": "call", "detail": "Dana Whitfield"})"));
    later.insert(QStringLiteral("notifications"), alerts);
    writeFile(path, later);

    ASSERT_TRUE(finishes([&](auto done) { kit.polling().pollCompanionNotifications(done); }));
    ASSERT_TRUE(kit.model->activeAlert.get().has_value());
    EXPECT_EQ(kit.model->activeAlert.get()->detail(), QStringLiteral("Dana Whitfield"));
    // The server answered only what is newer than the mark.
    EXPECT_EQ(kit.polling().latestNotificationID(), 2);
}

TEST(FixtureServer, KeepsTheFleetChangesItReceives)
{
    FixtureServer server;
    server.setFixture(fixture(business));
    ServicesTestKit kit({.serverOrigin = server.origin()});
    kit.services->fillModelHooks();

    kit.model->setBotEnabled(QStringLiteral("bot-1"), false);
    ASSERT_TRUE(waitUntil([&] { return !kit.model->fleetBots->empty(); }));
    EXPECT_FALSE(kit.model->fleetBots->at(0).enabled);
    EXPECT_FALSE(server.bots().at(0).toObject().value(QStringLiteral("enabled")).toBool());
}

TEST(FixtureServer, AnswersEveryRouteOfTheFixtureAndScriptedStatuses)
{
    FixtureServer server;
    QJsonObject content = fixture(business);
    content.insert(QStringLiteral("statuses"), fixture(R"({"/api/fleet/bots": 503})"));
    server.setFixture(content);
    ServicesTestKit kit({.serverOrigin = server.origin()});

    ASSERT_TRUE(finishes([&](auto done) { kit.polling().pollWeather(done); }));
    EXPECT_EQ(kit.model->weatherText.get(), QStringLiteral("68°F"));
    ASSERT_TRUE(finishes([&](auto done) { kit.services->mobileLink.copyPhoneLink(done); }));
    EXPECT_EQ(kit.pasteboard.text(), QStringLiteral("https://m.example.com/s/abc"));
    ASSERT_TRUE(finishes([&](auto done) { kit.services->fleet.loadFleet(done); }));
    EXPECT_TRUE(kit.model->fleetError.get().has_value());
    // No usage in the fixture: the route is not found and nothing changes.
    ASSERT_TRUE(finishes([&](auto done) { kit.polling().pollAgentUsage(done); }));
    EXPECT_FALSE(kit.model->agentUsage.get().has_value());
}

// With the sample fixture kept for desktop runs, every feed decodes.
TEST(FixtureServer, RunsAsAProgramThatNamesItsOrigin)
{
    QProcess program;
    program.start(QStringLiteral(LUMIVO_BINARY_DIR "/tests/lumivo-test-server"),
                  {QStringLiteral(LUMIVO_SOURCE_DIR "/tests/server/fixtures/business.json")});
    ASSERT_TRUE(program.waitForStarted());
    ASSERT_TRUE(waitUntil([&] { return program.canReadLine(); }));
    const QUrl origin(QString::fromUtf8(program.readLine().trimmed()));
    EXPECT_EQ(origin.host(), QStringLiteral("127.0.0.1"));

    ServicesTestKit kit(
        {.storedSettings = QJsonObject{{LocalServerPolling::latestNotificationIDKey, 100}}, .serverOrigin = origin});
    ASSERT_TRUE(finishes([&](auto done) { kit.polling().pollCompanionNotifications(done); }));
    EXPECT_EQ(kit.polling().latestNotificationID(), 102);
    ASSERT_TRUE(finishes([&](auto done) { kit.polling().pollAgentUsage(done); }));
    EXPECT_TRUE(kit.model->agentUsage.get().has_value());
    ASSERT_TRUE(finishes([&](auto done) { kit.polling().pollWeather(done); }));
    EXPECT_EQ(kit.model->weatherText.get(), QStringLiteral("72°F"));
    ASSERT_TRUE(finishes([&](auto done) { kit.services->fleet.loadFleet(done); }));
    EXPECT_EQ(kit.model->fleetBots->size(), 2u);
    ASSERT_TRUE(finishes([&](auto done) { kit.services->mobileLink.copyPhoneLink(done); }));
    EXPECT_EQ(kit.pasteboard.text(), QStringLiteral("https://m.example.com/s/7f3a9c"));
    std::optional<QUrl> page;
    kit.services->openChatWithContext([&](const QUrl& shown) { page = shown; });
    ASSERT_TRUE(waitUntil([&] { return page.has_value(); }));
    EXPECT_TRUE(QUrlQuery(*page)
                    .queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded)
                    .contains(QStringLiteral("Gusto: stale [not ready]")));

    program.kill();
    program.waitForFinished();
}

TEST(FixtureServer, TheProgramRefusesAFixtureItCannotRead)
{
    QProcess program;
    program.start(QStringLiteral(LUMIVO_BINARY_DIR "/tests/lumivo-test-server"),
                  {QStringLiteral("/nonexistent/fixture.json")});
    ASSERT_TRUE(program.waitForFinished());
    EXPECT_EQ(program.exitCode(), 1);
}
