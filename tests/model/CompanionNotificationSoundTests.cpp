#include "audio/AudioSinkChimeOutput.h"
#include "model/CompanionChime.h"
#include "model/CompanionNotificationSound.h"
#include "model/SystemSoundPlayer.h"
#include "support/ManualScheduler.h"
#include "support/QtPrinters.h"
#include "support/RecordingSystemSounds.h"

#include <gtest/gtest.h>

#include <QAudioDevice>
#include <QMediaDevices>
#include <QStringList>

#include <memory>

using namespace std::chrono_literals;

namespace {

class FakeChimeOutput final : public ChimeOutput {
public:
    bool startSucceeds = true;
    bool running = false;
    int starts = 0;
    int plays = 0;
    int pauses = 0;
    std::vector<float> lastPlayed;

    bool isRunning() const override { return running; }
    bool start() override
    {
        ++starts;
        running = startSucceeds;
        return startSucceeds;
    }
    void playFromStart(std::span<const float> samples) override
    {
        ++plays;
        lastPlayed.assign(samples.begin(), samples.end());
    }
    void pause() override
    {
        ++pauses;
        running = false;
    }
};

class CompanionNotificationSoundTest : public ::testing::Test {
protected:
    FakeChimeOutput output;
    RecordingSystemSounds systemSounds;
    ManualScheduler scheduler;
    CompanionNotificationSound sound{output, systemSounds, scheduler};
};

} // namespace

TEST_F(CompanionNotificationSoundTest, PlayStartsTheOutputPlaysTheChimeAndPausesLater)
{
    sound.play();
    EXPECT_EQ(output.starts, 1);
    EXPECT_EQ(output.plays, 1);
    EXPECT_EQ(output.lastPlayed, CompanionChime::samples());
    EXPECT_TRUE(systemSounds.played.isEmpty());

    scheduler.advance(699ms);
    EXPECT_EQ(output.pauses, 0);
    EXPECT_TRUE(output.running);
    scheduler.advance(1ms);
    EXPECT_EQ(output.pauses, 1);
    EXPECT_FALSE(output.running);
    EXPECT_EQ(scheduler.queuedCount(), 0u);
}

TEST_F(CompanionNotificationSoundTest, ASecondPlayRestartsTheChimeAndPostponesThePause)
{
    sound.play();
    scheduler.advance(300ms);
    sound.play();
    EXPECT_EQ(output.starts, 1) << "a running output is not started again";
    EXPECT_EQ(output.plays, 2);

    scheduler.advance(400ms); // 700 ms after the first play
    EXPECT_EQ(output.pauses, 0);
    EXPECT_TRUE(output.running);
    scheduler.advance(300ms); // 700 ms after the second
    EXPECT_EQ(output.pauses, 1);
    scheduler.advance(5s);
    EXPECT_EQ(output.pauses, 1);
}

TEST_F(CompanionNotificationSoundTest, PlayAfterThePauseStartsTheOutputAgain)
{
    sound.play();
    scheduler.advance(700ms);
    ASSERT_EQ(output.pauses, 1);

    sound.play();
    EXPECT_EQ(output.starts, 2);
    EXPECT_EQ(output.plays, 2);
    scheduler.advance(699ms);
    EXPECT_EQ(output.pauses, 1);
    scheduler.advance(1ms);
    EXPECT_EQ(output.pauses, 2);
}

TEST_F(CompanionNotificationSoundTest, FallsBackToTinkWhileNoOutputOpens)
{
    output.startSucceeds = false;
    sound.play();
    sound.play();
    EXPECT_EQ(systemSounds.played, QStringList({QStringLiteral("Tink"), QStringLiteral("Tink")}));
    EXPECT_EQ(output.starts, 2) << "every play tries the output again";
    EXPECT_EQ(output.plays, 0);
    EXPECT_EQ(scheduler.queuedCount(), 0u);

    output.startSucceeds = true;
    sound.play();
    EXPECT_EQ(output.plays, 1);
    EXPECT_EQ(systemSounds.played.size(), 2);
    scheduler.advance(700ms);
    EXPECT_EQ(output.pauses, 1);
}

TEST(CompanionNotificationSound, APendingPauseDiesWithTheSound)
{
    FakeChimeOutput output;
    RecordingSystemSounds systemSounds;
    ManualScheduler scheduler;
    auto sound = std::make_unique<CompanionNotificationSound>(output, systemSounds, scheduler);
    sound->play();
    sound.reset();

    scheduler.advance(1s);
    EXPECT_EQ(output.pauses, 0);
    EXPECT_EQ(scheduler.queuedCount(), 0u);
}

TEST(AudioSinkChimeOutput, WithoutAnOutputDeviceTheSoundFallsBackToTink)
{
    if (!QMediaDevices::defaultAudioOutput().isNull())
        GTEST_SKIP() << "this machine has an audio output";

    AudioSinkChimeOutput output;
    EXPECT_FALSE(output.isRunning());
    EXPECT_FALSE(output.start());
    EXPECT_FALSE(output.isRunning());
    // Harmless on an output that never started.
    output.playFromStart(CompanionChime::samples());
    output.pause();
    EXPECT_FALSE(output.isRunning());

    RecordingSystemSounds systemSounds;
    ManualScheduler scheduler;
    CompanionNotificationSound sound(output, systemSounds, scheduler);
    sound.play();
    EXPECT_EQ(systemSounds.played, QStringList{QStringLiteral("Tink")});
    EXPECT_EQ(scheduler.queuedCount(), 0u);
}
