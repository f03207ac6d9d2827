#include "platform/desktop/TerminationSignals.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>

#include <csignal>

TEST(TerminationSignals, TurnsATerminationRequestIntoASignal)
{
    TerminationSignals::blockInProcess();
    TerminationSignals signals_;
    QSignalSpy spy(&signals_, &TerminationSignals::received);

    ASSERT_EQ(::raise(SIGTERM), 0);
    ASSERT_TRUE(spy.wait(5000));
    EXPECT_EQ(spy.takeFirst().at(0).toInt(), SIGTERM);
}
