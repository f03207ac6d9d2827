#include "platform/desktop/RuntimeFolder.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace RuntimeFolder {

std::optional<QString> problemWith(const QString& path, uid_t owner)
{
    struct stat status { };
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    if (!S_ISDIR(status.st_mode))
        return QStringLiteral("%1 is not a folder").arg(path);
    if (status.st_uid != owner)
        return QStringLiteral("%1 belongs to another user").arg(path);
    if ((status.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        return QStringLiteral("%1 is open to other users").arg(path);
    return std::nullopt;
}

Choice choose(const QString& xdgRuntimeFolder, const QString& cacheFolder, uid_t owner)
{
    QStringList problems;
    if (!xdgRuntimeFolder.isEmpty()) {
        const std::optional<QString> problem = problemWith(xdgRuntimeFolder, owner);
        if (!problem)
            return {xdgRuntimeFolder, {}};
        problems.append(*problem);
    }
    if (cacheFolder.isEmpty()) {
        problems.append(QStringLiteral("no cache folder is known"));
    } else {
        const QString ours = QDir(cacheFolder).filePath(QStringLiteral("lumivo-companion"));
        const QString runtime = QDir(ours).filePath(QStringLiteral("runtime"));
        QDir().mkpath(ours);
        // Made closed from the start; an existing folder is checked, not changed.
        ::mkdir(QFile::encodeName(runtime).constData(), 0700);
        const std::optional<QString> problem = problemWith(runtime, owner);
        if (!problem)
            return {runtime, {}};
        problems.append(*problem);
    }
    return {{}, problems.join(QStringLiteral("; "))};
}

Choice choose()
{
    return choose(qEnvironmentVariable("XDG_RUNTIME_DIR"),
                  QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation), ::geteuid());
}

} // namespace RuntimeFolder
