#pragma once

#include <QString>
#include <QStringList>

// The program's command line, read before anything else happens: the
// "lumivo:" links to open, --help and --version, and the options that Qt's
// application object takes for itself (-platform, -display, -style, ...),
// which are accepted here and left to Qt.
namespace CommandLine {

// The exit status of a command line that cannot be read.
constexpr int usageError = 2;

struct Reading {
    enum class Outcome { run, help, version, error };
    Outcome outcome = Outcome::run;
    // The help or the version for standard output, the error for standard error.
    QString text;
    // The program's name, then the arguments that are no option: the links.
    QStringList remaining;
};

// Reads arguments (the program's name first) of the program named program at version.
Reading read(const QStringList& arguments, const QString& program, const QString& version);

} // namespace CommandLine
