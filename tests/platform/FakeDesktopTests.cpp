// The in-memory stand-ins behave as the callers' tests rely on.
#include "platform/fake/FakeApplicationWindows.h"
#include "platform/fake/FakeApplications.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

TEST(FakeApplications, HoldsLaunchOutcomesUntilTheTestDeliversThem)
{
    FakeApplications applications;
    applications.installed.insert(QStringLiteral("/Applications/Slack.app"), {QStringLiteral("slack"), QIcon()});
    applications.installed.insert(QStringLiteral("/Applications/Broken.app"), {QString(), QIcon()});
    applications.failingLaunches.insert(QStringLiteral("/Applications/Broken.app"));

    QList<std::pair<QString, bool>> outcomes;
    for (const QString& path : {QStringLiteral("/Applications/Slack.app"), QStringLiteral("/Applications/Broken.app"),
                                QStringLiteral("/Applications/Missing.app")})
        applications.openApplication(path, [&outcomes, path](bool opened) { outcomes.append({path, opened}); });
    EXPECT_TRUE(outcomes.isEmpty());
    applications.finishLaunches();
    EXPECT_EQ(outcomes,
              (QList<std::pair<QString, bool>>{{QStringLiteral("/Applications/Slack.app"), true},
                                               {QStringLiteral("/Applications/Broken.app"), false},
                                               {QStringLiteral("/Applications/Missing.app"), false}}));

    EXPECT_EQ(applications.bundleIdentifier(QStringLiteral("/Applications/Slack.app")), QStringLiteral("slack"));
    EXPECT_FALSE(applications.bundleIdentifier(QStringLiteral("/Applications/Broken.app")));
    EXPECT_FALSE(
        applications.startNewInstance(QStringLiteral("/Applications/Broken.app"), {QStringLiteral("--new-window")}));
    EXPECT_EQ(applications.newInstances.size(), 1);
}

TEST(FakeApplicationWindows, AnswersScriptedWindowsAndRecordsPlacements)
{
    FakeApplicationWindows windows;
    windows.windowsOfProcess.insert(7, {30, 20});
    windows.fixedWindows.insert(20);

    EXPECT_EQ(windows.windows(7), (QList<ApplicationWindows::WindowId>{30, 20}));
    EXPECT_FALSE(windows.windows(8));
    QList<int> landed;
    windows.place({{30, QRectF(0, 25, 5, 9)}, {20, QRectF(5, 25, 6, 9)}}, [&](int count) { landed.append(count); });
    EXPECT_EQ(windows.placements,
              (QList<FakeApplicationWindows::Placement>{{30, QRectF(0, 25, 5, 9)}, {20, QRectF(5, 25, 6, 9)}}));
    EXPECT_TRUE(landed.isEmpty());
    windows.finishPlacements();
    EXPECT_EQ(landed, QList<int>{1});
}

} // namespace
