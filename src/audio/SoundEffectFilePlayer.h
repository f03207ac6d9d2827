#pragma once

#include "model/AudioModule.h"

#include <map>
#include <memory>

class QSoundEffect;

// Plays sound files through Qt Multimedia's sound effects: one effect per
// file, kept alive so a sound is not cut off when the call that started it
// returns, and reused on the next call.
class SoundEffectFilePlayer final : public SoundFilePlayer {
public:
    SoundEffectFilePlayer();
    ~SoundEffectFilePlayer() override;

    void play(const QString& path) override;

private:
    std::map<QString, std::unique_ptr<QSoundEffect>> m_effects;
};
