// Whether anybody can see the companion's windows, on the private desktop:
// the screen saver, the session's locker, hiding and covering.
#include "DesktopTestKit.h"

#include "platform/Visibility.h"
#include "platform/desktop/LinuxDesktop.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>

namespace {

class X11Visibility : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Translucent, as the companion's panels are.
        panel.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        panel.setAttribute(Qt::WA_TranslucentBackground);
        panel.setGeometry(300, 300, 200, 120);
        panel.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
        token = monitoring.addVisibilityMonitor({&panel}, [this](bool seen) { answers.push_back(seen); });
        ASSERT_TRUE(token);
    }
    void TearDown() override { runTool(QStringLiteral("xset"), {QStringLiteral("s"), QStringLiteral("reset")}); }

    bool settlesOn(bool seen)
    {
        return waitUntil([&] { return !answers.empty() && answers.back() == seen; }, 3000);
    }

    QWidget panel;
    // As the program has it: the window system's view joined with the locker's.
    LinuxDesktop desktop;
    VisibilityMonitoring& monitoring = desktop.desktop().visibility;
    std::vector<bool> answers;
    std::unique_ptr<MonitorToken> token;
};

TEST_F(X11Visibility, TheScreenSaverHidesThePanelUntilItEnds)
{
    ASSERT_EQ(answers, std::vector<bool>{true}) << "told at once";
    runTool(QStringLiteral("xset"), {QStringLiteral("s"), QStringLiteral("activate")});
    EXPECT_TRUE(settlesOn(false));
    runTool(QStringLiteral("xset"), {QStringLiteral("s"), QStringLiteral("reset")});
    EXPECT_TRUE(settlesOn(true));
    EXPECT_EQ(answers, (std::vector<bool>{true, false, true})) << "each change told once";
}

TEST_F(X11Visibility, AHiddenOrCoveredPanelIsUnseen)
{
    panel.hide();
    EXPECT_TRUE(settlesOn(false));
    panel.show();
    EXPECT_TRUE(settlesOn(true));

    // A window over part of the panel leaves it seen; one over the whole of
    // it, as a locker's cover is, hides it. A speck the cover hides whole is
    // told so in the same look at the stack that judges the panel.
    QWidget speck;
    speck.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    speck.setGeometry(260, 260, 20, 20);
    speck.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&speck));
    std::vector<bool> speckAnswers;
    const auto speckToken = monitoring.addVisibilityMonitor({&speck}, [&](bool seen) { speckAnswers.push_back(seen); });
    QWidget cover;
    cover.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                         | Qt::X11BypassWindowManagerHint);
    cover.setGeometry(250, 250, 200, 100);
    cover.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&cover));
    ASSERT_TRUE(waitUntil([&] { return speckAnswers.back() == false; }));
    EXPECT_TRUE(answers.back());
    cover.setGeometry(250, 250, 400, 300);
    EXPECT_TRUE(settlesOn(false));
    cover.hide();
    EXPECT_TRUE(settlesOn(true));
}

TEST_F(X11Visibility, ALockedSessionIsUnseen)
{
    const auto announce = [](const char* active) {
        runTool(QStringLiteral("dbus-send"),
                {QStringLiteral("--session"), QStringLiteral("--type=signal"),
                 QStringLiteral("/org/freedesktop/ScreenSaver"),
                 QStringLiteral("org.freedesktop.ScreenSaver.ActiveChanged"),
                 QStringLiteral("boolean:%1").arg(QLatin1String(active))});
    };
    announce("true");
    EXPECT_TRUE(settlesOn(false));
    announce("false");
    EXPECT_TRUE(settlesOn(true));
}

TEST_F(X11Visibility, NoLongerWatchedNoLongerTold)
{
    token.reset();
    // Another watch of the same panel hears the change in the same telling.
    std::vector<bool> others;
    const auto other = monitoring.addVisibilityMonitor({&panel}, [&](bool seen) { others.push_back(seen); });
    runTool(QStringLiteral("xset"), {QStringLiteral("s"), QStringLiteral("activate")});
    ASSERT_TRUE(waitUntil([&] { return others.back() == false; }));
    EXPECT_EQ(answers, std::vector<bool>{true});
}

} // namespace
