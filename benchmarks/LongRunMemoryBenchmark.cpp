// A long day of alerts in a short time: starts the built companion on the
// private desktop, hands it an alert with a new text every 200 ms, and prints
// its resident size every minute. Over a run of ten minutes the size must
// level off: less than 1 MB of growth over the last five minutes.
//
//   with-desktop.sh longrun_memory_benchmark <companion program> [seconds] [interval ms]

#include "platform/desktop/UrlHandoff.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <map>

using namespace std::chrono_literals;

namespace {

// The resident size of a process in kilobytes, or -1 when it is gone.
qint64 residentKilobytes(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <companion program> [seconds] [interval ms]\n", argv[0]);
        return 2;
    }
    const QString program = QString::fromLocal8Bit(argv[1]);
    const int seconds = argc > 2 ? QByteArray(argv[2]).toInt() : 600;
    const int intervalMs = argc > 3 ? QByteArray(argv[3]).toInt() : 200;

    QTemporaryDir runtime;
    QTemporaryDir config;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    QProcess companion;
    companion.setProcessEnvironment(environment);
    companion.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    companion.start(program, {});
    if (!companion.waitForStarted(10000)) {
        std::fprintf(stderr, "the companion did not start\n");
        return 1;
    }
    const QString socket = UrlHandoff::socketPath(runtime.path(), QStringLiteral("commandCenter"));
    for (int attempt = 0; attempt < 200 && !UrlHandoff::isPrivateSocket(socket); ++attempt)
        QThread::msleep(50);
    if (!UrlHandoff::isPrivateSocket(socket)) {
        std::fprintf(stderr, "the companion never listened for links\n");
        return 1;
    }

    const QStringList types{QStringLiteral("email"), QStringLiteral("slack"), QStringLiteral("message"),
                            QStringLiteral("call")};
    std::map<int, qint64> residentByMinute{{0, residentKilobytes(companion.processId())}};
    std::printf("minute  0: %7.1f MB\n", double(residentByMinute[0]) / 1024);
    std::fflush(stdout);
    QElapsedTimer elapsed;
    elapsed.start();
    int sent = 0;
    int lost = 0;
    while (elapsed.elapsed() < qint64(seconds) * 1000) {
        const QUrl link(QStringLiteral("lumivo://notify?type=%1&detail=%2")
                            .arg(types.at(sent % types.size()),
                                 QString::fromUtf8(QUrl::toPercentEncoding(
                                     QStringLiteral("Alert %1 at %2")
                                         .arg(sent)
                                         .arg(QDateTime::currentDateTime().toString(Qt::ISODateWithMs))))));
        if (UrlHandoff::send(socket, {.reopen = false, .urls = {link}}, 5s).delivery != UrlHandoff::Delivery::delivered)
            ++lost;
        ++sent;
        if (residentKilobytes(companion.processId()) < 0) {
            std::fprintf(stderr, "the companion ended after %d alerts\n", sent);
            return 1;
        }
        const int minute = int(elapsed.elapsed() / 60000);
        if (!residentByMinute.contains(minute)) {
            residentByMinute[minute] = residentKilobytes(companion.processId());
            std::printf("minute %2d: %7.1f MB after %d alerts (%d not delivered)\n", minute,
                        double(residentByMinute[minute]) / 1024, sent, lost);
            std::fflush(stdout);
        }
        const qint64 next = qint64(sent) * intervalMs;
        if (next > elapsed.elapsed())
            QThread::msleep(ulong(next - elapsed.elapsed()));
    }
    const qint64 last = residentKilobytes(companion.processId());
    const int minutes = seconds / 60;
    residentByMinute[minutes] = last;
    std::printf("end (minute %d): %.1f MB after %d alerts (%d not delivered)\n", minutes, double(last) / 1024, sent,
                lost);

    ::kill(pid_t(companion.processId()), SIGTERM);
    companion.waitForFinished(10000);
    const int from = std::max(0, minutes - 5);
    const double growth = double(last - residentByMinute[from]) / 1024;
    std::printf("growth over minutes %d-%d: %.2f MB (%s)\n", from, minutes, growth,
                growth < 1.0 ? "levels off" : "still growing");
    return lost == 0 ? 0 : 1;
}
