#pragma once

#include <QString>

#include <optional>

#include <sys/types.h>

// The folder of the lock and the hand-off socket: one that only the user can
// enter, so no other user can hold the lock, take the socket or plant a link
// where either is opened.
namespace RuntimeFolder {

// Why path is no such folder for the user owner; nothing when it is a
// directory itself (not a symbolic link), owned by owner and closed to
// everybody else.
std::optional<QString> problemWith(const QString& path, uid_t owner);

struct Choice {
    QString path;    // empty when no private folder was found
    QString problem; // why, when path is empty
};

// The XDG runtime folder when it is private, else the folder "runtime" of
// our own under cacheFolder/lumivo-companion, made 0700 when missing.
Choice choose(const QString& xdgRuntimeFolder, const QString& cacheFolder, uid_t owner);
// The same for this process, from its environment.
Choice choose();

} // namespace RuntimeFolder
