#pragma once

// The built companion started on the private desktop, and what the window
// manager shows of it.

#include "DesktopTestKit.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRect>
#include <QTemporaryDir>

#include <csignal>
#include <memory>
#include <optional>

struct ShownWindow {
    quint64 id = 0;
    QString name;
    QRect geometry; // X coordinates: top left, y down
};

// One user's session: a runtime folder for locks and sockets and a config
// folder for settings, shared by every copy started in it.
class CompanionSession {
public:
    CompanionSession() { QDir().mkpath(configFolder()); }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        if (!m_dataFolder.isEmpty()) {
            environment.insert(QStringLiteral("XDG_DATA_HOME"), m_dataFolder);
            environment.insert(QStringLiteral("XDG_DATA_DIRS"), m_dataFolder);
        }
        environment.insert(m_variables);
        return environment;
    }
    // The copies find their applications in dataFolder's "applications"
    // folder instead of the system's.
    void useDataFolder(const QString& dataFolder) { m_dataFolder = dataFolder; }
    // A variable every copy started in the session also gets.
    void setVariable(const QString& name, const QString& value) { m_variables.insert(name, value); }
    QString runtimeFolder() const { return m_runtime.path(); }
    QString configFolder() const { return m_config.filePath(QStringLiteral("lumivo-companion")); }
    QString settingsPath() const { return QDir(configFolder()).filePath(QStringLiteral("settings.json")); }

    QJsonObject settings() const
    {
        QFile file(settingsPath());
        return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object() : QJsonObject();
    }
    void writeSettings(const QJsonObject& settings) const
    {
        QFile file(settingsPath());
        file.open(QIODevice::WriteOnly);
        file.write(QJsonDocument(settings).toJson());
    }

private:
    QTemporaryDir m_runtime;
    QTemporaryDir m_config;
    QString m_dataFolder;
    QProcessEnvironment m_variables;
};

// A program of the build by its name, or an installed one by its full path.
inline QString programPath(const QString& name)
{
    return QDir::isAbsolutePath(name) ? name : QStringLiteral(LUMIVO_BINARY_DIR "/src/") + name;
}

// Starts another copy in the session, as the desktop does to hand over a
// link; its exit code, or -1 when it did not leave within five seconds.
inline int startAnotherCopy(const CompanionSession& session, const QStringList& arguments,
                            const QString& program = QStringLiteral("lumivo-companion"))
{
    QProcess copy;
    copy.setProcessEnvironment(session.environment());
    copy.start(programPath(program), arguments);
    if (!copy.waitForFinished(5000)) {
        copy.kill();
        copy.waitForFinished();
        return -1;
    }
    return copy.exitStatus() == QProcess::NormalExit ? copy.exitCode() : -1;
}

// Hands the session's running copy a link it ignores and waits for its
// confirmation: by then it has dealt with what reached it before (input,
// links) and has gone back to its event loop, its windows' requests sent.
inline bool runningCopyCaughtUp(const CompanionSession& session,
                                const QString& program = QStringLiteral("lumivo-companion"))
{
    return startAnotherCopy(session, {QStringLiteral("lumivo://caught-up")}, program) == 0;
}

// The local server's port, as the program asks for it.
constexpr quint16 localServerPort = 4173;

// A stand-in for the local server (a TestServer or a FixtureServer) on its
// port. Tests on this machine take turns at the port, and the longest holds
// it for a minute and a half: this waits for it up to four minutes, and
// gives a stand-in that does not listen when the port stays taken.
template <class Server>
std::unique_ptr<Server> localServerStandIn()
{
    std::unique_ptr<Server> server;
    waitUntil(
        [&] {
            server = std::make_unique<Server>(localServerPort);
            return server->isListening();
        },
        240000);
    return server;
}

class RunningCompanion {
public:
    explicit RunningCompanion(const CompanionSession& session,
                              const QString& program = QStringLiteral("lumivo-companion"),
                              const QStringList& arguments = {})
    {
        m_process.setProcessEnvironment(session.environment());
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(programPath(program), arguments);
        m_process.waitForStarted(10000);
    }
    ~RunningCompanion()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    qint64 pid() const { return m_process.processId(); }
    QString describeState() const
    {
        return QStringLiteral("state %1 status %2 code %3 error %4")
            .arg(m_process.state())
            .arg(m_process.exitStatus())
            .arg(m_process.exitCode())
            .arg(m_process.errorString());
    }
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    // Once it has ended: its exit code, or -1 when it crashed.
    int exitCode() const { return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1; }

    // Ends it as a logout does; the exit code, or -1 when it crashed or hung.
    int terminate()
    {
        ::kill(static_cast<pid_t>(pid()), SIGTERM);
        if (!m_process.waitForFinished(10000) || m_process.exitStatus() != QProcess::NormalExit)
            return -1;
        return m_process.exitCode();
    }

    // Its mapped windows. (xdotool's own --pid filter lets windows of other
    // processes through, so the owner is read from each window's _NET_WM_PID.)
    QStringList shownWindowIds() const
    {
        const QStringList ids = runTool(QStringLiteral("xdotool"),
                                        {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                         QStringLiteral("--classname"), QStringLiteral("lumivo-companion")})
                                    .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const QString owner = QStringLiteral("_NET_WM_PID(CARDINAL) = %1").arg(pid());
        QStringList own;
        for (const QString& id : ids) {
            if (runTool(QStringLiteral("xprop"), {QStringLiteral("-id"), id, QStringLiteral("_NET_WM_PID")}).trimmed()
                == owner)
                own.append(id);
        }
        return own;
    }

    // Its mapped window whose name starts with prefix.
    std::optional<ShownWindow> shownWindow(const QString& prefix) const
    {
        for (const QString& id : shownWindowIds()) {
            const QString name = runTool(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), id}).trimmed();
            if (name.startsWith(prefix))
                return ShownWindow{id.toULongLong(), name, geometryOf(id)};
        }
        return std::nullopt;
    }
    // The tooltip it shows, if any.
    std::optional<ShownWindow> tooltip() const
    {
        for (const QString& id : shownWindowIds()) {
            if (runTool(QStringLiteral("xprop"), {QStringLiteral("-id"), id, QStringLiteral("_NET_WM_WINDOW_TYPE")})
                    .contains(QStringLiteral("_NET_WM_WINDOW_TYPE_TOOLTIP")))
                return ShownWindow{id.toULongLong(), QString(), geometryOf(id)};
        }
        return std::nullopt;
    }
    std::optional<ShownWindow> panel() const { return shownWindow(QStringLiteral("Vora \u2014")); }
    std::optional<ShownWindow> alertPanel() const { return shownWindow(QStringLiteral("Vora alert")); }

    // Waits until the floating panel is on screen.
    std::optional<ShownWindow> waitForPanel() const
    {
        std::optional<ShownWindow> found;
        waitUntil([&] { return (found = panel()).has_value(); }, 10000);
        return found;
    }
    // Waits until the floating panel is on screen with the mascot drawn in it.
    std::optional<ShownWindow> waitForMascot() const
    {
        const std::optional<ShownWindow> found = waitForPanel();
        if (!found || !waitUntil([&] { return drawnPixels(grabDesktop(found->geometry)) > 2000; }, 10000))
            return std::nullopt;
        return found;
    }

    static QRect geometryOf(quint64 id) { return geometryOf(QString::number(id)); }

private:
    static QRect geometryOf(const QString& id)
    {
        QRect geometry;
        const QStringList lines =
            runTool(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), id})
                .split(QLatin1Char('\n'));
        for (const QString& line : lines) {
            const QString value = line.section(QLatin1Char('='), 1);
            if (line.startsWith(QStringLiteral("X=")))
                geometry.moveLeft(value.toInt());
            else if (line.startsWith(QStringLiteral("Y=")))
                geometry.moveTop(value.toInt());
            else if (line.startsWith(QStringLiteral("WIDTH=")))
                geometry.setWidth(value.toInt());
            else if (line.startsWith(QStringLiteral("HEIGHT=")))
                geometry.setHeight(value.toInt());
        }
        return geometry;
    }

    QProcess m_process;
};
