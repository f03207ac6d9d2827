#pragma once

#include <QFile>

#include <sched.h>
#include <sys/mount.h>

// A tmpfs of `bytes` over folder, in a mount namespace of the calling
// thread's own: the programs it starts see it, nothing else does. Needs root.
struct SmallFileSystem {
    SmallFileSystem(const QString& folder, qint64 bytes) : path(QFile::encodeName(folder))
    {
        const QByteArray size = "size=" + QByteArray::number(bytes);
        mounted = ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
            && ::mount("tmpfs", path.constData(), "tmpfs", 0, size.constData()) == 0;
    }
    ~SmallFileSystem() { ::umount2(path.constData(), MNT_DETACH); } // fails harmlessly when nothing was mounted
    void makeReadOnly() const { ::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr); }

    const QByteArray path;
    bool mounted;
};
