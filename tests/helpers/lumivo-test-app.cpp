// A stand-in application for the tests: records its command line (and the
// signal state it started with), then shows top-level windows the way an
// ordinary X11 application does (WM_CLASS, _NET_WM_PID, WM_CLIENT_MACHINE,
// WM_DELETE_WINDOW) until they are closed.
//   lumivo-test-app [--record FILE] [--signals FILE] [--windows N] [--class CLASS]
//                   [--window-type ATOM] [--icon] [--refuse-close] [--fullscreen] [--maximised] [--fixed-size]
//                   [--report-presses] [--claim-pid PID] [--wait-for FILE] [ARGUMENT...]
// Every argument is recorded, one a line, options included. --report-presses
// writes "press" on standard output for each button press on a window. --signals writes
// the SigBlk and SigIgn lines of the process's status. --claim-pid puts PID
// into _NET_WM_PID instead of its own (0: no _NET_WM_PID at all); with
// --wait-for it starts slowly, showing its windows once FILE exists.
#include <xcb/xcb.h>
#include <xcb/xcb_icccm.h>

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Options {
    std::string record;
    std::string signalRecord;
    int windows = 0;
    std::string windowClass = "Lumivo-test-app";
    std::string windowType;
    bool icon = false;
    bool refuseClose = false;
    bool fullscreen = false;
    bool maximised = false;
    bool fixedSize = false;
    bool reportPresses = false;
    long claimedPid = -1;
    std::string waitFor;
};

Options parse(int argc, char** argv)
{
    Options options;
    for (int index = 1; index < argc; ++index) {
        const std::string argument = argv[index];
        const bool hasValue = index + 1 < argc;
        if (argument == "--record" && hasValue)
            options.record = argv[++index];
        else if (argument == "--signals" && hasValue)
            options.signalRecord = argv[++index];
        else if (argument == "--windows" && hasValue)
            options.windows = std::atoi(argv[++index]);
        else if (argument == "--class" && hasValue)
            options.windowClass = argv[++index];
        else if (argument == "--window-type" && hasValue)
            options.windowType = argv[++index];
        else if (argument == "--icon")
            options.icon = true;
        else if (argument == "--refuse-close")
            options.refuseClose = true;
        else if (argument == "--fullscreen")
            options.fullscreen = true;
        else if (argument == "--maximised")
            options.maximised = true;
        else if (argument == "--fixed-size")
            options.fixedSize = true;
        else if (argument == "--report-presses")
            options.reportPresses = true;
        else if (argument == "--claim-pid" && hasValue)
            options.claimedPid = std::atol(argv[++index]);
        else if (argument == "--wait-for" && hasValue)
            options.waitFor = argv[++index];
    }
    return options;
}

// Written whole and then renamed, so a reader never sees half a record.
void record(const std::string& path, const std::vector<std::string>& lines)
{
    const std::string partial = path + ".partial";
    FILE* file = std::fopen(partial.c_str(), "w");
    if (!file)
        return;
    for (const std::string& line : lines)
        std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
    std::rename(partial.c_str(), path.c_str());
}

std::vector<std::string> signalState()
{
    std::vector<std::string> lines;
    FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return lines;
    char line[256];
    while (std::fgets(line, sizeof line, status)) {
        std::string text(line);
        if (!text.empty() && text.back() == '\n')
            text.pop_back();
        if (text.rfind("SigBlk:", 0) == 0 || text.rfind("SigIgn:", 0) == 0)
            lines.push_back(text);
    }
    std::fclose(status);
    return lines;
}

xcb_atom_t atom(xcb_connection_t* connection, const std::string& name)
{
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(name.size()), name.c_str()), nullptr);
    const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return value;
}

void setCardinals(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                  const std::vector<uint32_t>& values)
{
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, type, 32, uint32_t(values.size()),
                        values.data());
}

} // namespace

int main(int argc, char** argv)
{
    const Options options = parse(argc, argv);
    if (!options.signalRecord.empty())
        record(options.signalRecord, signalState());
    if (!options.record.empty())
        record(options.record, std::vector<std::string>(argv + 1, argv + argc));
    if (options.windows <= 0)
        return 0;
    while (!options.waitFor.empty() && access(options.waitFor.c_str(), F_OK) != 0)
        usleep(10000);

    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection))
        return 1;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int index = 0; index < screenNumber; ++index)
        xcb_screen_next(&screens);
    xcb_screen_t* screen = screens.data;

    const xcb_atom_t protocols = atom(connection, "WM_PROTOCOLS");
    xcb_atom_t deleteWindow = atom(connection, "WM_DELETE_WINDOW");
    const xcb_atom_t pidProperty = atom(connection, "_NET_WM_PID");
    const xcb_atom_t typeProperty = atom(connection, "_NET_WM_WINDOW_TYPE");
    const xcb_atom_t iconProperty = atom(connection, "_NET_WM_ICON");
    const xcb_atom_t stateProperty = atom(connection, "_NET_WM_STATE");

    char host[256] = {};
    gethostname(host, sizeof host - 1);
    std::string wmClass = options.windowClass;
    for (char& character : wmClass)
        character = char(std::tolower(static_cast<unsigned char>(character)));
    wmClass += '\0';
    wmClass += options.windowClass;
    wmClass += '\0';

    int open = 0;
    for (int index = 0; index < options.windows; ++index) {
        const xcb_window_t window = xcb_generate_id(connection);
        const uint32_t presses = options.reportPresses ? uint32_t(XCB_EVENT_MASK_BUTTON_PRESS) : 0u;
        const uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY | presses;
        const uint32_t values[] = {screen->white_pixel, events};
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, int16_t(40 * index),
                          int16_t(40 * index), 300, 200, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
        const std::string title = options.windowClass + " " + std::to_string(index + 1);
        xcb_icccm_set_wm_name(connection, window, XCB_ATOM_STRING, 8, uint32_t(title.size()), title.c_str());
        xcb_icccm_set_wm_class(connection, window, uint32_t(wmClass.size()), wmClass.c_str());
        xcb_icccm_set_wm_client_machine(connection, window, XCB_ATOM_STRING, 8, uint32_t(std::strlen(host)), host);
        xcb_icccm_set_wm_protocols(connection, window, protocols, 1, &deleteWindow);
        if (options.claimedPid != 0)
            setCardinals(connection, window, pidProperty, XCB_ATOM_CARDINAL,
                         {uint32_t(options.claimedPid > 0 ? options.claimedPid : getpid())});
        if (!options.windowType.empty())
            setCardinals(connection, window, typeProperty, XCB_ATOM_ATOM, {atom(connection, options.windowType)});
        if (options.icon) {
            std::vector<uint32_t> icon{16, 16};
            icon.resize(2 + 16 * 16, 0xff2080ff);
            setCardinals(connection, window, iconProperty, XCB_ATOM_CARDINAL, icon);
        }
        if (options.fixedSize) {
            xcb_size_hints_t hints{};
            xcb_icccm_size_hints_set_min_size(&hints, 300, 200);
            xcb_icccm_size_hints_set_max_size(&hints, 300, 200);
            xcb_icccm_set_wm_normal_hints(connection, window, &hints);
        }
        // Asked for before mapping, as a video player or a presentation does.
        if (options.fullscreen)
            setCardinals(connection, window, stateProperty, XCB_ATOM_ATOM,
                         {atom(connection, "_NET_WM_STATE_FULLSCREEN")});
        else if (options.maximised)
            setCardinals(
                connection, window, stateProperty, XCB_ATOM_ATOM,
                {atom(connection, "_NET_WM_STATE_MAXIMIZED_VERT"), atom(connection, "_NET_WM_STATE_MAXIMIZED_HORZ")});
        xcb_map_window(connection, window);
        ++open;
    }
    xcb_flush(connection);

    while (open > 0) {
        xcb_generic_event_t* event = xcb_wait_for_event(connection);
        if (!event)
            return 1;
        const auto type = event->response_type & ~0x80;
        if (type == XCB_CLIENT_MESSAGE) {
            const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
            if (message->type == protocols && message->data.data32[0] == deleteWindow && !options.refuseClose) {
                xcb_destroy_window(connection, message->window);
                xcb_flush(connection);
            }
        } else if (type == XCB_DESTROY_NOTIFY) {
            --open;
        } else if (type == XCB_BUTTON_PRESS) {
            std::fputs("press\n", stdout);
            std::fflush(stdout);
        }
        std::free(event);
    }
    xcb_disconnect(connection);
    return 0;
}
