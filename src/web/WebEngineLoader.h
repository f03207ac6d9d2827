#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class WebEngineModule;

// Finds and loads the web engine module the first time a web window opens.
namespace WebEngineLoader {

inline const QString moduleFileName = QStringLiteral("lumivo-web-engine.so");

// Where the running program's module sits: its private module folder.
QStringList moduleFolders();

// Whether the engine can start for this user. As root, Chromium's sandbox
// refuses to start and takes the whole process down with it, unless the
// sandbox was turned off on purpose.
bool engineCanStart(bool runningAsRoot, const QByteArray& disableSandbox, const QByteArray& chromiumFlags);

// The module from the first folder holding one that loads, loaded once per
// process; none when no folder has it or the engine cannot start.
WebEngineModule* load(const QStringList& folders);

} // namespace WebEngineLoader
