#include "FileDialogApplicationPicker.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QLabel>
#include <QSortFilterProxyModel>
#include <QStandardPaths>

namespace {

class ApplicationFilter final : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!files)
            return true;
        const QFileInfo file = files->fileInfo(files->index(row, 0, parent));
        return file.isDir() || FileDialogApplicationPicker::offers(file);
    }
};

} // namespace

bool FileDialogApplicationPicker::offers(const QFileInfo& file)
{
    if (!file.isFile())
        return false;
    return file.suffix() == QStringLiteral("desktop") || file.isExecutable();
}

QString FileDialogApplicationPicker::desktopFolderFor(const QString& folder)
{
    if (folder != QStringLiteral("/Applications"))
        return folder;
    const QString systemEntries = QStringLiteral("/usr/share/applications");
    if (QFileInfo(systemEntries).isDir())
        return systemEntries;
    return QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
}

std::optional<QStringList> FileDialogApplicationPicker::pickApplications(const ApplicationPickerRequest& request)
{
    QFileDialog dialog(nullptr, request.title, desktopFolderFor(request.startDirectory));
    // Qt's own dialog: the desktop's native one would ignore the filter and the message.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setLabelText(QFileDialog::Accept, request.prompt);
    dialog.setProxyModel(new ApplicationFilter(&dialog));
    dialog.setWindowModality(Qt::ApplicationModal);

    auto* message = new QLabel(request.message, &dialog);
    message->setObjectName(QStringLiteral("pickerMessage"));
    message->setWordWrap(true);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
        grid->addWidget(message, grid->rowCount(), 0, 1, grid->columnCount());

    dialog.show();
    dialog.raise();
    dialog.activateWindow();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedFiles();
}
