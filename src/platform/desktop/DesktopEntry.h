#pragma once

#include <QByteArray>
#include <QIcon>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

// One application's desktop entry (the XDG Desktop Entry format), with what
// finding, naming and launching the application needs. The text comes from
// files anyone may write, so reading it never trusts it: anything that is not
// an application entry reads as none.
struct DesktopEntry {
    // The desktop file ID without ".desktop", e.g. "org.gnome.Calendar".
    QString id;
    QString filePath;
    // Name in the user's language, and as written without translation.
    QString name;
    QString untranslatedName;
    // An icon theme name or an absolute file path; may be empty.
    QString iconName;
    QString startupWMClass;
    // The entry counts as deleted (and hides any entry with its ID further down
    // the search path).
    bool hidden = false;
    // Installed but not meant for menus.
    bool noDisplay = false;
    // Its program can be started: TryExec and the Exec program are present.
    bool launchable = false;
    // What was read, so launching uses exactly the entry that was resolved.
    QByteArray contents;

    bool installed() const { return launchable && !hidden; }
    QIcon icon() const;

    // Starts the application with the addresses (for the entry's %u/%U/%f/%F)
    // and, when given, extra arguments after its own command line; false when
    // nothing could be started.
    bool launch(const QList<QUrl>& urls, const QStringList& extraArguments = {}) const;

    // Entries bigger than this are not desktop entries; never read further.
    static constexpr qint64 maximumSize = 256 * 1024;

    static std::optional<DesktopEntry> fromData(const QByteArray& contents, const QString& id, const QString& filePath);
    static std::optional<DesktopEntry> read(const QString& filePath, const QString& id);
};

namespace DesktopEntryExec {

// One argument written into an Exec line so that it reaches the program
// unchanged: double-quoted, with the characters the format reserves escaped
// and a literal percent sign doubled.
QString quotedArgument(const QString& argument);

} // namespace DesktopEntryExec

// Opens an address with the desktop's default application for it.
bool openWithDefaultApplication(const QUrl& url);
