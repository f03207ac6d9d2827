#pragma once

#include <QString>
#include <QStringList>

// Every program the companion starts begins as one started from a terminal
// would: no signal blocked and every signal's action at its default. The
// companion blocks the termination signals for itself (TerminationSignals),
// and a library may ignore others; both would pass across exec, and the
// child would then shrug off Ctrl+C, kill and the logout signal.
namespace ChildProcesses {

// Runs in the new child between fork and exec (a GSpawnChildSetupFunc).
// Async-signal-safe.
void resetSignalsBeforeExec(void* unused);

// Starts the program with the arguments, detached and not waited for; false
// when it could not be started.
bool startDetached(const QString& program, const QStringList& arguments);

} // namespace ChildProcesses
