// What the built companion keeps mapped: no image plugins, and the audio
// stack only once it has made a sound; and a local server that never ends
// its headers neither grows it nor holds back its alerts.
#include "RunningCompanion.h"

#include "server/FixtureServer.h"
#include "services/HttpClient.h"
#include "services/LocalServerPolling.h"
#include "support/ResidentMemory.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

bool maps(qint64 pid, const QString& library)
{
    QFile file(QStringLiteral("/proc/%1/maps").arg(pid));
    return file.open(QIODevice::ReadOnly) && QString::fromUtf8(file.readAll()).contains(library);
}

TEST(LeanProcess, LoadsNoImagePluginAndTheAudioStackOnlyAtTheFirstSound)
{
    CompanionSession session;
    RunningCompanion companion(session);
    // Drawn, it has loaded the pictures it shows.
    ASSERT_TRUE(companion.waitForMascot());
    EXPECT_FALSE(maps(companion.pid(), QStringLiteral("/imageformats/"))) << "its pictures are all PNGs";
    EXPECT_FALSE(maps(companion.pid(), QStringLiteral("libQt6Multimedia")));
    EXPECT_FALSE(maps(companion.pid(), QStringLiteral("libpulse")));

    // An e-mail alert chimes.
    EXPECT_EQ(startAnotherCopy(session, {QStringLiteral("lumivo://notify?type=email&detail=Hello")}), 0);
    EXPECT_TRUE(waitUntil([&] { return maps(companion.pid(), QStringLiteral("lumivo-audio")); }, 5000));
    EXPECT_TRUE(maps(companion.pid(), QStringLiteral("libQt6Multimedia")));
    EXPECT_TRUE(companion.isRunning());
}

TEST(LeanProcess, ALocalServerWhoseHeadersNeverEndGrowsNothingAndHoldsBackNoAlert)
{
    const QString feed = u"/api/companion/notifications"_s;
    const QString usage = u"/api/companion/agent-usage"_s;
    // Header lines as fast as the companion reads them, and a line every
    // 50 ms, which stays under the head's cap beyond the deadline.
    const QJsonObject fast{{u"kind"_s, u"headers"_s}};
    const QJsonObject slow{{u"kind"_s, u"headers"_s}, {u"pauseMs"_s, 50}};
    const std::unique_ptr<FixtureServer> server = localServerStandIn<FixtureServer>();
    ASSERT_TRUE(server->isListening()) << "port " << localServerPort << " stays taken";
    server->setFixture({{u"notifications"_s, QJsonArray()}, {u"endless"_s, QJsonObject{{feed, slow}, {usage, fast}}}});
    CompanionSession session;
    session.writeSettings({{LocalServerPolling::latestNotificationIDKey, 100}});
#if defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer holds freed memory back for a while, which grows the
    // program whatever the server does: let it reuse the memory at once.
    session.setVariable(u"ASAN_OPTIONS"_s, qEnvironmentVariable("ASAN_OPTIONS") + u":quarantine_size_mb=0"_s);
#endif
    RunningCompanion companion(session);
    ASSERT_TRUE(companion.waitForPanel());
    // Companions of other tests may ask the same port too.
    ASSERT_TRUE(waitUntil(
        [&] { return server->server().countOf(feed.toUtf8()) > 0 && server->server().countOf(usage.toUtf8()) > 0; }));
    QElapsedTimer streaming;
    streaming.start();
    const QString pid = QString::number(companion.pid());
    const qint64 start = residentBytes(pid);
    qint64 peak = start;
    // Waits for condition, noting the highest resident memory meanwhile.
    const auto sampling = [&](const std::function<bool()>& condition, int timeoutMs) {
        const auto sampled = [&] {
            peak = std::max(peak, residentBytes(pid));
            return condition();
        };
        return waitUntil(sampled, timeoutMs);
    };

    // The alert comes on the next poll's connection, once the stuck one has met its deadline.
    const QJsonObject alert{{u"id"_s, 101}, {u"type"_s, u"email"_s}, {u"detail"_s, u"Sent meanwhile"_s}};
    server->setFixture({{u"notifications"_s, QJsonArray{alert}}, {u"endless"_s, QJsonObject{{usage, fast}}}});
    const auto bound = LocalServerPolling::notificationPeriod + HttpClient::defaultTimeout + std::chrono::seconds(15);
    EXPECT_TRUE(sampling([&] { return companion.alertPanel().has_value(); }, int(bound.count())));
    // The server streams for 90 s in all: here the time is the point.
    sampling([&] { return streaming.hasExpired(90000); }, 100000);
    EXPECT_TRUE(companion.isRunning());
    EXPECT_LT(peak - start, 30 << 20) << start << " bytes at the start";
}

} // namespace
