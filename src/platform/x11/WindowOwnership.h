#pragma once

// Which process owns a managed window, and when a quit may be sent to it.
// A window's _NET_WM_PID is only what its client says of itself: many
// programs set none, and any program can name another's number. The X
// server knows which local process made the window (X-Resource client ids);
// its word is taken whenever it can give one.

#include <QList>
#include <QtGlobal>

#include <optional>
#include <sys/types.h>

namespace WindowOwnership {

// What is known of a window's process.
struct Evidence {
    // The server can name its clients' processes (it has X-Resource 1.2).
    bool serverNamesProcesses = false;
    // The process the server names for the window's client; none for a
    // client it cannot name (one connected over the network).
    std::optional<quint32> serverProcess;
    // The window's _NET_WM_PID, when it has one.
    std::optional<quint32> claimedProcess;
    // Its WM_CLIENT_MACHINE is this machine, or it names none.
    bool claimedOnThisMachine = true;
};

// The window's process; 0 when no number can be trusted.
qint32 processOf(const Evidence& evidence);

// Whether a quit may go to process now: it owns one of the managed windows
// as they are at this moment (ownersOfWindows, per processOf), it is not
// the companion itself, and it runs as the same user (processUser is the
// owner of /proc/PID, none once the process is gone).
bool mayQuit(qint32 process, const QList<qint32>& ownersOfWindows, qint32 ownProcess, std::optional<uid_t> processUser,
             uid_t user);

} // namespace WindowOwnership
