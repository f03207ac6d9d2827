#include "support/ModelTestKit.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

using namespace std::chrono_literals;

namespace {

class AlertQueue : public ::testing::Test {
protected:
    void SetUp() override
    {
        model = kit.makeModel();
        model->summonCompanion = [this] { events.push_back("summon"); };
        model->prepareAlertPresentation = [this] {
            events.push_back(model->activeAlert->has_value() ? "prepare while showing" : "prepare");
        };
        model->finishAlertPresentation = [this] { events.push_back("finish"); };
        model->openAlert = [this](const CompanionAlert& alert) {
            events.push_back("open " + alert.detail().toStdString());
        };
        QObject::connect(model.get(), &ObservableObject::willChange,
                         [this] { transactions.push_back(model->currentTransaction()); });
    }

    std::string shownDetail() const
    {
        return model->activeAlert->has_value() ? model->activeAlert->value().detail().toStdString() : "(none)";
    }

    void advance(std::chrono::milliseconds step) { kit.scheduler.advance(step); }

    ModelTestKit kit;
    std::unique_ptr<CompanionModel> model;
    std::vector<std::string> events;
    std::vector<std::optional<Animation>> transactions;
};

TEST_F(AlertQueue, AnAlertArrivingWhenIdleIsSummonedAndShownAtOnce)
{
    model->enqueueAlert(CompanionAlertSource::email, QStringLiteral("Invoice"));

    EXPECT_EQ(events, (std::vector<std::string>{"summon", "prepare"}));
    EXPECT_EQ(shownDetail(), "Invoice");
    EXPECT_EQ(kit.chimes, 1);
    EXPECT_EQ(model->expression.get(), CompanionExpression::excited);

    // Only the alert's own change carries the bubble's spring.
    const std::vector<std::optional<Animation>> expected{CompanionModel::alertArrival, std::nullopt};
    EXPECT_EQ(transactions, expected);
    EXPECT_EQ(CompanionModel::alertArrival, Animation::spring(0.34, 0.86, 0));
}

TEST_F(AlertQueue, EachSourceHasItsSoundFaceAndLifetime)
{
    struct Case {
        CompanionAlertSource source;
        int chimes;
        QStringList systemSounds;
        CompanionExpression face;
        std::chrono::milliseconds lifetime;
    };
    const Case cases[] = {
        {CompanionAlertSource::setup, 0, {}, CompanionExpression::thinking, 8s},
        {CompanionAlertSource::call, 0, {QStringLiteral("Tink")}, CompanionExpression::excited, 24s},
        {CompanionAlertSource::voicemail, 1, {}, CompanionExpression::excited, 24s},
    };
    for (const Case& c : cases) {
        ModelTestKit fresh;
        const auto alerts = fresh.makeModel();
        int opened = 0;
        alerts->openAlert = [&](const CompanionAlert&) { ++opened; };

        alerts->enqueueAlert(c.source, QStringLiteral("detail"));
        EXPECT_EQ(fresh.chimes, c.chimes);
        EXPECT_EQ(fresh.systemSounds.played, c.systemSounds);
        EXPECT_EQ(alerts->expression.get(), c.face);

        fresh.scheduler.advance(3s);
        EXPECT_EQ(alerts->expression.get(), CompanionExpression::idle) << "the face lasts three seconds";
        fresh.scheduler.advance(c.lifetime - 3s - 1ms);
        EXPECT_TRUE(alerts->activeAlert->has_value());
        fresh.scheduler.advance(1ms);
        EXPECT_FALSE(alerts->activeAlert->has_value());
        EXPECT_EQ(opened, 0) << "dismissing itself never opens the source";
    }
}

TEST_F(AlertQueue, TheTwinOfTheAlertOnShowIsDroppedWithoutRestartingIt)
{
    model->enqueueAlert(CompanionAlertSource::slack, QStringLiteral("standup"));
    advance(20s);
    model->enqueueAlert(CompanionAlertSource::slack, QStringLiteral("standup"));
    EXPECT_EQ(kit.chimes, 1) << "no sound for the twin";
    advance(4s);
    EXPECT_FALSE(model->activeAlert->has_value()) << "the first alert keeps its 24 seconds";
    advance(1s);
    EXPECT_FALSE(model->activeAlert->has_value()) << "the twin was never queued";
}

TEST_F(AlertQueue, SourceAndDetailTogetherMakeAnAlertDifferent)
{
    model->enqueueAlert(CompanionAlertSource::email, QStringLiteral("A"));
    model->enqueueAlert(CompanionAlertSource::email, QStringLiteral("B"));   // other detail
    model->enqueueAlert(CompanionAlertSource::message, QStringLiteral("A")); // other source
    model->enqueueAlert(CompanionAlertSource::email);                        // empty detail
    model->enqueueAlert(CompanionAlertSource::email, QStringLiteral("B"));   // twin of a queued one
    model->enqueueAlert(CompanionAlertSource::email, QStringLiteral("a"));   // case matters

    std::vector<std::string> shown{shownDetail()};
    for (int turn = 0; turn < 5; ++turn) {
        model->dismissAlert();
        advance(280ms);
        shown.push_back(shownDetail());
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"A", "B", "A", "", "a", "(none)"}));
    EXPECT_EQ(model->activeAlert->has_value(), false);
}

TEST_F(AlertQueue, QueuedAlertsFollowOneByOne280MillisecondsAfterEachDismissal)
{
    model->enqueueAlert(CompanionAlertSource::agent, QStringLiteral("first"));
    model->enqueueAlert(CompanionAlertSource::agent, QStringLiteral("second"));
    model->enqueueAlert(CompanionAlertSource::agent, QStringLiteral("third"));
    events.clear();

    model->dismissAlert();
    advance(279ms);
    EXPECT_EQ(shownDetail(), "(none)") << "the gap";
    advance(1ms);
    EXPECT_EQ(shownDetail(), "second");
    EXPECT_EQ(events, (std::vector<std::string>{"finish", "prepare"})) << "followers are not summoned";

    advance(24s); // dismisses itself
    advance(280ms);
    EXPECT_EQ(shownDetail(), "third");
}

TEST_F(AlertQueue, AlertsWaitWhileTheMenuIsOpenOrTheCompanionHidden)
{
    model->menuOpen = true;
    model->enqueueAlert(CompanionAlertSource::calendar, QStringLiteral("1:1 at 3"));
    model->companionHidden = true;
    model->menuOpen = false;
    model->enqueueAlert(CompanionAlertSource::calendar, QStringLiteral("Board at 5"));
    model->presentQueuedAlertIfIdle();
    EXPECT_EQ(shownDetail(), "(none)");
    EXPECT_TRUE(events.empty()) << "nothing is summoned while waiting";
    EXPECT_EQ(kit.chimes, 0);

    model->companionHidden = false;
    model->presentQueuedAlertIfIdle();
    EXPECT_EQ(shownDetail(), "1:1 at 3");
    EXPECT_EQ(events, (std::vector<std::string>{"prepare"})) << "shown without a summon";
}

TEST_F(AlertQueue, AFloodLeavesOnlyTheNewestAlertsWaiting)
{
    model->menuOpen = true;
    const int flood = int(CompanionModel::longestAlertQueue) + 4;
    for (int index = 1; index <= flood; ++index)
        model->enqueueAlert(CompanionAlertSource::email, QString::number(index));
    model->enqueueAlert(CompanionAlertSource::email, QStringLiteral("5")); // the oldest left: a twin pushes nothing out
    model->menuOpen = false;

    std::vector<std::string> shown;
    for (model->presentQueuedAlertIfIdle(); model->activeAlert->has_value(); advance(280ms)) {
        shown.push_back(shownDetail());
        model->dismissAlert();
    }
    std::vector<std::string> newest;
    for (int index = 5; index <= flood; ++index)
        newest.push_back(std::to_string(index));
    EXPECT_EQ(shown, newest);
}

TEST_F(AlertQueue, OpeningTheMenuNeitherDismissesNorPausesTheAlertOnShow)
{
    model->enqueueAlert(CompanionAlertSource::email, QStringLiteral("Invoice"));
    model->menuOpen = true;
    model->enqueueAlert(CompanionAlertSource::email, QStringLiteral("Receipt"));
    advance(24s);
    EXPECT_EQ(shownDetail(), "(none)");
    advance(280ms);
    EXPECT_EQ(shownDetail(), "(none)") << "the follower waits for the menu to close";
    model->menuOpen = false;
    model->presentQueuedAlertIfIdle();
    EXPECT_EQ(shownDetail(), "Receipt");
}

TEST_F(AlertQueue, AnAlertArrivingInTheGapOvertakesOlderQueuedOnes)
{
    model->enqueueAlert(CompanionAlertSource::message, QStringLiteral("old"));
    model->enqueueAlert(CompanionAlertSource::message, QStringLiteral("queued"));
    model->dismissAlert();
    advance(100ms);
    events.clear();

    model->enqueueAlert(CompanionAlertSource::message, QStringLiteral("new"));
    EXPECT_EQ(shownDetail(), "new");
    EXPECT_EQ(events, (std::vector<std::string>{"summon", "prepare"}));

    advance(180ms); // the follow-up finds an alert on show
    EXPECT_EQ(shownDetail(), "new");
    model->dismissAlert();
    advance(280ms);
    EXPECT_EQ(shownDetail(), "queued");
}

TEST_F(AlertQueue, DismissingOpensTheSourceOnlyWhenAskedAndAlwaysFinishes)
{
    model->enqueueAlert(CompanionAlertSource::slack, QStringLiteral("deploy"));
    model->enqueueAlert(CompanionAlertSource::slack, QStringLiteral("review"));
    events.clear();
    transactions.clear();

    model->dismissAlert(true);
    EXPECT_EQ(events, (std::vector<std::string>{"open deploy", "finish"}));
    EXPECT_EQ(transactions, (std::vector<std::optional<Animation>>{Animation::easeOut(0.18)}));

    advance(280ms);
    events.clear();
    model->dismissAlert(false);
    EXPECT_EQ(events, (std::vector<std::string>{"finish"}));

    // With nothing on show: no hook, and no follow-up is started.
    advance(1h);
    events.clear();
    const std::size_t queued = kit.scheduler.queuedCount();
    model->dismissAlert(true);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(kit.scheduler.queuedCount(), queued);
}

TEST_F(AlertQueue, ADismissedAlertsTimerCannotCutTheNextOneShort)
{
    model->enqueueAlert(CompanionAlertSource::email, QStringLiteral("first"));
    model->enqueueAlert(CompanionAlertSource::email, QStringLiteral("second"));
    advance(10s);
    model->dismissAlert();
    advance(280ms);
    ASSERT_EQ(shownDetail(), "second");
    advance(14s); // the first alert's 24 s would have run out here
    EXPECT_EQ(shownDetail(), "second");
    advance(10s);
    EXPECT_EQ(shownDetail(), "(none)");
}

TEST_F(AlertQueue, PendingWorkOutlivingTheModelDoesNothing)
{
    model->enqueueAlert(CompanionAlertSource::email, QStringLiteral("x"));
    model->enqueueAlert(CompanionAlertSource::email, QStringLiteral("y"));
    model->dismissAlert();
    model.reset();
    advance(1min);
    EXPECT_EQ(kit.chimes, 1) << "the follow-up found no model to show the next alert on";
}

TEST(Expressions, ReturnToIdleUnlessAnotherFaceWasPutOnMeanwhile)
{
    ModelTestKit kit;
    const auto model = kit.makeModel();

    model->showExpression(CompanionExpression::listening);
    kit.scheduler.advance(2599ms);
    EXPECT_EQ(model->expression.get(), CompanionExpression::listening);
    kit.scheduler.advance(1ms);
    EXPECT_EQ(model->expression.get(), CompanionExpression::idle) << "2.6 s by default";

    model->showExpression(CompanionExpression::thinking, 1.0);
    kit.scheduler.advance(500ms);
    model->showExpression(CompanionExpression::excited, 3.0);
    kit.scheduler.advance(500ms);
    EXPECT_EQ(model->expression.get(), CompanionExpression::excited) << "an earlier reset leaves another face";

    // The same face twice: the earlier call's reset ends it at the earlier time.
    model->showExpression(CompanionExpression::thinking, 1.0);
    kit.scheduler.advance(500ms);
    model->showExpression(CompanionExpression::thinking, 5.0);
    kit.scheduler.advance(500ms);
    EXPECT_EQ(model->expression.get(), CompanionExpression::idle);

    // Durations that are not a sensible wait run as soon as possible.
    model->showExpression(CompanionExpression::listening, -4);
    model->showExpression(CompanionExpression::excited, std::nan(""));
    kit.scheduler.advance(0ms);
    EXPECT_EQ(model->expression.get(), CompanionExpression::idle);
}

} // namespace
