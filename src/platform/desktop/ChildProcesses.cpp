#include "platform/desktop/ChildProcesses.h"

#include <QFile>

#include <glib.h>

#include <csignal>
#include <vector>

namespace ChildProcesses {

void resetSignalsBeforeExec(void*)
{
    struct sigaction defaultAction { };
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    // Signals that cannot be changed (or that the C library keeps for
    // itself) refuse quietly.
    for (int signal = 1; signal < NSIG; ++signal)
        sigaction(signal, &defaultAction, nullptr);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
}

bool startDetached(const QString& program, const QStringList& arguments)
{
    QList<QByteArray> encoded{QFile::encodeName(program)};
    for (const QString& argument : arguments)
        encoded.append(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& argument : encoded)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    // Without G_SPAWN_DO_NOT_REAP_CHILD the child is left to init, never a zombie of ours.
    GError* error = nullptr;
    const bool started =
        g_spawn_async(nullptr, argv.data(), nullptr, G_SPAWN_DEFAULT, resetSignalsBeforeExec, nullptr, nullptr, &error);
    if (error)
        g_error_free(error);
    return started;
}

} // namespace ChildProcesses
