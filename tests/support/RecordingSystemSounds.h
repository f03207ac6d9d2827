#pragma once

#include "model/SystemSoundPlayer.h"

#include <QStringList>

// Remembers the names of the desktop sounds it was asked to play.
class RecordingSystemSounds final : public SystemSoundPlayer {
public:
    void play(const QString& name) override { played.append(name); }
    QStringList played;
};
