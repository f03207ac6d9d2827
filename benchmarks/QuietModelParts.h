#pragma once

#include "model/ApplicationPicker.h"
#include "model/SystemSoundPlayer.h"

// What a benchmark's model needs and never uses: a picker nobody answers
// and sounds nobody hears.
class NoApplicationPicker final : public ApplicationPicker {
public:
    std::optional<QStringList> pickApplications(const ApplicationPickerRequest&) override { return std::nullopt; }
};

class SilentSounds final : public SystemSoundPlayer {
public:
    void play(const QString&) override { }
};
