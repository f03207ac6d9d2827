#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The applications the catalogue names by their other-desktop paths and
// identifiers, with the desktop entries and window classes that stand for
// them here. Applications not in this table are found by name (see
// ApplicationDirectory).
struct KnownApplication {
    // The catalogue's application path; empty when the catalogue names the
    // application only by identifier.
    QString path;
    // What Applications::bundleIdentifier answers for it and what its running
    // windows are labelled with.
    QString identifier;
    // Desktop entry IDs (file names without ".desktop"), preferred first.
    QStringList desktopEntries;
    // WM_CLASS values (class or instance) of its windows, compared without case.
    QStringList windowClasses;
    // What it is, for log lines: "calendar application".
    QString kind;
};

namespace KnownApplications {

std::optional<KnownApplication> withPath(const QString& path);
std::optional<KnownApplication> withWindowClass(const QString& windowClass);
std::optional<KnownApplication> withDesktopEntry(const QString& desktopEntryId);

} // namespace KnownApplications
