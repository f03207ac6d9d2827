// What the running companion costs while it sits on the desktop, measured
// from outside the process on a private X11 desktop, beside what any window
// of its kind costs:
//   panel_idle_benchmark [--rounds N] [--seconds S] [--before PROGRAM]
//                        <companion program> <process counters library> [case...]
// Each case starts a fresh copy of the program, brings it into the state the
// case names, lets it settle, then watches it for S seconds (20 unless
// told). The cases run in N rounds (3 unless told), each round in another
// order, so that whatever else the machine does falls on all of them alike;
// each figure is the mean of the rounds. With --before, every case of the
// program also runs for PROGRAM (an older build, say) in the same rounds.
//
// Cases: "floor-a" and "floor-b" (the benchmark's own empty translucent
// window of the panel's size, repainting 10 x 10 pixels or all of itself 24
// times a second: what frames cost before anything is drawn), "rest" (the
// panel animating on its own), "alert" (an alert on show), "menu" (the menu
// opened by a click on the mascot), "google", "usage", "fleet", "task" and
// "layout" (the menu with that panel opened from its control), "unseen" (the
// screen saver on), and "menu-cycle" (memory: the menu opened and closed ten
// times, then 45 s of rest, against the program's size once it had started).
//
// Prints, per case: frames painted a second (counted by the X server's
// damage reports on each of the program's windows), the share of one core
// used by the process and by the X server and their sum as a multiple of
// floor a's, wake-ups a second (the process's voluntary context switches,
// every thread), heap allocations, pictures sent to the X server and their
// pixels per frame, and resident (RSS) and private (USS) memory at the end.
#include "QuietModelParts.h"
#include "menu/OpenedMenu.h"
#include "menu/panels/MenuPanels.h"
#include "model/CompanionEdition.h"
#include "model/ResourceBundle.h"
#include "panel/CompanionView.h"
#include "ui/ViewEnvironment.h"

#include <QApplication>
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

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <tuple>
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

double residentMiB(qint64 pid)
{
    return figureOf(readFile(QStringLiteral("/proc/%1/status").arg(pid)), "VmRSS") / 1024;
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
        const Reply<xcb_get_geometry_reply_t> size(
            xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr));
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
        const Reply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, parent), nullptr));
        if (!tree)
            return;
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
            const Reply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
                m_connection, xcb_get_window_attributes(m_connection, children[i]), nullptr));
            if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
                continue;
            const Reply<xcb_get_property_reply_t> owner(
                property(children[i], atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 1));
            if (owner && xcb_get_property_value_length(owner.get()) == 4) {
                if (*static_cast<const uint32_t*>(xcb_get_property_value(owner.get())) == pid) {
                    const Reply<xcb_get_property_reply_t> name(
                        property(children[i], atom("_NET_WM_NAME"), atom("UTF8_STRING"), 256));
                    found.push_back(
                        {children[i],
                         name ? QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(name.get())),
                                                  xcb_get_property_value_length(name.get()))
                              : QString()});
                }
            } else if (depth < 2) {
                collect(children[i], pid, depth + 1, found); // a window manager's frame
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
        return xcb_get_property_reply(m_connection, xcb_get_property(m_connection, 0, window, name, type, 0, words),
                                      nullptr);
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_root = XCB_NONE;
    uint8_t m_damageEvent = 0;
    qint64 m_serverPid = 0;
};

// What the preloaded counters library has counted in a process so far.
struct Counted {
    double allocations = 0;
    double pictures = 0; // sent to the X server
    double pixels = 0;   // in them
};

// One fresh copy of a program in a session of its own.
class Companion {
public:
    Companion(const QString& program, const QStringList& arguments, const QString& countersLibrary) : m_program(program)
    {
        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
        QProcessEnvironment counted = m_environment;
        counted.insert(QStringLiteral("LD_PRELOAD"), countersLibrary);
        counted.insert(QStringLiteral("LUMIVO_PROCESS_COUNTERS"), countersPath());
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

    Counted counted() const
    {
        QFile file(countersPath());
        quint64 values[3] = {};
        if (!file.open(QIODevice::ReadOnly)
            || file.read(reinterpret_cast<char*>(values), sizeof values) != sizeof values)
            return {};
        return {double(values[0]), double(values[1]), double(values[2])};
    }

private:
    QString countersPath() const { return m_runtime.filePath(QStringLiteral("counters")); }

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

bool run(const QStringList& command) { return QProcess::execute(command.first(), command.mid(1)) == 0; }

void pointerTo(QPoint point)
{
    run({QStringLiteral("xdotool"), QStringLiteral("mousemove"), QString::number(point.x()),
         QString::number(point.y())});
}

void clickAt(QPoint point)
{
    run({QStringLiteral("xdotool"), QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y()),
         QStringLiteral("click"), QStringLiteral("1")});
}

// Takes the pointer off the program's windows, so nothing stays hovered.
void pointerAway() { pointerTo(QPoint(0, 0)); }

bool isAlertPanel(const PrivateDesktop::Window& window) { return window.name.startsWith(QStringLiteral("Vora alert")); }

std::optional<PrivateDesktop::Window> panelOf(PrivateDesktop& display, qint64 pid)
{
    for (const PrivateDesktop::Window& window : display.windowsOf(pid)) {
        if (!isAlertPanel(window))
            return window;
    }
    return std::nullopt;
}

// The collapsed panel is 330 points wide; the open one is wider.
bool isOpen(const QRect& panel) { return panel.width() > 330; }

// The mascot sits in the panel's bottom-right corner, 20 points further in
// while the menu opens to the left.
QPoint mascotOf(const QRect& panel)
{
    return isOpen(panel) ? QPoint(panel.right() - 105, panel.bottom() - 90)
                         : QPoint(panel.right() - 85, panel.bottom() - 85);
}

// Where the opened menu's controls lie in the open panel, found on a replica
// of the menu built here from the program's own bundle, laid out as the
// program lays out its card.
class MenuReplica {
public:
    MenuReplica(const QString& program, QSize openPanel)
    {
        const std::optional<QString> folder = ResourceBundle::locate(ResourceBundle::candidatePlaces(program));
        if (!folder)
            return;
        const ResourceBundle bundle(*folder);
        QuietModel quiet;
        CompanionModel& model = quiet.model();
        const ViewEnvironment environment = ViewEnvironment::live(bundle);
        CompanionView view(model, environment);
        view.resize(openPanel);
        auto* menu = new OpenedMenu(view, environment, CompanionEdition::fromInfo(bundle.info()), {}, menuPanels());
        view.hostMenu(menu);
        model.menuOpen = true;
        for (int turn = 0; turn < 3; ++turn)
            QCoreApplication::processEvents();
        for (MenuButton* control : menu->controls())
            m_centres.emplace(control->accessibleName(), control->mapTo(&view, control->rect().center()));
    }

    std::optional<QPoint> centreOf(const QString& name) const
    {
        const auto found = m_centres.find(name);
        return found == m_centres.end() ? std::nullopt : std::optional(found->second);
    }

private:
    std::map<QString, QPoint> m_centres;
};

// What a case may reach while it brings the program into its state.
struct Setting {
    PrivateDesktop& display;
    Companion& companion;
    const QString& program;
};

// Opens the menu with a click on the mascot and waits for the card to be in.
std::optional<QRect> openMenu(const Setting& setting)
{
    const std::optional<PrivateDesktop::Window> panel = panelOf(setting.display, setting.companion.pid());
    if (!panel)
        return std::nullopt;
    clickAt(mascotOf(setting.display.geometry(panel->id)));
    if (!waitFor([&] { return isOpen(setting.display.geometry(panel->id)); }))
        return std::nullopt;
    QThread::msleep(700);
    pointerAway();
    return setting.display.geometry(panel->id);
}

// Opens the menu, then the panel behind the control named control.
bool openPanel(const Setting& setting, const QString& control)
{
    const std::optional<QRect> panel = openMenu(setting);
    if (!panel)
        return false;
    static std::map<std::tuple<QString, int, int>, std::unique_ptr<MenuReplica>> replicas;
    std::unique_ptr<MenuReplica>& replica = replicas[{setting.program, panel->width(), panel->height()}];
    if (!replica)
        replica = std::make_unique<MenuReplica>(setting.program, panel->size());
    const std::optional<QPoint> centre = replica->centreOf(control);
    if (!centre)
        return false;
    clickAt(panel->topLeft() + *centre);
    pointerAway();
    return true;
}

struct Case {
    const char* name;
    const char* description;
    // The benchmark's own empty panel instead of the program, with these arguments.
    QStringList emptyPanel = {};
    // Brings the program into the case's state; false when it could not.
    std::function<bool(const Setting&)> enter = [](const Setting&) { return true; };
    std::function<void()> leave = [] {};
};

Case panelCase(const char* name, const char* description, const char* control)
{
    return {name, description, {}, [control](const Setting& setting) {
                return openPanel(setting, QString::fromLatin1(control));
            }};
}

const std::vector<Case>& cases()
{
    static const std::vector<Case> all{
        {"floor-a",
         "an empty translucent 330 x 190 window repainting 10 x 10 pixels 24 times a second",
         {QStringLiteral("--empty-panel")}},
        {"floor-b",
         "the same window repainted whole 24 times a second",
         {QStringLiteral("--empty-panel"), QStringLiteral("whole")}},
        {"rest", "the panel on its own"},
        {"alert",
         "an alert on show",
         {},
         [](const Setting& setting) {
             setting.companion.handOver(
                 QStringLiteral("lumivo://notify?type=email&detail=The%20quarterly%20numbers%20are%20ready"));
             return waitFor([&] {
                 const auto windows = setting.display.windowsOf(setting.companion.pid());
                 return std::any_of(windows.begin(), windows.end(), isAlertPanel);
             });
         }},
        {"menu",
         "the menu opened by a click on the mascot",
         {},
         [](const Setting& setting) { return openMenu(setting).has_value(); }},
        panelCase("google", "the menu with the Google links panel", "Search"),
        panelCase("usage", "the menu with the AI usage panel", "AI usage"),
        panelCase("fleet", "the menu with the bot fleet panel", "Fleet"),
        panelCase("task", "the menu with the task manager", "Task Manager"),
        panelCase("layout", "the menu with the window layout panel", "Screen"),
        {"unseen",
         "the screen saver on",
         {},
         [](const Setting&) {
             return run({QStringLiteral("xset"), QStringLiteral("s"), QStringLiteral("activate")});
         },
         [] {
             run({QStringLiteral("xset"), QStringLiteral("s"), QStringLiteral("reset")});
         }},
    };
    return all;
}

struct Figures {
    double panelFrames = 0; // a second
    double otherFrames = 0; // a second, in the program's other windows
    double processPercent = 0;
    double serverPercent = 0;
    double wakeUps = 0;     // a second
    double allocations = 0; // a frame, as the next two
    double pictures = 0;
    double pixels = 0;
    double residentMiB = 0;
    double privateMiB = 0;

    double frames() const { return panelFrames + otherFrames; }
    double totalPercent() const { return processPercent + serverPercent; }
    Figures& operator+=(const Figures& other)
    {
        for (auto member : {&Figures::panelFrames, &Figures::otherFrames, &Figures::processPercent,
                            &Figures::serverPercent, &Figures::wakeUps, &Figures::allocations, &Figures::pictures,
                            &Figures::pixels, &Figures::residentMiB, &Figures::privateMiB})
            this->*member += other.*member;
        return *this;
    }
    Figures dividedBy(double count) const
    {
        Figures mean = *this;
        for (auto member : {&Figures::panelFrames, &Figures::otherFrames, &Figures::processPercent,
                            &Figures::serverPercent, &Figures::wakeUps, &Figures::allocations, &Figures::pictures,
                            &Figures::pixels, &Figures::residentMiB, &Figures::privateMiB})
            mean.*member /= count;
        return mean;
    }
};

// Starts the program (or the empty panel) and waits until its panel shows.
std::unique_ptr<Companion> start(const Case& which, PrivateDesktop& display, const QString& program,
                                 const QString& counters)
{
    // Every case starts with the pointer away from the panel, whatever the
    // last one did with it: a hovered mascot prepares the menu.
    pointerAway();
    auto companion = std::make_unique<Companion>(
        which.emptyPanel.isEmpty() ? program : QCoreApplication::applicationFilePath(), which.emptyPanel, counters);
    if (!waitFor([&] { return panelOf(display, companion->pid()).has_value(); })) {
        std::fprintf(stderr, "%s: the panel did not appear\n", which.name);
        return nullptr;
    }
    return companion;
}

std::optional<Figures> measure(const Case& which, PrivateDesktop& display, const QString& program,
                               const QString& counters, double seconds)
{
    const std::unique_ptr<Companion> companion = start(which, display, program, counters);
    if (!companion)
        return std::nullopt;
    // Past start-up and the greeting wave.
    QThread::msleep(3000);
    if (!which.enter({display, *companion, program})) {
        std::fprintf(stderr, "%s: could not reach the case's state\n", which.name);
        which.leave();
        return std::nullopt;
    }
    QThread::msleep(1500);

    std::vector<xcb_window_t> windows;
    for (const PrivateDesktop::Window& window : display.windowsOf(companion->pid()))
        windows.push_back(window.id);
    const qint64 pid = companion->pid();
    const double processBefore = processorSeconds(pid);
    const double serverBefore = processorSeconds(display.serverPid());
    const double wakeUpsBefore = wakeUps(pid);
    const Counted countedBefore = companion->counted();
    QElapsedTimer wall;
    wall.start();
    const std::map<xcb_window_t, int> frames = display.countFrames(windows, seconds);
    const double elapsed = wall.nsecsElapsed() / 1e9;
    Figures figures;
    figures.processPercent = 100 * (processorSeconds(pid) - processBefore) / elapsed;
    figures.serverPercent = 100 * (processorSeconds(display.serverPid()) - serverBefore) / elapsed;
    figures.wakeUps = (wakeUps(pid) - wakeUpsBefore) / elapsed;
    const Counted counted = companion->counted();
    const std::optional<PrivateDesktop::Window> panel = panelOf(display, pid);
    int allFrames = 0;
    for (const auto& [window, count] : frames) {
        allFrames += count;
        if (panel && window == panel->id)
            figures.panelFrames = count / elapsed;
        else
            figures.otherFrames += count / elapsed;
    }
    const double perFrame = std::max(allFrames, 1);
    figures.allocations = (counted.allocations - countedBefore.allocations) / perFrame;
    figures.pictures = (counted.pictures - countedBefore.pictures) / perFrame;
    figures.pixels = (counted.pixels - countedBefore.pixels) / perFrame;
    const LibraryWitness witness(pid);
    const QByteArray rollup = readFile(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    figures.residentMiB = residentMiB(pid);
    figures.privateMiB = (figureOf(rollup, "Private_Clean") + figureOf(rollup, "Private_Dirty")) / 1024;
    which.leave();
    if (!companion->running()) {
        std::fprintf(stderr, "%s: the program ended while it was measured\n", which.name);
        return std::nullopt;
    }
    return figures;
}

// The program's resident size a while after it started, and 45 s after its
// menu has been opened and closed ten times; nothing answers in between.
struct MenuCycle {
    double freshMiB = 0;
    double afterMiB = 0;
};

std::optional<MenuCycle> cycleMenu(PrivateDesktop& display, const QString& program, const QString& counters)
{
    static const Case cycle{"menu-cycle", ""};
    const std::unique_ptr<Companion> companion = start(cycle, display, program, counters);
    if (!companion)
        return std::nullopt;
    // Start-up hands its freed memory back ten seconds in.
    QThread::msleep(13000);
    MenuCycle figures{.freshMiB = residentMiB(companion->pid())};
    const std::optional<PrivateDesktop::Window> panel = panelOf(display, companion->pid());
    if (!panel)
        return std::nullopt;
    for (int opening = 0; opening < 10; ++opening) {
        clickAt(mascotOf(display.geometry(panel->id)));
        if (!waitFor([&] { return isOpen(display.geometry(panel->id)); }))
            return std::nullopt;
        QThread::msleep(1000);
        clickAt(mascotOf(display.geometry(panel->id)));
        if (!waitFor([&] { return !isOpen(display.geometry(panel->id)); }))
            return std::nullopt;
        QThread::msleep(500);
    }
    pointerAway();
    QThread::msleep(45000);
    figures.afterMiB = residentMiB(companion->pid());
    return figures;
}

void printLoad(const char* when)
{
    std::printf("load average %s: %s", when, readFile(QStringLiteral("/proc/loadavg")).constData());
}

} // namespace

// What any frame of such a window costs, whatever is drawn: a translucent
// frameless tool window of the panel's size that repaints a few pixels (or
// all of itself) at the ambient frame rate.
int showEmptyPanel(int argc, char* argv[], bool whole)
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
    QObject::connect(&frames, &QTimer::timeout, &panel, [&] {
        if (whole)
            panel.update();
        else
            panel.update(240, 100, 10, 10);
    });
    frames.start(1000 / 24);
    return application.exec();
}

int main(int argc, char* argv[])
{
    if (argc >= 2 && QByteArray(argv[1]) == "--empty-panel")
        return showEmptyPanel(argc, argv, argc >= 3 && QByteArray(argv[2]) == "whole");
    QApplication application(argc, argv);
    QStringList arguments = application.arguments().mid(1);
    int rounds = 3;
    double seconds = 20;
    QString before;
    while (arguments.size() >= 2 && arguments.first().startsWith(QStringLiteral("--"))) {
        const QString option = arguments.takeFirst();
        const QString value = arguments.takeFirst();
        if (option == QStringLiteral("--rounds"))
            rounds = std::max(1, value.toInt());
        else if (option == QStringLiteral("--seconds"))
            seconds = std::max(1.0, value.toDouble());
        else if (option == QStringLiteral("--before"))
            before = value;
    }
    if (arguments.size() < 2) {
        std::fprintf(stderr,
                     "usage: %s [--rounds N] [--seconds S] [--before PROGRAM] <companion program> "
                     "<process counters library> [case...]\n",
                     argv[0]);
        return 2;
    }
    PrivateDesktop display;
    if (!display.usable()) {
        std::fprintf(stderr, "needs an X server with the damage extension\n");
        return 1;
    }
    const QString program = arguments[0];
    const QString counters = arguments[1];
    const QStringList wanted = arguments.mid(2);
    const auto chosen = [&](const char* name) {
        return wanted.isEmpty() || wanted.contains(QString::fromLatin1(name));
    };

    // Each measurement: a case, the program it runs ("" for the floors),
    // and what the rounds found.
    struct Measurement {
        const Case* which;
        QString label;
        QString program;
        Figures sum;
        int count = 0;
    };
    std::vector<Measurement> measurements;
    for (const Case& which : cases()) {
        if (!chosen(which.name))
            continue;
        if (!which.emptyPanel.isEmpty()) {
            measurements.push_back({&which, QString(), program, {}});
            continue;
        }
        if (!before.isEmpty())
            measurements.push_back({&which, QStringLiteral("before"), before, {}});
        measurements.push_back({&which, before.isEmpty() ? QString() : QStringLiteral("after"), program, {}});
    }

    printLoad("at the start");
    std::fflush(stdout);
    int failures = 0;
    for (int round = 0; round < rounds; ++round) {
        // Each round starts one further along, so no case always comes first.
        for (std::size_t step = 0; step < measurements.size(); ++step) {
            Measurement& measurement = measurements[(step + round) % measurements.size()];
            const std::optional<Figures> figures =
                measure(*measurement.which, display, measurement.program, counters, seconds);
            if (!figures) {
                ++failures;
                continue;
            }
            measurement.sum += *figures;
            ++measurement.count;
        }
        std::fprintf(stderr, "round %d of %d done\n", round + 1, rounds);
    }
    printLoad("at the end");

    const auto floor = std::find_if(measurements.begin(), measurements.end(), [](const Measurement& measurement) {
        return std::strcmp(measurement.which->name, "floor-a") == 0 && measurement.count > 0;
    });
    const double floorPercent = floor != measurements.end() ? floor->sum.dividedBy(floor->count).totalPercent() : 0;
    std::printf("%d rounds of %.0f s; means per case; frames, CPU and the ratio count every window of the program\n",
                rounds, seconds);
    std::printf("%-10s %-6s %8s %7s %7s %7s %7s %9s %9s %9s %9s %9s %7s %7s\n", "case", "build", "frames/s", "other/s",
                "CPU %", "X CPU %", "sum %", "x floor a", "wakeups/s", "allocs/fr", "puts/fr", "kpx/fr", "RSS MB",
                "USS MB");
    for (const Measurement& measurement : measurements) {
        if (!measurement.count)
            continue;
        const Figures mean = measurement.sum.dividedBy(measurement.count);
        // Fewer than a frame a second say nothing about a frame's cost.
        const auto perFrame = [&](double value, int decimals) {
            return mean.frames() >= 1 ? QByteArray::number(value, 'f', decimals) : QByteArrayLiteral("-");
        };
        const QByteArray ratio =
            floorPercent > 0 ? QByteArray::number(mean.totalPercent() / floorPercent, 'f', 2) : QByteArrayLiteral("-");
        std::printf("%-10s %-6s %8.1f %7.1f %7.2f %7.2f %7.2f %9s %9.1f %9s %9s %9s %7.1f %7.1f\n",
                    measurement.which->name, qPrintable(measurement.label), mean.panelFrames, mean.otherFrames,
                    mean.processPercent, mean.serverPercent, mean.totalPercent(), ratio.constData(), mean.wakeUps,
                    perFrame(mean.allocations, 0).constData(), perFrame(mean.pictures, 1).constData(),
                    perFrame(mean.pixels / 1000, 1).constData(), mean.residentMiB, mean.privateMiB);
    }
    for (const Case& which : cases()) {
        if (chosen(which.name))
            std::printf("  %-10s %s\n", which.name, which.description);
    }
    std::fflush(stdout);

    if (chosen("menu-cycle")) {
        for (const auto& [label, cycled] :
             {std::pair(QStringLiteral("before"), before), std::pair(QString(), program)}) {
            if (cycled.isEmpty())
                continue;
            const std::optional<MenuCycle> cycle = cycleMenu(display, cycled, counters);
            if (!cycle) {
                ++failures;
                continue;
            }
            std::printf("menu-cycle %-6s RSS %.1f MB once started, %.1f MB 45 s after ten openings and closings "
                        "of the menu: %+.1f MB\n",
                        qPrintable(label.isEmpty() && !before.isEmpty() ? QStringLiteral("after") : label),
                        cycle->freshMiB, cycle->afterMiB, cycle->afterMiB - cycle->freshMiB);
        }
    }
    return failures ? 1 : 0;
}
