#include "platform/desktop/XdgApplications.h"

#include "model/LogCategories.h"
#include "platform/Workspace.h"
#include "platform/desktop/ChildProcesses.h"

#include <QApplication>
#include <QFileInfo>
#include <QStyle>
#include <QTimer>

namespace {

bool start(const ResolvedApplication& application, const QList<QUrl>& urls, const QStringList& arguments)
{
    if (application.entry)
        return application.entry->launch(urls, arguments);
    QStringList commandLine = arguments;
    for (const QUrl& url : urls)
        commandLine.append(url.isLocalFile() ? url.toLocalFile() : url.toString());
    return ChildProcesses::startDetached(application.executable, commandLine);
}

// A desktop entry, an application bundle's path or a program: what opening
// can only mean starting it.
bool namesApplication(const QString& path)
{
    const QFileInfo file(path);
    return path.endsWith(QLatin1String(".desktop")) || path.endsWith(QLatin1String(".app"))
        || (file.isFile() && file.isExecutable());
}

QIcon loadGenericApplicationIcon()
{
    QIcon icon = QIcon::fromTheme(QStringLiteral("application-x-executable"));
    if (icon.isNull()) {
        if (const auto* application = qobject_cast<QApplication*>(QCoreApplication::instance()))
            icon = application->style()->standardIcon(QStyle::SP_FileIcon);
    }
    return icon;
}

} // namespace

XdgApplications::XdgApplications(const ApplicationDirectory& directory, Workspace& workspace)
    : m_directory(directory), m_workspace(workspace)
{
}

bool XdgApplications::exists(const QString& applicationPath) const
{
    return m_directory.resolve(applicationPath).has_value() || QFileInfo::exists(applicationPath);
}

std::optional<QString> XdgApplications::bundleIdentifier(const QString& applicationPath) const
{
    const auto application = m_directory.resolve(applicationPath);
    if (!application || application->identifier.isEmpty())
        return std::nullopt;
    return application->identifier;
}

QIcon XdgApplications::icon(const QString& applicationPath) const
{
    const auto application = m_directory.resolve(applicationPath);
    if (application && application->entry) {
        const QIcon icon = application->entry->icon();
        if (!icon.isNull())
            return icon;
    }
    // Loaded once: every circle of a long personal row may need it.
    if (!m_genericIcon)
        m_genericIcon = loadGenericApplicationIcon();
    return *m_genericIcon;
}

QString XdgApplications::lookedFor(const QString& applicationPath) const
{
    return ApplicationDirectory::lookedFor(applicationPath);
}

void XdgApplications::openApplication(const QString& applicationPath, std::function<void(bool opened)> completion)
{
    const auto application = m_directory.resolve(applicationPath);
    const bool opened = application && bringUp(*application);
    // Told later, as a launch's outcome is: the caller may still be setting up.
    QTimer::singleShot(0, [completion = std::move(completion), opened] {
        if (completion)
            completion(opened);
    });
}

void XdgApplications::openURLs(const QList<QUrl>& urls, const QString& applicationPath)
{
    const auto application = m_directory.resolve(applicationPath);
    if (!application)
        return;
    if (const auto running = runningCopy(*application)) {
        m_workspace.unhide(*running);
        m_workspace.activateAllWindows(*running);
    }
    // A running application handed addresses through its entry passes them
    // on to its running copy itself.
    start(*application, urls, {});
}

void XdgApplications::openURL(const QUrl& url)
{
    // The other desktop's settings panes have no counterpart here.
    if (url.scheme() == QLatin1String("x-apple.systempreferences"))
        return;

    // An application's own file opens the application, as opening it from
    // the file manager would; one that cannot start opens nothing, never its
    // text in an editor.
    if (url.isLocalFile() && namesApplication(url.toLocalFile())) {
        const QString path = url.toLocalFile();
        if (const auto application = m_directory.resolve(path))
            bringUp(*application);
        else
            qCWarning(lcActions).noquote() << "no" << lookedFor(path) << "is installed";
        return;
    }
    openWithDefaultApplication(url);
}

bool XdgApplications::startNewInstance(const QString& applicationPath, const QStringList& arguments)
{
    const auto application = m_directory.resolve(applicationPath);
    return application && start(*application, {}, arguments);
}

bool XdgApplications::bringUp(const ResolvedApplication& application)
{
    const QString launch = application.identifier.isEmpty() ? application.executable : application.identifier;
    if (const auto running = runningCopy(application)) {
        m_launching.arrived(launch);
        m_workspace.unhide(*running);
        return m_workspace.activateAllWindows(*running);
    }
    const auto now = LaunchesInFlight::Clock::now();
    if (m_launching.inFlight(launch, now))
        return true;
    if (!start(application, {}, {}))
        return false;
    m_launching.started(launch, now);
    return true;
}

std::optional<qint32> XdgApplications::runningCopy(const ResolvedApplication& application) const
{
    if (!application.identifier.isEmpty()) {
        if (const auto running = m_workspace.firstWithBundleIdentifier(application.identifier))
            return running->processIdentifier;
        return std::nullopt;
    }
    // A plain executable is running when a process of the workspace runs that file.
    for (const RunningApplication& running : m_workspace.runningApplications()) {
        const QString executable =
            QFileInfo(QStringLiteral("/proc/%1/exe").arg(running.processIdentifier)).canonicalFilePath();
        if (executable == application.executable)
            return running.processIdentifier;
    }
    return std::nullopt;
}
