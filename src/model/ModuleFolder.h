#pragma once

#include <QString>

// The one folder where the program's private modules (the audio stack, the
// web engine) are looked for.
namespace ModuleFolder {

// Where they are installed, found from the folder of the installed programs:
// <libdir>/lumivo-companion.
QString installed(const QString& programFolder);
// The installed folder when it is there; else the program's own folder, as
// in the build tree, where the modules are built beside the programs.
QString of(const QString& programFolder);
// The folder of the running program's modules.
QString ofThisProgram();

} // namespace ModuleFolder
