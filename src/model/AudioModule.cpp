#include "AudioModule.h"

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
    return entry ? entry() : nullptr;
}

} // namespace

const AudioModule* AudioModule::load()
{
    static const AudioModule* const module = [] {
        const QString beside = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
        const AudioModule* found = beside.isEmpty() ? nullptr : loadFrom(beside);
        return found ? found : loadFrom(QStringLiteral(LUMIVO_AUDIO_MODULE_DIR));
    }();
    return module;
}
