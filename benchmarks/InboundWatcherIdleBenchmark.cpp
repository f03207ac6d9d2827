// What observing the session bus costs while nothing is sent: the same
// process idles first without the inbound watcher's bus monitor, then with it
// observing and its 4 s hand-over running, and prints the processor time and
// the thread wake-ups of each stretch. Needs a session bus:
//   dbus-run-session -- inbound_watcher_idle_benchmark [seconds]
#include "activity/InboundActivityWatcher.h"
#include "activity/SessionBusNotificationMonitor.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>
#include <functional>

namespace {

struct Usage {
    double processorSeconds = 0;
    long wakeUps = 0; // voluntary context switches of every thread
};

Usage usageNow()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& time) { return double(time.tv_sec) + double(time.tv_usec) / 1e6; };
    return {seconds(usage.ru_utime) + seconds(usage.ru_stime), usage.ru_nvcsw};
}

// Lets the event loop idle for seconds, then prints what that cost and calls next.
void measure(const char* label, double seconds, std::function<void()> next)
{
    const Usage start = usageNow();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(int(seconds * 1000), [=] {
        const Usage end = usageNow();
        const double elapsed = double(wall.nsecsElapsed()) / 1e9;
        std::printf("%s, %.1f s idle:\n", label, elapsed);
        std::printf("  processor: %.3f %% of one core (%.4f s used)\n",
                    100 * (end.processorSeconds - start.processorSeconds) / elapsed,
                    end.processorSeconds - start.processorSeconds);
        std::printf("  wake-ups:  %.2f per second\n", double(end.wakeUps - start.wakeUps) / elapsed);
        next();
    });
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? QByteArray(argv[1]).toDouble() : 20;

    SessionBusNotificationMonitor monitor;
    ScheduledWork handOver;
    QTimer::singleShot(1000, [&] {
        measure("without the bus monitor", seconds, [&] {
            monitor.open();
            QElapsedTimer waited;
            waited.start();
            while (monitor.take().state == NotificationStream::State::connecting && waited.elapsed() < 5000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            if (monitor.take().state != NotificationStream::State::watching) {
                std::fprintf(stderr, "the session bus cannot be observed\n");
                QCoreApplication::exit(1);
                return;
            }
            // What the watcher does every scan period: take what arrived.
            handOver = Scheduler::main().repeat(InboundActivityWatcher::scanPeriod, [&] { monitor.take(); });
            measure("observing the session bus", seconds, [] { QCoreApplication::quit(); });
        });
    });
    return app.exec();
}
