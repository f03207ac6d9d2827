#pragma once

#include "platform/Applications.h"
#include "platform/desktop/ApplicationDirectory.h"
#include "platform/desktop/LaunchesInFlight.h"

class Workspace;

// Installed applications as XDG desktop entries: the catalogue's paths are
// resolved through the application directory, started through their entries
// (or directly, for an executable file), and a running copy is activated
// through the workspace instead of being started again; so is one that is
// still starting (see LaunchesInFlight).
class XdgApplications final : public Applications {
public:
    XdgApplications(const ApplicationDirectory& directory, Workspace& workspace);

    bool exists(const QString& applicationPath) const override;
    std::optional<QString> bundleIdentifier(const QString& applicationPath) const override;
    QIcon icon(const QString& applicationPath) const override;
    QString lookedFor(const QString& applicationPath) const override;
    void openApplication(const QString& applicationPath, std::function<void(bool opened)> completion) override;
    void openURLs(const QList<QUrl>& urls, const QString& applicationPath) override;
    void openURL(const QUrl& url) override;
    bool startNewInstance(const QString& applicationPath, const QStringList& arguments) override;

private:
    // Activates the running copy, or starts one unless one is starting
    // already; false when nothing worked.
    bool bringUp(const ResolvedApplication& application);
    std::optional<qint32> runningCopy(const ResolvedApplication& application) const;

    const ApplicationDirectory& m_directory;
    Workspace& m_workspace;
    LaunchesInFlight m_launching;
    mutable std::optional<QIcon> m_genericIcon;
};
