#pragma once

#include <QIcon>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

// What the opened menu asks of the desktop about installed applications:
// whether one is at an application path, its icon, and opening it. The
// program fills these from its platform layer; the views never see it.
struct MenuApplications {
    // Whether an application is installed at the path (or a file is there).
    std::function<bool(const QString& path)> exists = [](const QString&) { return false; };
    // The icon of what is at the path; a generic one when nothing is.
    std::function<QIcon(const QString& path)> icon = [](const QString&) { return QIcon(); };
    // Launches or activates the application; completion later tells whether that worked.
    std::function<void(const QString& path, std::function<void(bool opened)> completion)> openApplication =
        [](const QString&, std::function<void(bool)> completion) { completion(false); };
    // Opens the address with the desktop's default handler.
    std::function<void(const QUrl& url)> openURL = [](const QUrl&) {};

    // The installed application's own icon, only when one is at the path.
    std::optional<QIcon> originalAppIcon(const QString& path) const;
};
