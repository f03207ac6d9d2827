#pragma once

#include <QIcon>
#include <QList>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

// Installed applications, named as the catalogue names them: by application
// path ("/Applications/Google Chrome.app") or bundle identifier
// ("com.google.Chrome"); the desktop resolves both to its own application
// entries.
class Applications {
public:
    virtual ~Applications() = default;

    // Whether the path names an installed application (or an existing file).
    virtual bool exists(const QString& applicationPath) const = 0;
    // The identifier of the application at the path; none when the path
    // resolves to no application.
    virtual std::optional<QString> bundleIdentifier(const QString& applicationPath) const = 0;
    // The application's icon; a generic icon when nothing is at the path.
    virtual QIcon icon(const QString& applicationPath) const = 0;
    // What the path is looked for as on this desktop, for log lines.
    virtual QString lookedFor(const QString& applicationPath) const = 0;

    // Launches the application, or activates it when it runs already (never
    // a second copy); completion later tells whether that worked.
    virtual void openApplication(const QString& applicationPath, std::function<void(bool opened)> completion) = 0;
    // Opens the addresses in that application, activating it (a running
    // copy is brought to the front, not started twice).
    virtual void openURLs(const QList<QUrl>& urls, const QString& applicationPath) = 0;
    // Opens the address with the desktop's default handler for it. The
    // other desktop's settings panes ("x-apple.systempreferences:") open
    // nothing.
    virtual void openURL(const QUrl& url) = 0;
    // Starts a new copy of the application with extra arguments; false when
    // it could not be started.
    virtual bool startNewInstance(const QString& applicationPath, const QStringList& arguments) = 0;
};
