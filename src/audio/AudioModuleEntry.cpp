// The entry point through which the program finds what the audio module
// offers, once it has loaded it.
#include "audio/AudioSinkChimeOutput.h"
#include "audio/SoundEffectFilePlayer.h"

#include <QtGlobal>

extern "C" Q_DECL_EXPORT const AudioModule* lumivoAudioModule()
{
    static const AudioModule module{
        []() -> std::unique_ptr<ChimeOutput> { return std::make_unique<AudioSinkChimeOutput>(); },
        []() -> std::unique_ptr<SoundFilePlayer> { return std::make_unique<SoundEffectFilePlayer>(); },
    };
    return &module;
}
