#include "StandInApplication.h"
#include "WindowGeometry.h"
#include "platform/x11/EwmhClients.h"
#include "platform/x11/X11ApplicationWindows.h"
#include "support/ApplicationFolder.h"

#include <gtest/gtest.h>

namespace {

using WindowId = ApplicationWindows::WindowId;

class X11ApplicationWindowsTest : public ::testing::Test {
protected:
    qint32 start(int windows, QStringList more = {})
    {
        more << QStringLiteral("--windows") << QString::number(windows);
        applications.emplace_back(more);
        const qint32 process = applications.back().processIdentifier();
        EXPECT_TRUE(
            eventually([&] { return windowList.windows(process).value_or(QList<WindowId>()).size() == windows; }));
        return process;
    }

    X11ApplicationWindows windowList;
    std::unique_ptr<XcbConnection> connection = XcbConnection::open();
    std::vector<StandInApplication> applications;
};

TEST_F(X11ApplicationWindowsTest, ListsAProcesssNormalWindowsFrontMostFirst)
{
    EXPECT_TRUE(windowList.isTrusted());
    const qint32 process = start(3);
    const QList<WindowId> before = *windowList.windows(process);

    EwmhClients(*connection).activate(before.last());
    EXPECT_TRUE(
        eventually([&] { return windowList.windows(process).value_or(QList<WindowId>()).first() == before.last(); }));
    EXPECT_EQ(windowList.windows(process)->size(), 3);

    applications.emplace_back(QStringList{QStringLiteral("--windows"), QStringLiteral("1"),
                                          QStringLiteral("--window-type"),
                                          QStringLiteral("_NET_WM_WINDOW_TYPE_UTILITY")});
    const qint32 utilityOnly = applications.back().processIdentifier();
    EwmhClients clients(*connection);
    ASSERT_TRUE(eventually([&] {
        const auto managed = clients.describe(clients.stackingOrder().value_or(QList<xcb_window_t>()));
        return std::any_of(managed.begin(), managed.end(),
                           [&](const ClientWindow& window) { return window.processIdentifier == utilityOnly; });
    }));
    EXPECT_EQ(windowList.windows(utilityOnly), QList<WindowId>());
    EXPECT_EQ(windowList.windows(qint32(QCoreApplication::applicationPid())), QList<WindowId>());
}

TEST_F(X11ApplicationWindowsTest, PlacesTheWholeWindowOnTheRectangle)
{
    const qint32 process = start(1);
    const WindowId window = windowList.windows(process)->first();
    // The window manager lists a window a moment before it says how it frames it.
    ASSERT_TRUE(eventually([&] { return !EwmhClients(*connection).frameExtents(window).isNull(); }));

    for (const QRect& target : {QRect(100, 150, 640, 480), QRect(0, 0, 1600, 1200), QRect(1600, 600, 1600, 600)}) {
        std::optional<int> landed;
        windowList.place({{window, target}}, [&](int count) { landed = count; });
        EXPECT_TRUE(eventually([&] { return landed == 1; }));
        QRect placed;
        EXPECT_TRUE(eventually([&] { return (placed = outerGeometry(*connection, window)) == target; }))
            << "wanted " << target.x() << "," << target.y() << " " << target.width() << "x" << target.height()
            << ", got " << placed.x() << "," << placed.y() << " " << placed.width() << "x" << placed.height();
    }
}

TEST_F(X11ApplicationWindowsTest, AnswersLaterHowManyWindowsLanded)
{
    const WindowId fixed = windowList.windows(start(1, {QStringLiteral("--fixed-size")}))->first();
    const WindowId free = windowList.windows(start(1))->first();
    ASSERT_TRUE(eventually([&] {
        return !EwmhClients(*connection).frameExtents(fixed).isNull()
            && !EwmhClients(*connection).frameExtents(free).isNull();
    }));
    std::optional<int> landed;
    windowList.place({{fixed, QRectF(0, 0, 800, 600)},
                      {free, QRectF(800, 0, 800, 600)},
                      {connection->root(), QRectF(10, 10, 100, 100)},
                      {0x7fffffff, QRectF(0, 0, 100, 100)}},
                     [&](int count) { landed = count; });
    // The window manager keeps the fixed window waiting for nothing: that
    // wait is the event loop's, not the caller's.
    EXPECT_FALSE(landed);
    ASSERT_TRUE(eventually([&] { return landed.has_value(); }));
    EXPECT_EQ(*landed, 1);
    EXPECT_EQ(outerGeometry(*connection, free), QRect(800, 0, 800, 600));
}

} // namespace
