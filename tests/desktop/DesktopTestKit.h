#pragma once

// Helpers for tests on the private X11 desktop.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>
#include <QThread>

#include <functional>

// Runs a command-line tool of the X11 desktop and returns what it printed.
inline QString runTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Keeps the event loop turning until condition holds or time runs out; the
// window manager and the X server answer asynchronously.
inline bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

// Lets pending events of every client reach us.
inline void settleDesktop(int milliseconds = 150)
{
    waitUntil([] { return false; }, milliseconds);
}
