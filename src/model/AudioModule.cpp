#include "AudioModule.h"

#include "LogCategories.h"
#include "ModuleFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace {

const AudioModule* loadFrom(const QString& folder)
{
    // Never unloaded: the audio backend must not be torn down under a
    // playing sound, nor after the application object at exit.
    QLibrary library(QDir(folder).filePath(QStringLiteral("lumivo-audio")));
    library.setLoadHints(QLibrary::PreventUnloadHint);
    using Entry = const AudioModule* (*)();
    const auto entry = reinterpret_cast<Entry>(library.resolve(AudioModule::entryPoint));
    if (!entry)
        qCDebug(lcAudio).noquote() << library.errorString();
    return entry ? entry() : nullptr;
}

} // namespace

const AudioModule* AudioModule::load()
{
    static const AudioModule* const module = []() -> const AudioModule* {
        if (!QCoreApplication::instance())
            return nullptr;
        const QString folder = ModuleFolder::ofThisProgram();
        const AudioModule* found = loadFrom(folder);
        if (!found) {
            qCWarning(lcAudio).noquote()
                << QStringLiteral("no audio module loads from %1: the chime and the sounds stay silent").arg(folder);
        }
        return found;
    }();
    return module;
}
