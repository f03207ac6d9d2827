#pragma once

#include "Scheduler.h"

#include <memory>
#include <span>
#include <vector>

class SystemSoundPlayer;

// Where the chime is played: an audio engine that is started once, plays a
// buffer of mono float samples at CompanionChime::sampleRate, and is paused
// to give the device back between chimes.
class ChimeOutput {
public:
    virtual ~ChimeOutput() = default;

    virtual bool isRunning() const = 0;
    // Opens the output; false when no output can be opened.
    virtual bool start() = 0;
    // Plays samples from their first one, interrupting whatever is playing.
    virtual void playFromStart(std::span<const float> samples) = 0;
    // Stops playing and releases the output; the next play starts it again.
    virtual void pause() = 0;
};

// The audio module's output, loaded when the chime first plays; without
// the module no output opens, and the sound falls back to "Tink".
class ModuleChimeOutput final : public ChimeOutput {
public:
    bool isRunning() const override { return m_output && m_output->isRunning(); }
    bool start() override;
    void playFromStart(std::span<const float> samples) override
    {
        if (m_output)
            m_output->playFromStart(samples);
    }
    void pause() override
    {
        if (m_output)
            m_output->pause();
    }

private:
    std::unique_ptr<ChimeOutput> m_output;
};

// The companion's notification sound: the chime, or the desktop's "Tink"
// when no audio output can be opened. Between chimes the output is paused so
// the device is not held open.
class CompanionNotificationSound {
public:
    // How long after the latest chime started the output is paused; the
    // chime itself lasts about a quarter second.
    static constexpr Scheduler::Duration pauseDelay{700};

    CompanionNotificationSound(ChimeOutput& output, SystemSoundPlayer& systemSounds, Scheduler& scheduler);
    ~CompanionNotificationSound();

    CompanionNotificationSound(const CompanionNotificationSound&) = delete;
    CompanionNotificationSound& operator=(const CompanionNotificationSound&) = delete;

    // The program's sound, made on first use.
    static CompanionNotificationSound& shared();

    // Plays the chime from its start, cutting off one still playing. Never
    // reports errors.
    void play();

private:
    ChimeOutput& m_output;
    SystemSoundPlayer& m_systemSounds;
    Scheduler& m_scheduler;
    const std::vector<float> m_buffer;
    ScheduledWork m_pauseTask;
};
