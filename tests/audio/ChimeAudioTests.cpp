#include "audio/AudioSinkChimeOutput.h"
#include "model/CompanionChime.h"
#include "model/CompanionNotificationSound.h"
#include "support/RecordingSystemSounds.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QAudioDevice>
#include <QMediaDevices>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// A PulseAudio server of our own whose only sink records nothing but lets its
// monitor be read back.
class PrivateSoundServer {
public:
    bool start()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("parec")).isEmpty())
            return false;
        const QString socket = m_runtime.filePath(QStringLiteral("native"));
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toUtf8());
        qputenv("PULSE_SERVER", QStringLiteral("unix:%1").arg(socket).toUtf8());
        m_server.start(QStringLiteral("pulseaudio"),
                       {QStringLiteral("--daemonize=no"), QStringLiteral("-n"), QStringLiteral("--exit-idle-time=-1"),
                        QStringLiteral("--disable-shm=yes"),
                        QStringLiteral("--load=module-null-sink sink_name=companion"),
                        QStringLiteral("--load=module-native-protocol-unix socket=%1").arg(socket)});
        const auto answers = [] { return QProcess::execute(QStringLiteral("pactl"), {QStringLiteral("info")}) == 0; };
        return waitUntil(answers, 10000);
    }

    ~PrivateSoundServer()
    {
        m_server.kill();
        m_server.waitForFinished();
    }

private:
    QTemporaryDir m_runtime;
    QProcess m_server;
};

// Records the sink's monitor as mono signed 16-bit samples at the chime's rate.
class MonitorRecording {
public:
    MonitorRecording()
    {
        QObject::connect(&m_recorder, &QProcess::readyReadStandardOutput,
                         [this] { m_bytes += m_recorder.readAllStandardOutput(); });
        m_recorder.start(QStringLiteral("parec"),
                         {QStringLiteral("--device=companion.monitor"), QStringLiteral("--raw"),
                          QStringLiteral("--format=s16le"), QStringLiteral("--channels=1"),
                          QStringLiteral("--rate=44100"), QStringLiteral("--latency-msec=10")});
        // The monitor streams silence while nothing plays: the first bytes
        // mean the recording runs.
        m_recorder.waitForStarted();
        m_recorder.waitForReadyRead(10000);
    }

    // What it has recorded so far.
    std::vector<float> samples() const
    {
        std::vector<float> samples(static_cast<std::size_t>(m_bytes.size()) / 2);
        const auto* raw = reinterpret_cast<const qint16*>(m_bytes.constData());
        for (std::size_t index = 0; index < samples.size(); ++index)
            samples[index] = float(raw[index]) / 32768.0f;
        return samples;
    }

    std::vector<float> stop()
    {
        m_recorder.terminate();
        m_recorder.waitForFinished();
        m_bytes += m_recorder.readAllStandardOutput();
        EXPECT_GT(m_bytes.size(), 0) << "the monitor recorded nothing";
        return samples();
    }

private:
    QProcess m_recorder;
    QByteArray m_bytes;
};

float peakOf(const std::vector<float>& samples)
{
    float peak = 0;
    for (const float sample : samples)
        peak = std::max(peak, std::abs(sample));
    return peak;
}

// The span from the first to the last sample that is clearly not silence.
double audibleSeconds(const std::vector<float>& samples)
{
    const auto loud = [](float sample) { return std::abs(sample) > 0.01f; };
    const auto first = std::find_if(samples.begin(), samples.end(), loud);
    const auto last = std::find_if(samples.rbegin(), samples.rend(), loud);
    if (first == samples.end())
        return 0;
    return double(std::distance(first, last.base())) / CompanionChime::sampleRate;
}

// Whether the samples hold a sound followed by at least `seconds` of silence.
bool silentFor(const std::vector<float>& samples, double seconds)
{
    const auto loud = [](float sample) { return std::abs(sample) > 0.01f; };
    const auto last = std::find_if(samples.rbegin(), samples.rend(), loud);
    return last != samples.rend()
        && double(std::distance(samples.rbegin(), last)) / CompanionChime::sampleRate >= seconds;
}

class ChimeOnASoundDevice : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server = std::make_unique<PrivateSoundServer>();
        available = server->start() && !QMediaDevices::defaultAudioOutput().isNull();
    }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override
    {
        if (!available)
            GTEST_SKIP() << "no PulseAudio server could be started here";
    }

    static inline std::unique_ptr<PrivateSoundServer> server;
    static inline bool available = false;
};

TEST_F(ChimeOnASoundDevice, TheDeviceHearsTheWholeChime)
{
    MonitorRecording recording;
    AudioSinkChimeOutput output;
    ASSERT_TRUE(output.start());
    EXPECT_TRUE(output.isRunning());
    output.playFromStart(CompanionChime::samples());
    // The chime is about a quarter of a second long, with no pause as long as this in it.
    EXPECT_TRUE(waitUntil([&] { return silentFor(recording.samples(), 0.15); }));
    output.pause();
    EXPECT_FALSE(output.isRunning());
    const std::vector<float> heard = recording.stop();

    EXPECT_NEAR(peakOf(heard), peakOf(CompanionChime::samples()), 0.01f);
    EXPECT_NEAR(audibleSeconds(heard), 0.24, 0.03);
}

TEST_F(ChimeOnASoundDevice, TheSharedPlayerPlaysAndThenGivesTheDeviceBack)
{
    MonitorRecording recording;
    AudioSinkChimeOutput output;
    RecordingSystemSounds systemSounds;
    CompanionNotificationSound sound(output, systemSounds, Scheduler::main());

    sound.play();
    EXPECT_TRUE(output.isRunning());
    EXPECT_TRUE(waitUntil([&] { return !output.isRunning(); }, 900)) << "paused 700 ms after the chime";
    const std::vector<float> heard = recording.stop();

    EXPECT_TRUE(systemSounds.played.isEmpty()) << "no fallback with a device";
    EXPECT_NEAR(peakOf(heard), peakOf(CompanionChime::samples()), 0.01f);
}

} // namespace
