#pragma once

#include <QString>

#include <memory>

class ChimeOutput;

// Plays sound files, fire and forget; silence when one cannot be played.
class SoundFilePlayer {
public:
    virtual ~SoundFilePlayer() = default;
    virtual void play(const QString& path) = 0;
};

// What the audio module offers. The audio stack (Qt Multimedia and the sound
// server's libraries) lives in a module of its own, loaded at the first
// sound rather than at start-up, so a companion that makes no sound never
// maps it.
struct AudioModule {
    std::unique_ptr<ChimeOutput> (*makeChimeOutput)();
    std::unique_ptr<SoundFilePlayer> (*makeSoundFilePlayer)();

    // The module in the private module folder (see ModuleFolder), loaded on
    // the first call; null when it cannot be found or loaded.
    static const AudioModule* load();
    // The name of the module's entry point.
    static constexpr const char* entryPoint = "lumivoAudioModule";
};
