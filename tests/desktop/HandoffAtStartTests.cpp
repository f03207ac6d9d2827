// A link handed over while the running copy is still starting is not lost.
#include "RunningCompanion.h"

#include <gtest/gtest.h>

#include <QThread>

namespace {

#ifdef __SANITIZE_ADDRESS__
constexpr int rounds = 20; // each start is several times slower there
#else
constexpr int rounds = 100;
#endif

TEST(HandoffAtStart, ALinkGivenJustAfterTheFirstCopyStartedRaisesItsAlert)
{
    for (int round = 0; round < rounds; ++round) {
        CompanionSession session;
        RunningCompanion first(session);
        // Time is the point: the second copy comes 0 to 40 ms after the
        // first; either may take the lock first (a program's start takes
        // longer than that), and the other hands its link or reopen over.
        QThread::msleep(ulong(round % 5) * 10);
        RunningCompanion second(session, QStringLiteral("lumivo-companion"),
                                {QStringLiteral("lumivo://notify?type=call&detail=Round%20") + QString::number(round)});
        ASSERT_TRUE(waitUntil([&] { return !first.isRunning() || !second.isRunning(); }, 15000)) << "round " << round;
        RunningCompanion& left = first.isRunning() ? second : first;
        RunningCompanion& running = first.isRunning() ? first : second;
        ASSERT_EQ(left.exitCode(), 0) << "round " << round;
        ASSERT_TRUE(waitUntil([&] { return running.alertPanel().has_value(); }, 10000))
            << "round " << round << ": the alert never showed";
        ASSERT_EQ(running.terminate(), 0) << "round " << round;
    }
}

} // namespace
