// What the opened menu costs: the time from a click on the mascot to the
// first painted frame of the menu (with the card prepared while the pointer
// rested on the mascot, and without), the steady cost of the open menu with its
// rings turning (on its standard sections, with the usage pill's bolt, and
// on the task manager with a list longer than its room), and the idle cost
// once it has closed again. Shows the panel
// as the shell does (a frameless translucent window that grows to 516 x 590
// for the menu) on the desktop it runs on:
//   menu_benchmark <resource bundle folder> [seconds]
#include "QuietModelParts.h"
#include "menu/OpenedMenu.h"
#include "menu/panels/MenuPanels.h"
#include "model/ResourceBundle.h"
#include "model/SystemSoundPlayer.h"
#include "panel/CompanionView.h"
#include "panel/WindowDragSurface.h"
#include "ui/AnimationDriver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <unistd.h>
#include <vector>

namespace {

// Processor seconds (user and system) this process has used so far.
double processorSeconds()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    stat.open(QIODevice::ReadOnly);
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const double ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / ticks;
}

// Counts the menu's repaints and the time they take, and notes when one ends.
class PaintMeter final : public QObject {
public:
    int paints = 0;
    qint64 paintNanoseconds = 0;
    std::function<void()> painted;

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
        if (painted)
            painted();
        return true;
    }
};

void waitFor(QApplication&, double seconds)
{
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

// The processor's share used over seconds of the event loop running.
double processorShare(QApplication& app, double seconds)
{
    const double start = processorSeconds();
    QElapsedTimer wall;
    wall.start();
    waitFor(app, seconds);
    return 100 * (processorSeconds() - start) / (wall.nsecsElapsed() / 1e9);
}

void click(QWidget& surface)
{
    const QPointF centre = QRectF(surface.rect()).center();
    QMouseEvent press(QEvent::MouseButtonPress, centre, surface.mapToGlobal(centre), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, surface.mapToGlobal(centre), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&surface, &press);
    QApplication::sendEvent(&surface, &release);
}

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

    ResourceBundleSoundPlayer sounds(bundle);
    QuietModel quiet(&sounds);
    CompanionModel& model = quiet.model();
    const ViewEnvironment environment = ViewEnvironment::live(bundle);

    QWidget panel;
    panel.setWindowFlags(Qt::FramelessWindowHint | Qt::Tool | Qt::WindowStaysOnTopHint);
    panel.setAttribute(Qt::WA_TranslucentBackground);
    const QRect collapsed(800, 500, 330, 190);
    const QRect opened(collapsed.right() + 1 - 516, collapsed.bottom() + 1 - 590, 516, 590);
    panel.setGeometry(collapsed);
    auto* view = new CompanionView(model, environment, &panel);
    view->setGeometry(panel.rect());
    auto* menu = new OpenedMenu(*view, environment, CompanionEdition::commandCenter, {}, menuPanels());
    model.agentUsage = CompanionAgentUsage::decode(
        R"({"claude": {"today": {"tokens": 182340, "sessions": 4}, "week": {"tokens": 1203400, "sessions": 31},
                       "limits": {"usedPercent": 41.5, "windowMinutes": 300, "resetsAt": 1e10}},
            "codex": {"today": {"tokens": 5120, "sessions": 1}, "week": {"tokens": 40960, "sessions": 6}}})");
    std::vector<RunningAppInfo> running;
    for (int index = 0; index < 16; ++index)
        running.push_back({1000 + index, QStringLiteral("Application %1").arg(index), std::nullopt, index == 0});
    model.runningApps = running;
    view->hostMenu(menu);

    // As the shell opens and closes the menu: the panel grows first, and
    // shrinks a turn after the menu has closed.
    model.setMenuOpen = [&](bool open) {
        if (open) {
            panel.setGeometry(opened);
            view->setGeometry(panel.rect());
            model.withAnimation(Animation::spring(0.38, 0.76), [&] { model.menuOpen = true; });
            return;
        }
        model.withAnimation(Animation::spring(0.36, 0.82), [&] { model.menuOpen = false; });
        QTimer::singleShot(0, [&] {
            panel.setGeometry(collapsed);
            view->setGeometry(panel.rect());
        });
    };

    PaintMeter meter;
    menu->installEventFilter(&meter);
    panel.show();
    waitFor(app, 3);

    const double idleBefore = processorShare(app, seconds / 2);
    const std::size_t animationsBefore = AnimationDriver::main().listenerCount();

    // Click to first frame: first with the click alone, which builds the card
    // and its light; then with the pointer come onto the mascot a moment
    // before, which prepares the card, as a person's click comes.
    const auto hover = [&](QEvent::Type type) {
        QEvent event(type);
        QApplication::sendEvent(view->dragSurface(), &event);
    };
    const auto firstFrameAfterClick = [&] {
        QElapsedTimer sinceClick;
        double firstFrame = -1;
        meter.painted = [&] {
            if (firstFrame < 0 && menu->isShowing())
                firstFrame = sinceClick.nsecsElapsed() / 1e6;
        };
        sinceClick.start();
        click(*view->dragSurface());
        waitFor(app, 1.5);
        meter.painted = {};
        model.setMenuOpen(false);
        waitFor(app, 1.0);
        return firstFrame;
    };
    const double unprepared = firstFrameAfterClick();
    std::vector<double> prepared;
    for (int opening = 0; opening < 8; ++opening) {
        hover(QEvent::Enter);
        waitFor(app, 0.3);
        prepared.push_back(firstFrameAfterClick());
        hover(QEvent::Leave);
    }

    // The open menu's steady cost, on a body as it shows.
    struct Steady {
        double elapsed;
        double share;
        int paints;
        qint64 paintNanoseconds;
    };
    auto measureOpen = [&] {
        waitFor(app, 3);
        meter.paints = 0;
        meter.paintNanoseconds = 0;
        const double start = processorSeconds();
        QElapsedTimer wall;
        wall.start();
        waitFor(app, seconds);
        const double elapsed = wall.nsecsElapsed() / 1e9;
        return Steady{elapsed, 100 * (processorSeconds() - start) / elapsed, meter.paints, meter.paintNanoseconds};
    };
    model.setMenuOpen(true);
    const Steady standard = measureOpen();
    model.taskPanelOpen = true;
    const Steady tasks = measureOpen();
    model.taskPanelOpen = false;

    model.setMenuOpen(false);
    waitFor(app, 3);
    meter.paints = 0;
    const double idleAfter = processorShare(app, seconds / 2);
    const int closedPaints = meter.paints;

    std::sort(prepared.begin(), prepared.end());
    std::printf("click to the menu's first painted frame: %.1f ms with the card built at the click; with it prepared "
                "%.1f ms median (max %.1f ms)\n",
                unprepared, prepared[prepared.size() / 2], prepared.back());
    for (const auto& [body, steady] : {std::pair("standard sections", standard), std::pair("task manager", tasks)}) {
        std::printf("open menu on its %s, %.1f s with its rings turning:\n", body, steady.elapsed);
        std::printf("  processor: %.2f %% of one core\n", steady.share);
        std::printf("  painting:  %.2f %% of one core, %.1f repaints per second, %.2f ms each\n",
                    100 * steady.paintNanoseconds / 1e9 / steady.elapsed, steady.paints / steady.elapsed,
                    steady.paints ? steady.paintNanoseconds / 1e6 / steady.paints : 0.0);
    }
    std::printf("collapsed panel: %.2f %% of one core before the menu opened, %.2f %% after it closed\n", idleBefore,
                idleAfter);
    std::printf("  animations asking for frames: %zu before, %zu after; menu repaints after: %d\n", animationsBefore,
                AnimationDriver::main().listenerCount(), closedPaints);
    return 0;
}
