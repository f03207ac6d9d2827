#pragma once

#include "model/ApplicationPicker.h"

#include <QFileInfo>

// Asks for applications in the desktop's file dialog: desktop entries and
// executable files, several at once, starting in the desktop's applications
// folder.
class FileDialogApplicationPicker final : public ApplicationPicker {
public:
    std::optional<QStringList> pickApplications(const ApplicationPickerRequest& request) override;

    // Whether the dialog offers file as a choice (folders stay visible to browse).
    static bool offers(const QFileInfo& file);
    // The desktop's own folder for an application folder of the catalogue
    // ("/Applications" is where the desktop keeps its application entries).
    static QString desktopFolderFor(const QString& folder);
};
