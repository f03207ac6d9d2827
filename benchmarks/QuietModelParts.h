#pragma once

#include "model/ApplicationPicker.h"
#include "model/CompanionModel.h"
#include "model/CompanionSettings.h"
#include "model/Scheduler.h"
#include "model/SystemSoundPlayer.h"

#include <QTemporaryDir>

#include <memory>

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

// A model for a benchmark's views, its settings in a folder of its own, its
// sounds those given (else none heard).
class QuietModel {
public:
    explicit QuietModel(SystemSoundPlayer* sounds = nullptr)
        : m_settings(CompanionSettings::open(m_folder.filePath(QStringLiteral("settings.json")))),
          m_model({
              .settings = *m_settings,
              .scheduler = Scheduler::main(),
              .systemSounds = sounds ? *sounds : m_silence,
              .applicationPicker = m_picker,
              .playChime = [] {},
          })
    {
    }

    CompanionModel& model() { return m_model; }

private:
    QTemporaryDir m_folder;
    std::unique_ptr<QSettings> m_settings;
    SilentSounds m_silence;
    NoApplicationPicker m_picker;
    CompanionModel m_model;
};
