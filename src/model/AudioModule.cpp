#include "AudioModule.h"

#include "LogCategories.h"

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
        // Beside the program in the build tree, in the private module folder once installed.
        const QString programs = QCoreApplication::applicationDirPath();
        const AudioModule* found = loadFrom(programs);
        if (!found)
            found = loadFrom(QDir::cleanPath(programs + QLatin1Char('/') + QStringLiteral(LUMIVO_AUDIO_FROM_PROGRAMS)));
        if (!found)
            qCWarning(lcAudio) << "no audio module loads: the chime and the sounds stay silent";
        return found;
    }();
    return module;
}
