#pragma once

#include <QString>
#include <QStringList>

class WebEngineModule;

// Finds and loads the web engine module the first time a web window opens.
namespace WebEngineLoader {

inline const QString moduleFileName = QStringLiteral("lumivo-web-engine.so");

// Where the module sits beside the running program: in its folder (the
// build tree), then in the program's library folder (installed).
QStringList programFolders();

// The module from the first folder holding one that loads, loaded once per
// process; none when no folder has it.
WebEngineModule* load(const QStringList& folders);

} // namespace WebEngineLoader
