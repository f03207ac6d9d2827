#include "SystemSoundPlayer.h"

#include "AudioModule.h"
#include "ResourceBundle.h"

ResourceBundleSoundPlayer::ResourceBundleSoundPlayer(const ResourceBundle& bundle) : m_bundle(bundle) { }

ResourceBundleSoundPlayer::~ResourceBundleSoundPlayer() = default;

QString ResourceBundleSoundPlayer::soundPath(const QString& name) const
{
    return m_bundle.pathFor(name, QStringLiteral("wav"));
}

void ResourceBundleSoundPlayer::play(const QString& name)
{
    const QString path = soundPath(name);
    if (path.isEmpty())
        return;
    if (!m_files) {
        const AudioModule* module = AudioModule::load();
        if (!module)
            return;
        m_files = module->makeSoundFilePlayer();
    }
    m_files->play(path);
}

SystemSoundPlayer& SystemSoundPlayer::main()
{
    // Never destroyed: its sound effects must not be torn down after the
    // application object at exit.
    static auto* const player = new ResourceBundleSoundPlayer(ResourceBundle::main());
    return *player;
}
