// The task manager's list and its quits on a desktop in memory.
#include "ActionsTestKit.h"

#include <gtest/gtest.h>

namespace {

std::vector<qint32> idsOf(const std::vector<RunningAppInfo>& applications)
{
    std::vector<qint32> ids;
    for (const RunningAppInfo& application : applications)
        ids.push_back(application.id);
    return ids;
}

TEST(TaskList, OrdinaryApplicationsOtherThanTheCompanionFrontMostFirstThenByName)
{
    RunningApplication zebra = runningApplication(1, QString(), QStringLiteral("zebra"));
    zebra.active = true;
    zebra.icon = QIcon::fromTheme(QStringLiteral("x"));
    RunningApplication helper = runningApplication(2, QString(), QStringLiteral("Helper"));
    helper.regular = false;
    const RunningApplication companion = runningApplication(3, QString(), QStringLiteral("Companion"));
    const RunningApplication gamma = runningApplication(4, QString(), QStringLiteral("Gamma"));
    const RunningApplication beta = runningApplication(5, QString(), QStringLiteral("beta"));
    const RunningApplication unnamed = runningApplication(6, QString());
    const RunningApplication alpha = runningApplication(7, QString(), QStringLiteral("Alpha"));
    // Any program may write an entry whose name is one letter under 120,000 accents.
    const RunningApplication accents = runningApplication(8, QString(), u'x' + QString(120'000, QChar(0x301)));

    const std::vector<RunningAppInfo> listed =
        TaskManager::listedApplications({zebra, helper, companion, gamma, beta, unnamed, alpha, accents}, 3);
    EXPECT_EQ(idsOf(listed), (std::vector<qint32>{1, 7, 6, 5, 4, 8}));
    EXPECT_EQ(listed[5].name, u'x' + QString(31, QChar(0x301))) << "cut as outside text";
    EXPECT_EQ(listed[2].name, QStringLiteral("App"));
    EXPECT_TRUE(listed[0].isFrontmost);
    EXPECT_TRUE(listed[0].icon.has_value());
    EXPECT_FALSE(listed[1].isFrontmost);
    EXPECT_FALSE(listed[1].icon.has_value());
}

class TaskManagement : public ::testing::Test {
protected:
    TaskManagement()
    {
        t.fake.workspace.ownProcess = 3;
        t.fake.workspace.applications = {runningApplication(3, QString(), QStringLiteral("Companion")),
                                         runningApplication(41, QString(), QStringLiteral("Notes")),
                                         runningApplication(42, QString(), QStringLiteral("Editor"))};
    }

    ActionsTestKit t;
};

TEST_F(TaskManagement, TheListIsRebuiltOnlyWhileTheMenuOrTheTaskPanelShows)
{
    t.model().refreshRunningApps();
    EXPECT_TRUE(t.model().runningApps->empty());

    t.model().taskPanelOpen = true;
    t.model().refreshRunningApps();
    EXPECT_EQ(idsOf(t.model().runningApps), (std::vector<qint32>{42, 41}));

    t.model().taskPanelOpen = false;
    t.fake.workspace.applications.removeLast();
    t.model().refreshRunningApps();
    EXPECT_EQ(t.model().runningApps->size(), 2u) << "kept while both are closed";
    t.model().menuOpen = true;
    t.model().refreshRunningApps();
    EXPECT_EQ(idsOf(t.model().runningApps), (std::vector<qint32>{41}));
}

TEST_F(TaskManagement, AnApplicationThatQuitsIsNeverOfferedAForceQuit)
{
    t.model().menuOpen = true;
    t.model().quitApp(41);
    EXPECT_EQ(t.fake.workspace.requests, (QList<FakeWorkspace::Request>{{QStringLiteral("terminate"), 41}}));
    t.advance(450ms);
    EXPECT_EQ(idsOf(t.model().runningApps), (std::vector<qint32>{42}));
    t.advance(2050ms);
    EXPECT_TRUE(t.model().forceReadyApps->isEmpty());
}

TEST_F(TaskManagement, OneThatStaysIsOfferedAForceQuitAfterTwoAndAHalfSecondsUntilItIsGone)
{
    t.fake.workspace.refusingToQuit.insert(41);
    t.model().quitApp(41);
    t.advance(2499ms);
    EXPECT_TRUE(t.model().forceReadyApps->isEmpty());
    t.advance(1ms);
    // Offered even while the list itself is not refreshed (the menu is closed).
    EXPECT_EQ(t.model().forceReadyApps, QSet<std::int32_t>({41}));
    EXPECT_TRUE(t.model().runningApps->empty());

    t.model().menuOpen = true;
    t.model().forceQuitApp(41);
    EXPECT_EQ(t.fake.workspace.requests.last(), (FakeWorkspace::Request{QStringLiteral("forceTerminate"), 41}));
    EXPECT_EQ(t.model().forceReadyApps, QSet<std::int32_t>({41}));
    t.advance(450ms);
    EXPECT_TRUE(t.model().forceReadyApps->isEmpty()) << "the refresh after the force quit prunes it";
    t.advance(5s);
    EXPECT_TRUE(t.model().forceReadyApps->isEmpty()) << "a force quit has no recheck";
}

TEST_F(TaskManagement, QuittingWhatIsGoneStillRefreshes)
{
    t.model().menuOpen = true;
    t.model().forceReadyApps = QSet<std::int32_t>({77});
    t.model().quitApp(77);
    t.advance(450ms);
    EXPECT_EQ(idsOf(t.model().runningApps), (std::vector<qint32>{42, 41}));
    EXPECT_TRUE(t.model().forceReadyApps->isEmpty()) << "pruned: it is not listed";
}

} // namespace
