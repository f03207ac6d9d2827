#pragma once

#include "platform/desktop/DesktopEntry.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QFileSystemWatcher;

// An application as the catalogue's path or a window's class resolves to it.
struct ResolvedApplication {
    // The identifier Applications and Workspace agree on: the known
    // application's identifier, else the desktop entry's ID; empty for a
    // plain executable.
    QString identifier;
    std::optional<DesktopEntry> entry;
    // Set instead of entry for an executable file named directly.
    QString executable;
};

// The installed desktop entries of the XDG applications folders, and the one
// place that turns the catalogue's application paths and running windows'
// classes into them.
class ApplicationDirectory {
public:
    // folders: "applications" folders, the most important first (a desktop
    // file ID found in an earlier folder hides the same ID in later ones).
    explicit ApplicationDirectory(QStringList folders = standardFolders());
    ~ApplicationDirectory();

    // $XDG_DATA_HOME/applications, then each of $XDG_DATA_DIRS.
    static QStringList standardFolders();

    // A path of the catalogue ("/Applications/Google Chrome.app"), any other
    // "Name.app" (found by the entry's name), a desktop entry file or an
    // executable file; none when it names nothing installed.
    std::optional<ResolvedApplication> resolve(const QString& applicationPath) const;
    // What resolve looks for here, for log lines, which never name the other
    // desktop's paths: "calendar application (desktop entries
    // org.gnome.Calendar, ...)", "desktop entry named Slack", or the file.
    static QString lookedFor(const QString& applicationPath);
    // The application a window belongs to, from its WM_CLASS instance and
    // class; none when nothing installed matches.
    std::optional<ResolvedApplication> identifyWindow(const QString& instance, const QString& windowClass) const;

private:
    const QList<DesktopEntry>& installedEntries() const;
    std::optional<DesktopEntry> installedEntry(const QString& id) const;
    std::optional<DesktopEntry> entryNamed(const QString& name) const;
    std::optional<DesktopEntry> entryForWindowClass(const QString& windowClass) const;
    QString idOfEntryFile(const QString& filePath) const;
    QList<QDateTime> folderTimes() const;
    void watchEntries(const QStringList& files) const;

    QStringList m_folders;
    // Read on first use and again whenever a folder changes or an entry
    // read is edited (main thread only, for the watcher).
    mutable QList<DesktopEntry> m_entries;
    mutable QHash<QString, qsizetype> m_indexById;
    mutable std::optional<QList<QDateTime>> m_readAt;
    mutable std::unique_ptr<QFileSystemWatcher> m_entryFiles;
};
