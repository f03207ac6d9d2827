#pragma once

#include "platform/BrowserTabs.h"

#include <QNetworkAccessManager>
#include <QStringList>

class Workspace;

// Chrome's (or Chromium's) tabs through its remote-debugging endpoint on
// the loopback interface. The browser opens one when it was started with
// --remote-debugging-port, and names the port on its command line or in the
// DevToolsActivePort file of its profile folder. Main thread only.
class ChromeDevTools final : public BrowserTabs {
public:
    // profileFolders: where to look for the port besides the profile folders
    // the running browsers name on their command lines.
    explicit ChromeDevTools(const Workspace& workspace, QStringList profileFolders = standardProfileFolders());

    // The profile folders of Google Chrome's channels and of Chromium.
    static QStringList standardProfileFolders();

    void closeTabs(AddressTest closes, std::function<void(bool answered)> completion) override;

    // The values a "--name=value" switch may have in the contents of a
    // /proc/PID/cmdline, the most likely first. The arguments are separated
    // by NUL bytes, or the browser rewrote them into one space-joined line;
    // there a value runs to the next " --" or ends at one of the spaces
    // before it, so each of those cuts is a candidate, longest first.
    static QStringList switchValues(const QByteArray& commandLine, QLatin1String name);

private:
    // The ports to try, most likely first.
    QList<quint16> candidatePorts() const;
    void closeTabsAt(QList<quint16> ports, AddressTest closes, std::function<void(bool answered)> completion);
    void closeListedTabs(quint16 port, const QStringList& targetIds, std::function<void(bool answered)> completion);

    const Workspace& m_workspace;
    QStringList m_profileFolders;
    QNetworkAccessManager m_network;
};
