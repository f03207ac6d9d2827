#pragma once

#include "platform/Applications.h"

#include <QHash>
#include <QSet>
#include <QStringList>

#include <utility>

// Scripted installed applications. Launches are remembered and their
// completions held until the test delivers them.
class FakeApplications final : public Applications {
public:
    struct Installed {
        QString identifier;
        QIcon icon;
    };
    struct URLsOpening {
        QList<QUrl> urls;
        QString applicationPath;
        bool operator==(const URLsOpening&) const = default;
    };
    struct NewInstance {
        QString applicationPath;
        QStringList arguments;
        bool operator==(const NewInstance&) const = default;
    };

    // By application path.
    QHash<QString, Installed> installed;
    // Paths that exist without being applications.
    QSet<QString> otherFiles;
    // Paths whose launch completes with false even though they are installed.
    QSet<QString> failingLaunches;
    QIcon genericIcon;

    QStringList openedApplications;
    QList<URLsOpening> openedURLsWithApplication;
    QList<QUrl> openedURLs;
    QList<NewInstance> newInstances;

    bool exists(const QString& applicationPath) const override
    {
        return installed.contains(applicationPath) || otherFiles.contains(applicationPath);
    }

    std::optional<QString> bundleIdentifier(const QString& applicationPath) const override
    {
        const auto found = installed.constFind(applicationPath);
        if (found == installed.constEnd() || found->identifier.isEmpty())
            return std::nullopt;
        return found->identifier;
    }

    QIcon icon(const QString& applicationPath) const override
    {
        return installed.value(applicationPath, {QString(), genericIcon}).icon;
    }

    void openApplication(const QString& applicationPath, std::function<void(bool opened)> completion) override
    {
        openedApplications.append(applicationPath);
        const bool opened = installed.contains(applicationPath) && !failingLaunches.contains(applicationPath);
        m_pending.append([completion = std::move(completion), opened] {
            if (completion)
                completion(opened);
        });
    }

    void openURLs(const QList<QUrl>& urls, const QString& applicationPath) override
    {
        openedURLsWithApplication.append({urls, applicationPath});
    }

    void openURL(const QUrl& url) override { openedURLs.append(url); }

    QString lookedFor(const QString& applicationPath) const override { return applicationPath; }

    bool startNewInstance(const QString& applicationPath, const QStringList& arguments) override
    {
        newInstances.append({applicationPath, arguments});
        return installed.contains(applicationPath) && !failingLaunches.contains(applicationPath);
    }

    // Runs the completions of the launches so far, in order.
    void finishLaunches()
    {
        for (const auto& complete : std::exchange(m_pending, {}))
            complete();
    }

private:
    QList<std::function<void()>> m_pending;
};
