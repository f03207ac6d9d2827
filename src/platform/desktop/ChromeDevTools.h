#pragma once

#include "platform/BrowserTabs.h"

#include <QObject>
#include <QStringList>

#include <chrono>
#include <optional>

class Workspace;

// Chrome's (or Chromium's) tabs through the remote-debugging endpoints on
// the loopback interface. A browser opens one when it was started with
// --remote-debugging-port, and names the port on its command line or in the
// DevToolsActivePort file of its profile folder; with several browsers
// running, all are asked at once, up to a few dozen. Whatever listens on
// those ports is not trusted: its answers, the closes they lead to and the
// time they take are bounded, and it is never followed to another port.
// Main thread only.
class ChromeDevTools final : public BrowserTabs {
public:
    struct Limits {
        // Of each browser's list. Chromium lists a target in some 600 bytes:
        // room for over 3,000, several times a heavy session's list.
        qint64 listBytes;
        // A close is answered "Target is closing".
        qint64 closeAnswerBytes;
        // Tabs closed by one press, in all browsers together.
        qsizetype closes;
        // For every list and close of one press together.
        std::chrono::milliseconds deadline;
        // Asked by one press: each takes a connection, and a command line
        // may name thousands.
        qsizetype endpoints;
    };
    static constexpr Limits limits{.listBytes = 2 << 20,
                                   .closeAnswerBytes = 4 << 10,
                                   .closes = 500,
                                   .deadline = std::chrono::seconds(5),
                                   .endpoints = 32};

    // profileFolders: where to look for the port besides the profile folders
    // the running browsers name on their command lines.
    explicit ChromeDevTools(const Workspace& workspace, QStringList profileFolders = standardProfileFolders());

    // The profile folders of Google Chrome's channels and of Chromium.
    static QStringList standardProfileFolders();

    void closeTabs(AddressTest closes, Completion completion) override;

    // The values a "--name=value" switch may have in the contents of a
    // /proc/PID/cmdline, the most likely first. The arguments are separated
    // by NUL bytes, or the browser rewrote them into one space-joined line;
    // there a value runs to the next " --" or ends at one of the spaces
    // before it, so each of those cuts is a candidate, longest first.
    static QStringList switchValues(const QByteArray& commandLine, QLatin1String name);
    // The IDs of the page targets to close from the answer to a target-list
    // request, at most `limit`, in list order. None when the answer is not a
    // target list: only a 200 holding a JSON array is one.
    static std::optional<QStringList> pagesToClose(int status, const QByteArray& body, const AddressTest& closes,
                                                   qsizetype limit);

    struct Endpoints {
        QList<quint16> ports;
        // Other ports named, not asked.
        qsizetype leftOut = 0;
    };
    // The ports one press asks, each once and at most limits.endpoints of
    // them: those the profile folders' DevToolsActivePort files name first,
    // since a browser writes there the port it really took, then those
    // named on command lines, in the order given.
    static Endpoints endpointsToAsk(const QList<std::optional<quint16>>& inProfileFolders,
                                    const QList<std::optional<quint16>>& onCommandLines);

private:
    class Closing;

    // The ports to try, most likely first.
    Endpoints candidatePorts() const;

    const Workspace& m_workspace;
    QStringList m_profileFolders;
    // Owns the presses still asking.
    QObject m_presses;
};
