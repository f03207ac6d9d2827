#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What the dialog that asks the user for applications shows.
struct ApplicationPickerRequest {
    QString title;
    QString message;
    QString prompt;         // the confirming button
    QString startDirectory; // where the dialog opens
};

// Asks the user, in a modal dialog in front of every other window, to choose
// one or more applications (files only, applications only).
class ApplicationPicker {
public:
    virtual ~ApplicationPicker() = default;

    // The chosen paths in the dialog's order, or nothing when the user cancelled.
    virtual std::optional<QStringList> pickApplications(const ApplicationPickerRequest& request) = 0;
};
