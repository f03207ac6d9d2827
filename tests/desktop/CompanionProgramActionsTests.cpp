// The built companion opening things on the desktop: a link starts the
// system monitor, an alert's Reply opens what the alert is about, and what
// it starts takes no blocked or ignored signal from it.
#include "RunningCompanion.h"
#include "panel/CompanionAlertBubbleView.h"
#include "support/ApplicationFolder.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

const QStringList cleanSignalState{QStringLiteral("SigBlk:\t0000000000000000"),
                                   QStringLiteral("SigIgn:\t0000000000000000")};

class CompanionProgramActions : public ::testing::Test {
protected:
    CompanionProgramActions() { session.useDataFolder(QFileInfo(folder.path()).path()); }

    // An entry whose program records its command line and signal state.
    void addRecordingApplication(const QString& id, const QString& name)
    {
        folder.addApplication(id, name, {}, "--signals " + folder.signalsOf(id).toUtf8() + " %U");
    }

    ApplicationFolder folder;
    CompanionSession session;
};

TEST_F(CompanionProgramActions, TheActivityMonitorLinkStartsTheSystemMonitorWithCleanSignals)
{
    addRecordingApplication(QStringLiteral("gnome-system-monitor"), QStringLiteral("System Monitor"));
    RunningCompanion companion(session);
    ASSERT_TRUE(companion.waitForPanel().has_value());

    EXPECT_EQ(startAnotherCopy(session, {QStringLiteral("lumivo://activity-monitor")}), 0);
    EXPECT_EQ(folder.waitForSignals(QStringLiteral("gnome-system-monitor"), 10000), cleanSignalState)
        << "started, without the companion's blocked termination signals";
}

TEST_F(CompanionProgramActions, AnAlertsReplyOpensItsSource)
{
    addRecordingApplication(QStringLiteral("superhuman"), QStringLiteral("Superhuman"));
    RunningCompanion companion(session);
    ASSERT_TRUE(companion.waitForPanel().has_value());

    ASSERT_EQ(startAnotherCopy(session, {QStringLiteral("lumivo://notify?type=email&detail=Hello")}), 0);
    std::optional<ShownWindow> alert;
    ASSERT_TRUE(waitUntil([&] { return (alert = companion.alertPanel()).has_value(); }));
    ASSERT_TRUE(waitForStillPicture(alert->geometry));
    const QRectF reply =
        CompanionAlertBubbleView::layoutFor(CompanionAlert(CompanionAlertSource::email, QStringLiteral("Hello"))).reply;
    clickAt(alert->geometry.topLeft() + reply.center().toPoint());

    EXPECT_EQ(folder.waitForRecord(QStringLiteral("superhuman"), 10000),
              QStringList({QStringLiteral("--signals"), folder.signalsOf(QStringLiteral("superhuman"))}));
    EXPECT_TRUE(waitUntil([&] { return !companion.alertPanel().has_value(); })) << "the reply dismissed the alert";
}

} // namespace
