// What the collapsed panel costs while it sits on the desktop animating: the
// mascot turning, breathing and floating, its sparkles and bursts. Shows the
// panel as the shell does (a frameless translucent window of 330 x 190),
// lets it settle, then measures this process for 20 s:
//   panel_idle_benchmark <resource bundle folder> [seconds]
// Prints the share of one core used, the resident memory, the repaints per
// second and the share of the time spent painting.
#include "model/ApplicationPicker.h"
#include "model/CompanionModel.h"
#include "model/CompanionSettings.h"
#include "model/ResourceBundle.h"
#include "model/SystemSoundPlayer.h"
#include "panel/CompanionView.h"
#include "ui/AnimationDriver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

class NoApplicationPicker final : public ApplicationPicker {
public:
    std::optional<QStringList> pickApplications(const ApplicationPickerRequest&) override { return std::nullopt; }
};

// Processor seconds (user and system) this process has used so far.
double processorSeconds()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    stat.open(QIODevice::ReadOnly);
    const QByteArray line = stat.readAll();
    // Fields after the command name, which is in parentheses: utime is the
    // 14th field of the line, stime the 15th.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const double ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / ticks;
}

QByteArray statusLine(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(line.indexOf(':') + 1).simplified();
    }
    return {};
}

// Counts the view's repaints and the time they take.
class PaintMeter final : public QObject {
public:
    int paints = 0;
    qint64 paintNanoseconds = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        QElapsedTimer timer;
        timer.start();
        watched->removeEventFilter(this);
        watched->event(event);
        watched->installEventFilter(this);
        paintNanoseconds += timer.nsecsElapsed();
        ++paints;
        return true;
    }
};

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <resource bundle folder> [seconds]\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    const ResourceBundle bundle(QString::fromLocal8Bit(argv[1]));
    const double seconds = argc > 2 ? QByteArray(argv[2]).toDouble() : 20;

    QTemporaryDir folder;
    const std::unique_ptr<QSettings> settings = CompanionSettings::open(folder.filePath(QStringLiteral("settings.json")));
    ResourceBundleSoundPlayer sounds(bundle);
    NoApplicationPicker picker;
    CompanionModel model({
        .settings = *settings,
        .scheduler = Scheduler::main(),
        .systemSounds = sounds,
        .applicationPicker = picker,
        .playChime = [] {},
    });

    QWidget panel;
    panel.setWindowFlags(Qt::FramelessWindowHint | Qt::Tool | Qt::WindowStaysOnTopHint);
    panel.setAttribute(Qt::WA_TranslucentBackground);
    panel.setGeometry(200, 200, 330, 190);
    const ViewEnvironment environment{
        .animations = AnimationDriver::main(),
        .scheduler = Scheduler::main(),
        .uniform = [](double low, double high) { return low + QRandomGenerator::global()->generateDouble() * (high - low); },
        .resources = bundle,
    };
    auto* view = new CompanionView(model, environment, &panel);
    view->setGeometry(0, 0, 330, 190);
    PaintMeter meter;
    view->installEventFilter(&meter);
    panel.show();

    double startProcessor = 0;
    QElapsedTimer wall;
    // Settle first: start-up and the first pictures are not the steady cost.
    QTimer::singleShot(3000, [&] {
        startProcessor = processorSeconds();
        meter.paints = 0;
        meter.paintNanoseconds = 0;
        wall.start();
        QTimer::singleShot(static_cast<int>(seconds * 1000), [&] {
            const double elapsed = wall.nsecsElapsed() / 1e9;
            const double used = processorSeconds() - startProcessor;
            std::printf("collapsed panel, %.1f s animating:\n", elapsed);
            std::printf("  processor: %.2f %% of one core (%.3f s used)\n", 100 * used / elapsed, used);
            std::printf("  painting:  %.2f %% of one core, %.1f repaints per second, %.2f ms each\n",
                        100 * meter.paintNanoseconds / 1e9 / elapsed, meter.paints / elapsed,
                        meter.paints ? meter.paintNanoseconds / 1e6 / meter.paints : 0.0);
            std::printf("  resident memory: %s (peak %s)\n", statusLine("VmRSS").constData(),
                        statusLine("VmHWM").constData());
            app.quit();
        });
    });
    return app.exec();
}
