// The desktop tests run on a private X11 server with a window manager.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QProcess>

TEST(DesktopHarness, RunsOnAnX11DisplayManagedByAWindowManager)
{
    EXPECT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
    ASSERT_TRUE(xprop.waitForFinished(5000));
    EXPECT_TRUE(xprop.readAllStandardOutput().contains("window id"));
}
