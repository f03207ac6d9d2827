#include "ModuleFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace ModuleFolder {

QString installed(const QString& programFolder)
{
    return QDir::cleanPath(programFolder + QLatin1Char('/') + QStringLiteral(LUMIVO_MODULES_FROM_PROGRAMS));
}

QString of(const QString& programFolder)
{
    const QString installedFolder = installed(programFolder);
    return QFileInfo(installedFolder).isDir() ? installedFolder : programFolder;
}

QString ofThisProgram() { return of(QCoreApplication::applicationDirPath()); }

} // namespace ModuleFolder
