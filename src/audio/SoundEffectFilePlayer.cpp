#include "audio/SoundEffectFilePlayer.h"

#include <QSoundEffect>
#include <QUrl>

SoundEffectFilePlayer::SoundEffectFilePlayer() = default;

SoundEffectFilePlayer::~SoundEffectFilePlayer() = default;

void SoundEffectFilePlayer::play(const QString& path)
{
    std::unique_ptr<QSoundEffect>& effect = m_effects[path];
    if (!effect) {
        effect = std::make_unique<QSoundEffect>();
        effect->setSource(QUrl::fromLocalFile(path));
    }
    effect->play();
}
