#pragma once

#include <QString>

// One running copy per edition and user: an advisory lock on a file in the
// user's private runtime folder, held until the copy quits.
namespace SingletonLock {

QString lockFileName(const QString& editionRawValue);

struct Lock {
    // The descriptor that holds the lock; -1 when it is not held.
    int descriptor = -1;
    // Why the lock file could not be used; empty when another copy holds it.
    QString problem;

    bool isHeld() const { return descriptor >= 0; }
};

// Takes the lock on the file at path, making it when missing. A symbolic
// link there is never followed, a file that is not this user's own is
// refused, and one of ours that others could open is closed to them.
Lock acquire(const QString& path);
// Gives the lock up; the file stays for the next copy.
void release(Lock& lock);

} // namespace SingletonLock
