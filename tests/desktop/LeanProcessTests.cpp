// What the built companion keeps mapped: no image plugins, and the audio
// stack only once it has made a sound.
#include "RunningCompanion.h"

#include <gtest/gtest.h>

namespace {

bool maps(qint64 pid, const QString& library)
{
    QFile file(QStringLiteral("/proc/%1/maps").arg(pid));
    return file.open(QIODevice::ReadOnly) && QString::fromUtf8(file.readAll()).contains(library);
}

TEST(LeanProcess, LoadsNoImagePluginAndTheAudioStackOnlyAtTheFirstSound)
{
    CompanionSession session;
    RunningCompanion companion(session);
    // Drawn, it has loaded the pictures it shows.
    ASSERT_TRUE(companion.waitForMascot());
    EXPECT_FALSE(maps(companion.pid(), QStringLiteral("/imageformats/"))) << "its pictures are all PNGs";
    EXPECT_FALSE(maps(companion.pid(), QStringLiteral("libQt6Multimedia")));
    EXPECT_FALSE(maps(companion.pid(), QStringLiteral("libpulse")));

    // An e-mail alert chimes.
    EXPECT_EQ(startAnotherCopy(session, {QStringLiteral("lumivo://notify?type=email&detail=Hello")}), 0);
    EXPECT_TRUE(waitUntil([&] { return maps(companion.pid(), QStringLiteral("lumivo-audio")); }, 5000));
    EXPECT_TRUE(maps(companion.pid(), QStringLiteral("libQt6Multimedia")));
    EXPECT_TRUE(companion.isRunning());
}

} // namespace
