// What the running companion costs while it sits on the desktop, measured
// from outside the process on a private X11 desktop:
//   panel_idle_benchmark <companion program> <allocation counter library> [case...]
// Each case starts a fresh copy of the program, brings it into the state the
// case names, lets it settle, then watches it for a while. Cases: "rest" (the
// panel animating on its own, one timed wave included), "alert" (an alert
// on show), "menu" (the menu opened by a click on the mascot), "unseen" (the
// screen saver on), and for reference "floor" (a window of the panel's kind
// that repaints almost nothing at the ambient rate: what frames cost before
// anything is drawn). Prints, per case: frames painted a second (counted by the
// X server's damage reports on each of the program's windows), the share of
// one core used by the process and by the X server, wake-ups a second (the
// process's voluntary context switches, every thread), heap allocations a
// frame, and resident (RSS) and private (USS) memory at the end.
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRect>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include <csignal>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

struct Free {
    void operator()(void* pointer) const { std::free(pointer); }
};
template <typename T>
using Reply = std::unique_ptr<T, Free>;

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList tasksOf(qint64 pid)
{
    const QString folder = QStringLiteral("/proc/%1/task").arg(pid);
    QStringList tasks;
    for (const QString& task : QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        tasks.append(folder + QLatin1Char('/') + task);
    return tasks;
}

// Processor seconds a process has used so far, every thread, to the
// nanosecond (the scheduler's own account).
double processorSeconds(qint64 pid)
{
    double total = 0;
    for (const QString& task : tasksOf(pid))
        total += readFile(task + QStringLiteral("/schedstat")).split(' ').value(0).toDouble();
    return total / 1e9;
}

// A "key: value kB" figure of a /proc status-like file.
double figureOf(const QByteArray& text, const QByteArray& key)
{
    for (const QByteArray& line : text.split('\n')) {
        if (line.startsWith(key + ':'))
            return line.mid(key.size() + 1).simplified().split(' ').value(0).toDouble();
    }
    return 0;
}

// Voluntary context switches of every thread: each one is a sleep that
// something had to wake.
double wakeUps(qint64 pid)
{
    double total = 0;
    for (const QString& task : tasksOf(pid))
        total += figureOf(readFile(task + QStringLiteral("/status")), "voluntary_ctxt_switches");
    return total;
}

// The private desktop, as the benchmark sees it over its own connection.
class PrivateDesktop {
public:
    PrivateDesktop() : m_connection(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(m_connection))
            return;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const xcb_query_extension_reply_t* damage = xcb_get_extension_data(m_connection, &xcb_damage_id);
        if (!damage || !damage->present)
            return;
        m_damageEvent = damage->first_event + XCB_DAMAGE_NOTIFY;
        Reply<xcb_damage_query_version_reply_t>(
            xcb_damage_query_version_reply(m_connection, xcb_damage_query_version(m_connection, 1, 1), nullptr));
        // Whoever answers on the other end of the socket is the X server.
        ucred peer{};
        socklen_t length = sizeof peer;
        if (getsockopt(xcb_get_file_descriptor(m_connection), SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0)
            m_serverPid = peer.pid;
    }
    ~PrivateDesktop() { xcb_disconnect(m_connection); }

    bool usable() const { return m_serverPid > 0 && m_damageEvent; }
    qint64 serverPid() const { return m_serverPid; }

    struct Window {
        xcb_window_t id;
        QString name;
    };
    // The mapped top-level windows whose _NET_WM_PID is pid, managed by
    // the window manager (inside its frames) or not.
    std::vector<Window> windowsOf(qint64 pid)
    {
        std::vector<Window> found;
        collect(m_root, pid, 0, found);
        return found;
    }

    // The window's place on the screen and its size.
    QRect geometry(xcb_window_t window)
    {
        const Reply<xcb_get_geometry_reply_t> size(xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr));
        const Reply<xcb_translate_coordinates_reply_t> place(xcb_translate_coordinates_reply(
            m_connection, xcb_translate_coordinates(m_connection, window, m_root, 0, 0), nullptr));
        if (!size || !place)
            return {};
        return QRect(place->dst_x, place->dst_y, size->width, size->height);
    }

    // Counts the frames drawn into each window over seconds: the server
    // reports every rectangle drawn; the rectangles of one frame carry one
    // server time.
    std::map<xcb_window_t, int> countFrames(const std::vector<xcb_window_t>& windows, double seconds)
    {
        std::vector<xcb_damage_damage_t> damages;
        for (xcb_window_t window : windows) {
            damages.push_back(xcb_generate_id(m_connection));
            xcb_damage_create(m_connection, damages.back(), window, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
        }
        xcb_flush(m_connection);
        std::map<xcb_window_t, int> frames;
        std::map<xcb_window_t, xcb_timestamp_t> lastTime;
        QElapsedTimer watched;
        watched.start();
        const qint64 end = static_cast<qint64>(seconds * 1000);
        while (watched.elapsed() < end) {
            pollfd socket{xcb_get_file_descriptor(m_connection), POLLIN, 0};
            ::poll(&socket, 1, static_cast<int>(std::max<qint64>(1, end - watched.elapsed())));
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                if ((event->response_type & 0x7f) == m_damageEvent) {
                    const auto* damage = reinterpret_cast<const xcb_damage_notify_event_t*>(event);
                    auto [last, first] = lastTime.try_emplace(damage->drawable, damage->timestamp);
                    if (first || last->second != damage->timestamp)
                        ++frames[damage->drawable];
                    last->second = damage->timestamp;
                }
                std::free(event);
            }
        }
        for (xcb_damage_damage_t damage : damages)
            xcb_damage_destroy(m_connection, damage);
        xcb_flush(m_connection);
        return frames;
    }

private:
    void collect(xcb_window_t parent, qint64 pid, int depth, std::vector<Window>& found)
    {
        const Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, parent), nullptr));
        if (!tree)
            return;
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
            const Reply<xcb_get_window_attributes_reply_t> attributes(
                xcb_get_window_attributes_reply(m_connection, xcb_get_window_attributes(m_connection, children[i]), nullptr));
            if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
                continue;
            const Reply<xcb_get_property_reply_t> owner(property(children[i], atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 1));
            if (owner && xcb_get_property_value_length(owner.get()) == 4) {
                if (*static_cast<const uint32_t*>(xcb_get_property_value(owner.get())) == pid) {
                    const Reply<xcb_get_property_reply_t> name(
                        property(children[i], atom("_NET_WM_NAME"), atom("UTF8_STRING"), 256));
                    found.push_back({children[i], name ? QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(name.get())),
                                                                           xcb_get_property_value_length(name.get()))
                                                       : QString()});
                }
            } else if (depth < 2) {
                collect(children[i], pid, depth + 1, found);   // a window manager's frame
            }
        }
    }

    xcb_atom_t atom(const char* name)
    {
        const Reply<xcb_intern_atom_reply_t> reply(
            xcb_intern_atom_reply(m_connection, xcb_intern_atom(m_connection, 0, std::strlen(name), name), nullptr));
        return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    }
    xcb_get_property_reply_t* property(xcb_window_t window, xcb_atom_t name, xcb_atom_t type, uint32_t words)
    {
        return xcb_get_property_reply(m_connection, xcb_get_property(m_connection, 0, window, name, type, 0, words), nullptr);
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_root = XCB_NONE;
    uint8_t m_damageEvent = 0;
    qint64 m_serverPid = 0;
};

// One fresh copy of the program in a session of its own.
class Companion {
public:
    Companion(const QString& program, const QStringList& arguments, const QString& counterLibrary) : m_program(program)
    {
        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
        QProcessEnvironment counted = m_environment;
        counted.insert(QStringLiteral("LD_PRELOAD"), counterLibrary);
        counted.insert(QStringLiteral("LUMIVO_ALLOCATION_COUNTER"), counterPath());
        m_process.setProcessEnvironment(counted);
        m_process.setProcessChannelMode(QProcess::ForwardedChannels);
        m_process.start(program, arguments);
        m_process.waitForStarted();
    }
    ~Companion()
    {
        ::kill(static_cast<pid_t>(pid()), SIGTERM);
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    qint64 pid() const { return m_process.processId(); }
    bool running() const { return m_process.state() == QProcess::Running; }

    // Gives the running copy a link, as the desktop does through a second copy.
    void handOver(const QString& link) const
    {
        QProcess copy;
        copy.setProcessEnvironment(m_environment);
        copy.start(m_program, {link});
        copy.waitForFinished(5000);
    }

    double allocations() const
    {
        QFile counter(counterPath());
        if (!counter.open(QIODevice::ReadOnly) || counter.size() < 8)
            return 0;
        quint64 count = 0;
        counter.read(reinterpret_cast<char*>(&count), sizeof count);
        return static_cast<double>(count);
    }

private:
    QString counterPath() const { return m_runtime.filePath(QStringLiteral("allocations")); }

    QString m_program;
    QTemporaryDir m_runtime;
    QTemporaryDir m_config;
    QProcessEnvironment m_environment;
    QProcess m_process;
};

// Maps every library the process has mapped into this process too and
// touches each page, as the other programs of a desktop would, so that
// library pages count as shared whichever programs happen to run beside it.
class LibraryWitness {
public:
    explicit LibraryWitness(qint64 pid)
    {
        QSet<QString> seen;
        for (const QByteArray& line : readFile(QStringLiteral("/proc/%1/maps").arg(pid)).split('\n')) {
            const QString path = QString::fromUtf8(line.mid(line.indexOf('/')));
            if (!line.contains('/') || !path.contains(QStringLiteral(".so")) || seen.contains(path))
                continue;
            seen.insert(path);
            QFile* file = new QFile(path);
            if (!file->open(QIODevice::ReadOnly)) {
                delete file;
                continue;
            }
            if (uchar* bytes = file->map(0, file->size())) {
                volatile uchar sum = 0;
                for (qint64 offset = 0; offset < file->size(); offset += 4096)
                    sum = sum + bytes[offset];
            }
            m_files.emplace_back(file);
        }
    }

private:
    std::vector<std::unique_ptr<QFile>> m_files;
};

bool waitFor(const std::function<bool()>& condition, int milliseconds = 10000)
{
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.elapsed() > milliseconds)
            return false;
        QThread::msleep(50);
    }
    return true;
}

bool isAlertPanel(const PrivateDesktop::Window& window)
{
    return window.name.startsWith(QStringLiteral("Vora alert"));
}

std::optional<PrivateDesktop::Window> panelOf(PrivateDesktop& display, qint64 pid)
{
    for (const PrivateDesktop::Window& window : display.windowsOf(pid)) {
        if (!isAlertPanel(window))
            return window;
    }
    return std::nullopt;
}

bool run(const QStringList& command)
{
    return QProcess::execute(command.first(), command.mid(1)) == 0;
}

struct Case {
    const char* name;
    const char* description;
    double seconds;
    // Measures the benchmark's own empty panel instead of the program.
    bool emptyPanel = false;
    // Brings the program into the case's state; false when it could not.
    std::function<bool(PrivateDesktop&, Companion&)> enter;
    std::function<void()> leave = [] {};
};

const std::vector<Case>& cases()
{
    static const std::vector<Case> all{
        {"rest", "the panel on its own", 28, false, [](PrivateDesktop&, Companion&) { return true; }},
        {"alert", "an alert on show", 20, false,
         [](PrivateDesktop& display, Companion& companion) {
             companion.handOver(QStringLiteral("lumivo://notify?type=email&detail=The%20quarterly%20numbers%20are%20ready"));
             return waitFor([&] {
                 for (const PrivateDesktop::Window& window : display.windowsOf(companion.pid())) {
                     if (isAlertPanel(window))
                         return true;
                 }
                 return false;
             });
         }},
        {"menu", "the menu opened by a click on the mascot", 20, false,
         [](PrivateDesktop& display, Companion& companion) {
             const std::optional<PrivateDesktop::Window> panel = panelOf(display, companion.pid());
             if (!panel)
                 return false;
             // The mascot sits in the collapsed panel's bottom-right corner.
             const QRect frame = display.geometry(panel->id);
             const QPoint mascot = frame.topLeft() + QPoint(frame.width() - 85, frame.height() - 85);
             run({QStringLiteral("xdotool"), QStringLiteral("mousemove"), QString::number(mascot.x()),
                  QString::number(mascot.y()), QStringLiteral("click"), QStringLiteral("1")});
             return waitFor([&] { return display.geometry(panel->id).width() > frame.width(); });
         }},
        {"unseen", "the screen saver on", 20, false,
         [](PrivateDesktop&, Companion&) { return run({QStringLiteral("xset"), QStringLiteral("s"), QStringLiteral("activate")}); },
         [] { run({QStringLiteral("xset"), QStringLiteral("s"), QStringLiteral("reset")}); }},
        {"floor", "a window of the panel's kind repainting 10 x 10 pixels and nothing else, 24 times a second", 20,
         true, [](PrivateDesktop&, Companion&) { return true; }},
    };
    return all;
}

struct Figures {
    double panelFrames = 0;   // a second
    double otherFrames = 0;   // a second, in the program's other windows
    double processPercent = 0;
    double serverPercent = 0;
    double wakeUps = 0;       // a second
    double allocationsPerFrame = 0;
    double residentMiB = 0;
    double privateMiB = 0;
};

std::optional<Figures> measure(const Case& which, PrivateDesktop& display, const QString& program, const QString& counter)
{
    // Every case starts with the pointer away from the panel, whatever the
    // last one did with it: a hovered mascot prepares the menu.
    run({QStringLiteral("xdotool"), QStringLiteral("mousemove"), QStringLiteral("0"), QStringLiteral("0")});
    Companion companion(which.emptyPanel ? QCoreApplication::applicationFilePath() : program,
                        which.emptyPanel ? QStringList{QStringLiteral("--empty-panel")} : QStringList{}, counter);
    if (!waitFor([&] { return panelOf(display, companion.pid()).has_value(); })) {
        std::fprintf(stderr, "%s: the panel did not appear\n", which.name);
        return std::nullopt;
    }
    // Past start-up and the greeting wave.
    QThread::msleep(3000);
    if (!which.enter(display, companion)) {
        std::fprintf(stderr, "%s: could not reach the case's state\n", which.name);
        which.leave();
        return std::nullopt;
    }
    QThread::msleep(1500);

    std::vector<xcb_window_t> windows;
    for (const PrivateDesktop::Window& window : display.windowsOf(companion.pid()))
        windows.push_back(window.id);
    const qint64 pid = companion.pid();
    const double processBefore = processorSeconds(pid);
    const double serverBefore = processorSeconds(display.serverPid());
    const double wakeUpsBefore = wakeUps(pid);
    const double allocationsBefore = companion.allocations();
    QElapsedTimer wall;
    wall.start();
    const std::map<xcb_window_t, int> frames = display.countFrames(windows, which.seconds);
    const double elapsed = wall.nsecsElapsed() / 1e9;
    Figures figures;
    figures.processPercent = 100 * (processorSeconds(pid) - processBefore) / elapsed;
    figures.serverPercent = 100 * (processorSeconds(display.serverPid()) - serverBefore) / elapsed;
    figures.wakeUps = (wakeUps(pid) - wakeUpsBefore) / elapsed;
    const double allocations = companion.allocations() - allocationsBefore;
    const std::optional<PrivateDesktop::Window> panel = panelOf(display, pid);
    int allFrames = 0;
    for (const auto& [window, count] : frames) {
        allFrames += count;
        if (panel && window == panel->id)
            figures.panelFrames = count / elapsed;
        else
            figures.otherFrames += count / elapsed;
    }
    figures.allocationsPerFrame = allFrames ? allocations / allFrames : allocations;
    const QByteArray status = readFile(QStringLiteral("/proc/%1/status").arg(pid));
    const LibraryWitness witness(pid);
    const QByteArray rollup = readFile(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    figures.residentMiB = figureOf(status, "VmRSS") / 1024;
    figures.privateMiB = (figureOf(rollup, "Private_Clean") + figureOf(rollup, "Private_Dirty")) / 1024;
    which.leave();
    if (!companion.running()) {
        std::fprintf(stderr, "%s: the program ended while it was measured\n", which.name);
        return std::nullopt;
    }
    return figures;
}

} // namespace

// What any frame of such a window costs, whatever is drawn: a translucent
// frameless tool window of the panel's size that repaints a few pixels at
// the ambient frame rate.
int showEmptyPanel(int argc, char* argv[])
{
    // As the program sends its pictures.
    qputenv("QT_XCB_NO_MITSHM", "1");
    QApplication application(argc, argv);
    QWidget panel;
    panel.setWindowFlags(Qt::FramelessWindowHint | Qt::Tool | Qt::WindowStaysOnTopHint);
    panel.setAttribute(Qt::WA_TranslucentBackground);
    panel.setWindowTitle(QStringLiteral("Vora"));
    panel.setGeometry(200, 200, 330, 190);
    panel.show();
    QTimer frames;
    frames.setTimerType(Qt::PreciseTimer);
    QObject::connect(&frames, &QTimer::timeout, &panel, [&] { panel.update(240, 100, 10, 10); });
    frames.start(1000 / 24);
    return application.exec();
}

int main(int argc, char* argv[])
{
    if (argc == 2 && QByteArray(argv[1]) == "--empty-panel")
        return showEmptyPanel(argc, argv);
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 3) {
        std::fprintf(stderr, "usage: %s <companion program> <allocation counter library> [case...]\n", argv[0]);
        return 2;
    }
    PrivateDesktop display;
    if (!display.usable()) {
        std::fprintf(stderr, "needs an X server with the damage extension\n");
        return 1;
    }
    const QStringList wanted = arguments.mid(3);
    std::printf("%-7s %9s %9s %9s %9s %9s %12s %7s %7s\n", "case", "frames/s", "other/s", "CPU %", "X CPU %",
                "wakeups/s", "allocs/frame", "RSS MB", "USS MB");
    int failures = 0;
    for (const Case& which : cases()) {
        if (!wanted.isEmpty() && !wanted.contains(QString::fromLatin1(which.name)))
            continue;
        const std::optional<Figures> figures = measure(which, display, arguments[1], arguments[2]);
        if (!figures) {
            ++failures;
            continue;
        }
        // Fewer than a frame a second say nothing about a frame's cost.
        const QByteArray perFrame = figures->panelFrames + figures->otherFrames >= 1
                                        ? QByteArray::number(figures->allocationsPerFrame, 'f', 1)
                                        : QByteArrayLiteral("-");
        std::printf("%-7s %9.1f %9.1f %9.2f %9.2f %9.1f %12s %7.1f %7.1f   (%s, %.0f s)\n", which.name,
                    figures->panelFrames, figures->otherFrames, figures->processPercent, figures->serverPercent,
                    figures->wakeUps, perFrame.constData(), figures->residentMiB, figures->privateMiB,
                    which.description, which.seconds);
        std::fflush(stdout);
    }
    return failures ? 1 : 0;
}
