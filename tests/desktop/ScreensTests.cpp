// Monitors as the companion sees them: bottom-left points, visible frames,
// one display number per monitor.
#include "DesktopTestKit.h"

#include "platform/x11/X11Screens.h"
#include "platform/x11/XcbConnection.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>

namespace {

void setWorkArea(int x, int y, int width, int height)
{
    const QString area = QStringLiteral("%1, %2, %3, %4").arg(x).arg(y).arg(width).arg(height);
    runTool(QStringLiteral("xprop"),
            {QStringLiteral("-root"), QStringLiteral("-f"), QStringLiteral("_NET_WORKAREA"), QStringLiteral("32c"),
             QStringLiteral("-set"), QStringLiteral("_NET_WORKAREA"),
             area + QStringLiteral(", ") + area + QStringLiteral(", ") + area + QStringLiteral(", ") + area});
}

TEST(X11Screens, OneMonitorFillsTheDesktop)
{
    std::unique_ptr<XcbConnection> connection = XcbConnection::open();
    X11Screens screens(connection.get());
    ASSERT_EQ(screens.screens().size(), 1);
    const DesktopScreen only = screens.screens().first();
    EXPECT_EQ(only.frame, QRectF(0, 0, 3200, 1200));
    EXPECT_EQ(only.visibleFrame, QRectF(0, 0, 3200, 1200));
    EXPECT_TRUE(only.displayNumber.has_value());
    EXPECT_EQ(screens.mainScreen(), only);
}

TEST(X11Screens, TwoMonitorsGiveTwoScreensWithTheirOwnFramesAndNumbers)
{
    std::unique_ptr<XcbConnection> connection = XcbConnection::open();
    X11Screens screens(connection.get());
    QSignalSpy changes(&screens, &Screens::parametersChanged);
    splitIntoTwoMonitors();
    // Qt takes a new monitor in, then its place.
    const auto sideBySide = [&] {
        QList<DesktopScreen> sorted = screens.screens();
        std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.frame.x() < b.frame.x(); });
        return sorted;
    };
    ASSERT_TRUE(waitUntil([&] {
        const QList<DesktopScreen> both = sideBySide();
        return both.size() == 2 && both[1].frame.x() == 1600 && changes.count() >= 1;
    })) << "Qt never saw the second monitor";

    QList<DesktopScreen> both = sideBySide();
    EXPECT_EQ(both[0].frame, QRectF(0, 0, 1600, 1200));
    EXPECT_EQ(both[1].frame, QRectF(1600, 0, 1600, 1200));
    ASSERT_TRUE(both[0].displayNumber && both[1].displayNumber);
    EXPECT_NE(*both[0].displayNumber, *both[1].displayNumber);
    EXPECT_GE(changes.count(), 1);

    // A panel along the bottom of the left monitor (its top 40 pixels in X
    // coordinates are the bottom of the screen space).
    setWorkArea(0, 0, 3200, 1160);
    ASSERT_TRUE(waitUntil([&] { return screens.screens().first().visibleFrame.height() < 1200; }));
    both = screens.screens();
    std::sort(both.begin(), both.end(), [](const auto& a, const auto& b) { return a.frame.x() < b.frame.x(); });
    EXPECT_EQ(both[0].visibleFrame, QRectF(0, 40, 1600, 1160));
    EXPECT_EQ(both[1].visibleFrame, QRectF(1600, 40, 1600, 1160));

    // The same monitors keep their numbers.
    const QList<DesktopScreen> again = screens.screens();
    EXPECT_EQ(again, screens.screens());
}

TEST(X11Screens, MouseLocationCountsUpFromTheBottom)
{
    std::unique_ptr<XcbConnection> connection = XcbConnection::open();
    X11Screens screens(connection.get());
    runTool(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("2000"), QStringLiteral("1199")});
    ASSERT_TRUE(waitUntil([] { return QCursor::pos() == QPoint(2000, 1199); }));
    EXPECT_EQ(screens.mouseLocation(), QPointF(2000, 1));
}

} // namespace
