// What the web windows cost, measured on a private desktop:
//   web_window_benchmark <build's src folder> [companion program...]
// First, for each companion program given: its start-up time (from exec to
// its panel being mapped) and its resident memory once idle, with whether
// any of the web engine is loaded, as the median of five starts. Then, in
// this process (which links only the engine-free half, as the companion
// does): the resident memory before and after the first web window, and the
// time from the openChat hook to the chat page's first paint on screen, then
// to another page in the same window and to the funnel's window.
// As root the engine's sandbox cannot run: set QTWEBENGINE_DISABLE_SANDBOX=1.
#include "QuietModelParts.h"
#include "model/CompanionModel.h"
#include "model/CompanionSettings.h"
#include "model/SystemSoundPlayer.h"
#include "platform/fake/FakeApplications.h"
#include "platform/fake/FakeBell.h"
#include "platform/fake/FakePasteboard.h"
#include "server/TestServer.h"
#include "services/CompanionServices.h"
#include "web/WebWindows.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <optional>

namespace {

// A line of /proc/<pid>/status, as kB.
double statusKilobytes(qint64 pid, const char* key)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(line.indexOf(':') + 1).simplified().split(' ').value(0).toDouble();
    }
    return 0;
}

// Memory no other process shares (private clean and dirty pages), as kB.
double privateKilobytes(qint64 pid)
{
    QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    double kilobytes = 0;
    if (rollup.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : rollup.readAll().split('\n')) {
            if (line.startsWith("Private_"))
                kilobytes += line.mid(line.indexOf(':') + 1).simplified().split(' ').value(0).toDouble();
        }
    }
    return kilobytes;
}

bool mapsWebEngine(qint64 pid)
{
    QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("WebEngine");
}

// The engine's helper processes below this one, and their resident memory.
std::pair<int, double> engineProcesses()
{
    int count = 0;
    double kilobytes = 0;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile commandLine(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (!commandLine.open(QIODevice::ReadOnly) || !commandLine.readAll().contains("QtWebEngineProcess"))
            continue;
        ++count;
        kilobytes += statusKilobytes(entry.toLongLong(), "VmRSS");
    }
    return {count, kilobytes};
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

bool windowOfProcessShown(qint64 pid)
{
    QProcess search;
    search.start(
        QStringLiteral("xdotool"),
        {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"), QString::number(pid)});
    search.waitForFinished();
    return !search.readAllStandardOutput().trimmed().isEmpty();
}

void measureCompanion(const QString& program)
{
    std::vector<double> startMs, residentMb, privateMb;
    bool engineLoaded = false;
    for (int run = 0; run < 5; ++run) {
        QTemporaryDir home;
        QProcess companion;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* variable : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"})
            environment.insert(QString::fromLatin1(variable), home.path());
        companion.setProcessEnvironment(environment);
        companion.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer clock;
        clock.start();
        companion.start(program, {});
        if (!companion.waitForStarted())
            return;
        while (!windowOfProcessShown(companion.processId()) && clock.elapsed() < 20000)
            QThread::msleep(2);
        startMs.push_back(double(clock.elapsed()));
        QThread::sleep(4);
        residentMb.push_back(statusKilobytes(companion.processId(), "VmRSS") / 1024);
        privateMb.push_back(privateKilobytes(companion.processId()) / 1024);
        engineLoaded = engineLoaded || mapsWebEngine(companion.processId());
        ::kill(pid_t(companion.processId()), SIGTERM);
        companion.waitForFinished();
    }
    std::printf("%s\n  start-up to panel shown: %.0f ms (median of 5)\n  resident once idle: %.1f MB, of which its "
                "own: %.1f MB\n"
                "  web engine loaded: %s\n",
                qPrintable(program), median(startMs), median(residentMb), median(privateMb),
                engineLoaded ? "yes" : "no");
}

// A page of one colour, so its first paint can be seen on screen.
QByteArray colouredPage(const char* colour)
{
    return QByteArray("<!doctype html><body style=\"margin:0;background:") + colour + "\"><h1>Vora</h1></body>";
}

// Milliseconds from `open` until the middle of window shows colour on screen.
std::optional<double> timeToPaint(const std::function<void()>& open, const std::function<QWidget*()>& window,
                                  QColor colour)
{
    QElapsedTimer clock;
    clock.start();
    open();
    while (clock.elapsed() < 30000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        QWidget* shown = window();
        if (shown && shown->isVisible()) {
            const QPoint middle = shown->mapToGlobal(shown->rect().center() + QPoint(0, 100));
            const QColor seen = QGuiApplication::primaryScreen()
                                    ->grabWindow(0, middle.x(), middle.y(), 1, 1)
                                    .toImage()
                                    .pixelColor(0, 0);
            if (seen == colour)
                return double(clock.nsecsElapsed()) / 1e6;
        }
        QThread::usleep(500);
    }
    return std::nullopt;
}

void printTime(const char* what, std::optional<double> milliseconds)
{
    if (milliseconds)
        std::printf("  %s: %.0f ms\n", what, *milliseconds);
    else
        std::printf("  %s: not painted within 30 s\n", what);
}

void measureWebWindows(const QString& buildSource)
{
    QTemporaryDir folder;
    std::unique_ptr<QSettings> settings = CompanionSettings::open(folder.filePath(QStringLiteral("settings.json")));
    NoApplicationPicker picker;
    SilentSounds sounds;
    CompanionModel model({*settings, Scheduler::main(), sounds, picker, [] {}});
    FakePasteboard pasteboard;
    FakeBell bell;
    FakeApplications browser;
    TestServer server;
    server.answer("GET", "/", TestResponse::html(colouredPage("#ff0000")));
    server.answer("GET", "/join", TestResponse::html(colouredPage("#0000ff")));
    AddressMap addresses;
    addresses.redirect(CompanionRoute::lumivoOS(), server.origin());
    CompanionServices services(
        {model, *settings, Scheduler::main(), pasteboard, bell, CompanionEdition::commandCenter, addresses});
    WebWindows windows(
        {model, Scheduler::main(), browser, services, CompanionEdition::commandCenter, addresses, {buildSource}});
    windows.fillModelHooks();

    const qint64 self = QCoreApplication::applicationPid();
    std::printf("this process, linking only the engine-free half\n  resident before any web window: %.1f MB (own %.1f "
                "MB), web engine loaded: %s\n",
                statusKilobytes(self, "VmRSS") / 1024, privateKilobytes(self) / 1024,
                mapsWebEngine(self) ? "yes" : "no");
    const auto chat = [&]() -> QWidget* { return windows.chatWindow() ? &windows.chatWindow()->window() : nullptr; };
    const auto funnel = [&]() -> QWidget* {
        return windows.zorivirWindow() ? &windows.zorivirWindow()->window() : nullptr;
    };
    printTime("openChat hook to the chat page's first paint (engine loaded then)",
              timeToPaint(model.openChat, chat, Qt::red));
    QThread::sleep(2);
    QCoreApplication::processEvents();
    const auto [helpers, helperKilobytes] = engineProcesses();
    std::printf("  resident with the first web window: %.1f MB (own %.1f MB), web engine loaded: %s,\n"
                "  plus %d engine processes with %.1f MB resident\n",
                statusKilobytes(self, "VmRSS") / 1024, privateKilobytes(self) / 1024,
                mapsWebEngine(self) ? "yes" : "no", helpers, helperKilobytes / 1024);
    server.answer("GET", "/", TestResponse::html(colouredPage("#00ff00")));
    printTime("openTalk hook to its page in the same window", timeToPaint(model.openTalk, chat, Qt::green));
    printTime("openZorivirReport hook to the funnel window's first paint",
              timeToPaint(model.openZorivirReport, funnel, Qt::blue));
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: web_window_benchmark <build's src folder> [companion program...]\n");
        return 2;
    }
    for (int i = 2; i < argc; ++i)
        measureCompanion(QString::fromLocal8Bit(argv[i]));
    QApplication application(argc, argv);
    measureWebWindows(QString::fromLocal8Bit(argv[1]));
    std::fflush(stdout);
    std::_Exit(0);
}
