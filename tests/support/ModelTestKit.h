#pragma once

// A CompanionModel wired to test doubles: settings in a temporary file, a
// scheduler whose clock the test moves, and recorders for sounds, hooks and
// the application dialog.

#include "ManualScheduler.h"
#include "RecordingSystemSounds.h"
#include "model/ApplicationPicker.h"
#include "model/CompanionModel.h"
#include "model/CompanionSettings.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

class ScriptedApplicationPicker final : public ApplicationPicker {
public:
    std::optional<QStringList> pickApplications(const ApplicationPickerRequest& request) override
    {
        requests.push_back(request);
        return answer;
    }
    std::optional<QStringList> answer; // nothing: the user cancels
    std::vector<ApplicationPickerRequest> requests;
};

class ModelTestKit {
public:
    ModelTestKit() { useFreshSettingsFile(); }

    // Leaves the settings file as an earlier run or another program wrote it.
    // Each call starts a new file, so no settings object of this process has
    // a cached copy of it.
    void writeSettings(const QJsonObject& stored)
    {
        useFreshSettingsFile();
        QFile file(settingsPath);
        file.open(QIODevice::WriteOnly);
        file.write(QJsonDocument(stored).toJson());
    }

    // The settings file as it is on disk.
    QJsonObject storedSettings() const
    {
        QFile file(settingsPath);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(file.readAll()).object();
    }

    // A model as the next run would make it, reading the current settings file.
    std::unique_ptr<CompanionModel> makeModel()
    {
        m_settings.push_back(CompanionSettings::open(settingsPath));
        return std::make_unique<CompanionModel>(CompanionModel::Environment{
            .settings = *m_settings.back(),
            .scheduler = scheduler,
            .systemSounds = systemSounds,
            .applicationPicker = picker,
            .playChime = [this] { ++chimes; },
        });
    }

    QTemporaryDir directory;
    QString settingsPath;
    ManualScheduler scheduler;
    RecordingSystemSounds systemSounds;
    ScriptedApplicationPicker picker;
    int chimes = 0;

private:
    void useFreshSettingsFile()
    {
        settingsPath = directory.filePath(QStringLiteral("settings-%1.json").arg(++m_files));
    }

    int m_files = 0;
    std::vector<std::unique_ptr<QSettings>> m_settings;
};
