#include "platform/desktop/FileDialogApplicationPicker.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

namespace {

QString makeFile(const QTemporaryDir& directory, const QString& name, bool executable)
{
    const QString path = directory.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("#!/bin/sh\n");
    file.close();
    if (executable)
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    return path;
}

// Runs answer on the dialog once it is up, from inside its modal loop.
void whenDialogShows(std::function<void(QFileDialog&)> answer)
{
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            ADD_FAILURE() << "no modal file dialog is up";
            return;
        }
        answer(*dialog);
    });
}

const ApplicationPickerRequest request{
    .title = QStringLiteral("Add a Personal App"),
    .message = QStringLiteral("Pick any app \u2014 it joins your personal row."),
    .prompt = QStringLiteral("Add"),
    .startDirectory = QStringLiteral("/Applications"),
};

TEST(FileDialogApplicationPicker, OffersDesktopEntriesAndExecutablesOnly)
{
    QTemporaryDir directory;
    EXPECT_TRUE(
        FileDialogApplicationPicker::offers(QFileInfo(makeFile(directory, QStringLiteral("mail.desktop"), false))));
    EXPECT_TRUE(
        FileDialogApplicationPicker::offers(QFileInfo(makeFile(directory, QStringLiteral("report-tool"), true))));
    EXPECT_FALSE(
        FileDialogApplicationPicker::offers(QFileInfo(makeFile(directory, QStringLiteral("notes.txt"), false))));
    EXPECT_FALSE(FileDialogApplicationPicker::offers(QFileInfo(directory.path())));
}

TEST(FileDialogApplicationPicker, ShowsTheRequestAndReturnsTheChosenApplicationsInOrder)
{
    QTemporaryDir directory;
    const QString mail = makeFile(directory, QStringLiteral("mail.desktop"), false);
    const QString tool = makeFile(directory, QStringLiteral("report-tool"), true);

    whenDialogShows([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), request.title);
        EXPECT_EQ(dialog.labelText(QFileDialog::Accept), QStringLiteral("Add"));
        EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFiles);
        EXPECT_EQ(dialog.directory().absolutePath(),
                  FileDialogApplicationPicker::desktopFolderFor(QStringLiteral("/Applications")));
        const auto* message = dialog.findChild<QLabel*>(QStringLiteral("pickerMessage"));
        ASSERT_NE(message, nullptr);
        EXPECT_EQ(message->text(), request.message);
        EXPECT_TRUE(message->isVisible());

        dialog.setDirectory(directory.path());
        dialog.selectFile(QStringLiteral("\"mail.desktop\" \"report-tool\""));
        static_cast<QDialog&>(dialog).accept();
    });
    FileDialogApplicationPicker picker;
    const std::optional<QStringList> chosen = picker.pickApplications(request);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, (QStringList{mail, tool}));
}

TEST(FileDialogApplicationPicker, ACancelledDialogChoosesNothing)
{
    whenDialogShows([](QFileDialog& dialog) { dialog.reject(); });
    FileDialogApplicationPicker picker;
    EXPECT_FALSE(picker.pickApplications(request).has_value());
}

TEST(FileDialogApplicationPicker, OpensInTheDesktopsApplicationFolder)
{
    EXPECT_EQ(FileDialogApplicationPicker::desktopFolderFor(QStringLiteral("/opt")), QStringLiteral("/opt"));
    const QString applications = FileDialogApplicationPicker::desktopFolderFor(QStringLiteral("/Applications"));
    EXPECT_TRUE(applications.endsWith(QStringLiteral("/applications"))) << applications.toStdString();
}

} // namespace
