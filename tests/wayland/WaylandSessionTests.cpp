// The built companion inside a Wayland session (Weston, headless, with
// XWayland), started the way KDE Plasma's Wayland session starts Qt programs.
#include "desktop/DesktopTestKit.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <iostream>

namespace {

const QString program = QStringLiteral(LUMIVO_BINARY_DIR "/src/lumivo-companion");

class WaylandSession : public ::testing::Test {
protected:
    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // As KDE Plasma's Wayland session starts Qt programs.
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland;xcb"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
        return environment;
    }

    int handOver(const QProcessEnvironment& environment, const QString& link) const
    {
        QProcess copy;
        copy.setProcessEnvironment(environment);
        copy.start(program, {link});
        return copy.waitForFinished(15000) && copy.exitStatus() == QProcess::NormalExit ? copy.exitCode() : -1;
    }

    static int terminate(QProcess& companion)
    {
        // A copy that already left has no pid; kill(0) would end the whole test run.
        if (const pid_t pid = pid_t(companion.processId()); pid > 0)
            ::kill(pid, SIGTERM);
        return companion.waitForFinished(10000) && companion.exitStatus() == QProcess::NormalExit ? companion.exitCode()
                                                                                                  : -1;
    }

    // The mapped X11 window of pid whose name starts with prefix, if any.
    static QString x11Window(qint64 pid, const QString& prefix)
    {
        const QStringList ids = runTool(QStringLiteral("xdotool"),
                                        {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                         QStringLiteral("--classname"), QStringLiteral("lumivo-companion")})
                                    .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString& id : ids) {
            const QString owner =
                runTool(QStringLiteral("xprop"), {QStringLiteral("-id"), id, QStringLiteral("_NET_WM_PID")});
            const QString name = runTool(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), id});
            if (owner.trimmed() == QStringLiteral("_NET_WM_PID(CARDINAL) = %1").arg(pid) && name.startsWith(prefix))
                return id;
        }
        return {};
    }

    static QString describe(const QString& window)
    {
        return runTool(QStringLiteral("xdotool"),
                       {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window})
            .simplified();
    }

    QTemporaryDir m_runtime;
    QTemporaryDir m_config;
};

TEST_F(WaylandSession, RunsOnX11ThroughXWaylandEvenWhereTheSessionAsksForWayland)
{
    ASSERT_FALSE(qgetenv("WAYLAND_DISPLAY").isEmpty());
    ASSERT_FALSE(qgetenv("DISPLAY").isEmpty());
    QProcess companion;
    companion.setProcessEnvironment(environment());
    companion.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    companion.start(program, {});

    // Its panel is an X11 window of its own size in the corner of the
    // 1600 x 1000 output: 24 points in from the right, 10 up from the bottom.
    QString panel;
    ASSERT_TRUE(waitUntil(
        [&] { return !(panel = x11Window(companion.processId(), QStringLiteral("Vora \u2014"))).isEmpty(); }, 15000))
        << "no X11 panel: the companion did not run on X11";
    EXPECT_TRUE(describe(panel).contains(QStringLiteral("X=1246 Y=800 WIDTH=330 HEIGHT=190")))
        << describe(panel).toStdString();
    // Where the compositor put it and what it made of it, for the record.
    std::cout << "panel as placed by the compositor: " << describe(panel).toStdString() << "; "
              << runTool(
                     QStringLiteral("xprop"),
                     {QStringLiteral("-id"), panel, QStringLiteral("_NET_WM_STATE"), QStringLiteral("_NET_WM_DESKTOP")})
                     .simplified()
                     .toStdString()
              << std::endl;

    EXPECT_EQ(handOver(environment(), QStringLiteral("lumivo://notify?type=call&detail=Front%20desk")), 0);
    QString alert;
    EXPECT_TRUE(waitUntil(
        [&] { return !(alert = x11Window(companion.processId(), QStringLiteral("Vora alert"))).isEmpty(); }, 10000))
        << "the handed-over link raised no alert panel";
    std::cout << "alert panel as placed by the compositor: " << describe(alert).toStdString() << std::endl;

    EXPECT_EQ(terminate(companion), 0);
}

TEST_F(WaylandSession, WithoutXWaylandItRunsAsAWaylandClient)
{
    QProcessEnvironment wayland = environment();
    wayland.remove(QStringLiteral("DISPLAY"));
    QProcess companion;
    companion.setProcessEnvironment(wayland);
    companion.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    companion.start(program, {});
    ASSERT_TRUE(companion.waitForStarted(10000));
    // Hand over only once it listens: a copy started sooner could take the lock first.
    ASSERT_TRUE(waitUntil(
        [&] { return !QDir(m_runtime.path()).entryList({QStringLiteral("*.socket")}, QDir::System).isEmpty(); },
        15000));

    // Links still reach it, and no window of it appears on the X11 side.
    EXPECT_EQ(handOver(wayland, QStringLiteral("lumivo://notify?type=email&detail=Invoice")), 0);
    // The copy put its alert panel up as it took the link; a second hand-over
    // is confirmed only after it went back to its event loop with it.
    EXPECT_EQ(handOver(wayland, QStringLiteral("lumivo://notify?type=call&detail=Front%20desk")), 0);
    EXPECT_EQ(companion.state(), QProcess::Running);
    EXPECT_TRUE(x11Window(companion.processId(), QStringLiteral("Vora")).isEmpty());
    EXPECT_EQ(terminate(companion), 0);
}

} // namespace
