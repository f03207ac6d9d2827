#pragma once

#include <QString>

// One running copy per edition and user: an advisory lock on a file in the
// user's own runtime folder, held until the process ends.
namespace SingletonLock {

QString lockFileName(const QString& editionRawValue);
// The folder of the user's short-lived files: the XDG runtime folder, which
// no other user can enter, else the temporary folder.
QString lockFolder();

// Takes the lock; the descriptor that holds it, or -1 when another process
// holds it or the file cannot be opened. The descriptor is never closed.
int acquire(const QString& path);

} // namespace SingletonLock
