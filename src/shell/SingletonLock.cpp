#include "shell/SingletonLock.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SingletonLock {
namespace {

Lock refused(const QString& path, const QString& reason)
{
    return {-1, QStringLiteral("cannot use the lock file %1: %2").arg(path, reason)};
}

} // namespace

QString lockFileName(const QString& editionRawValue)
{
    return QStringLiteral("com.lumivo-intelligence.companion.") + editionRawValue + QStringLiteral(".lock");
}

Lock acquire(const QString& path)
{
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        const int error = errno;
        return refused(path,
                       error == ELOOP ? QStringLiteral("it is a symbolic link")
                                      : QString::fromLocal8Bit(std::strerror(error)));
    }
    struct stat status { };
    QString problem;
    if (::fstat(descriptor, &status) != 0)
        problem = QString::fromLocal8Bit(std::strerror(errno));
    else if (!S_ISREG(status.st_mode))
        problem = QStringLiteral("it is not a plain file");
    else if (status.st_uid != ::geteuid())
        problem = QStringLiteral("it belongs to another user");
    // Our own file that others could open (and so lock) is closed to them.
    else if ((status.st_mode & (S_IRWXG | S_IRWXO)) != 0 && ::fchmod(descriptor, S_IRUSR | S_IWUSR) != 0)
        problem = QString::fromLocal8Bit(std::strerror(errno));
    if (!problem.isEmpty()) {
        ::close(descriptor);
        return refused(path, problem);
    }
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(descriptor);
        if (error == EWOULDBLOCK)
            return {};
        return refused(path, QString::fromLocal8Bit(std::strerror(error)));
    }
    return {descriptor, {}};
}

void release(Lock& lock)
{
    if (lock.descriptor >= 0)
        ::close(lock.descriptor);
    lock.descriptor = -1;
}

} // namespace SingletonLock
