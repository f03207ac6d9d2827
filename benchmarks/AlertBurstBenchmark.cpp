// How long the main thread is held while one answer of the local server
// brings 10,000 alerts: the answer is decoded, every alert queued and the
// last seen id saved. A 1 ms timer on the main thread measures the longest
// gap between its ticks while the answer is processed, in wall time and in
// the main thread's own processor time (which other processes' load on a
// busy machine does not inflate).
//
//   alert_burst_benchmark [alerts]

#include "QuietModelParts.h"
#include "model/CompanionDestinations.h"
#include "model/CompanionFeeds.h"
#include "model/CompanionModel.h"
#include "model/CompanionSettings.h"
#include "model/SystemSoundPlayer.h"
#include "server/TestServer.h"
#include "services/HttpClient.h"
#include "services/LocalServerPolling.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <utility>

namespace {

double threadProcessorMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

QByteArray feedOf(int count)
{
    QJsonArray alerts;
    for (int id = 2; id < count + 2; ++id)
        alerts.append(QJsonObject{{QStringLiteral("id"), id},
                                  {QStringLiteral("type"), QStringLiteral("email")},
                                  {QStringLiteral("detail"), QStringLiteral("Invoice %1 from Tessaro Ltd").arg(id)}});
    return QJsonDocument(QJsonObject{{QStringLiteral("notifications"), alerts}}).toJson(QJsonDocument::Compact);
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;

    TestServer server;
    const QByteArray feed = feedOf(count);
    server.answer("GET", "/api/companion/notifications", TestResponse::json(feed));
    AddressMap addresses;
    addresses.redirect(CompanionRoute::lumivoOS(), server.origin());

    QTemporaryDir folder;
    const std::unique_ptr<QSettings> settings =
        CompanionSettings::open(folder.filePath(QStringLiteral("settings.json")));
    CompanionSettings::store(*settings, LocalServerPolling::latestNotificationIDKey, 1);
    SilentSounds sounds;
    NoApplicationPicker picker;
    CompanionModel model({.settings = *settings,
                          .scheduler = Scheduler::main(),
                          .systemSounds = sounds,
                          .applicationPicker = picker,
                          .playChime = [] {}});
    HttpClient http(Scheduler::main(), addresses);
    LocalServerPolling polling({model, *settings, Scheduler::main(), http});

    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    double lastProcessor = threadProcessorMs();
    double longestProcessorGap = 0;
    const auto tick = [&] {
        longestGap = std::max(longestGap, sinceTick.restart());
        const double now = threadProcessorMs();
        longestProcessorGap = std::max(longestProcessorGap, now - std::exchange(lastProcessor, now));
    };
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, tick);

    bool done = false;
    QElapsedTimer whole;
    whole.start();
    sinceTick.start();
    ticker.start(1);
    polling.pollCompanionNotifications([&] { done = true; });
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    ticker.stop();
    tick();

    QElapsedTimer decoding;
    decoding.start();
    const bool decoded = CompanionAlertFeed::decode(feed).has_value();
    std::printf("decoding alone: %lld ms (%s)\n", decoding.elapsed(), decoded ? "decoded" : "failed");
    std::printf("%d alerts (%lld bytes): answered and processed in %lld ms; longest main-thread stall %lld ms "
                "(%.1f ms of its own processor time); saved id %lld\n",
                count, qint64(feed.size()), whole.elapsed(), longestGap, longestProcessorGap,
                qint64(polling.latestNotificationID()));
    return 0;
}
