#include "CompanionNotificationSound.h"

#include "CompanionChime.h"
#include "SystemSoundPlayer.h"

#include "AudioModule.h"

bool ModuleChimeOutput::start()
{
    if (!m_output) {
        const AudioModule* module = AudioModule::load();
        if (!module)
            return false;
        m_output = module->makeChimeOutput();
    }
    return m_output->start();
}

CompanionNotificationSound::CompanionNotificationSound(ChimeOutput& output, SystemSoundPlayer& systemSounds,
                                                       Scheduler& scheduler)
    : m_output(output), m_systemSounds(systemSounds), m_scheduler(scheduler), m_buffer(CompanionChime::samples())
{
}

CompanionNotificationSound::~CompanionNotificationSound()
{
    // The pause refers to this object; only the newest can still be pending.
    m_pauseTask.cancel();
}

CompanionNotificationSound& CompanionNotificationSound::shared()
{
    // Never destroyed: the audio sink must not be torn down after the
    // application object at exit.
    static auto* const output = new ModuleChimeOutput;
    static auto* const sound = new CompanionNotificationSound(*output, SystemSoundPlayer::main(), Scheduler::main());
    return *sound;
}

void CompanionNotificationSound::play()
{
    if (!m_output.isRunning() && !m_output.start()) {
        m_systemSounds.play(QStringLiteral("Tink"));
        return;
    }
    m_output.playFromStart(m_buffer);
    m_pauseTask.cancel();
    m_pauseTask = m_scheduler.schedule(pauseDelay, [this] { m_output.pause(); });
}
