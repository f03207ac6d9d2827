#pragma once

// Helpers for tests on the private X11 desktop.

#include "support/WaitUntil.h"

#include <QProcess>
#include <QStringList>

// Runs a command-line tool of the X11 desktop and returns what it printed.
inline QString runTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Lets pending events of every client reach us.
inline void settleDesktop(int milliseconds = 150)
{
    waitUntil([] { return false; }, milliseconds);
}
