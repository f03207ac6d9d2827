#include "SystemSoundPlayer.h"

#include "ResourceBundle.h"

#include <QSoundEffect>
#include <QUrl>

ResourceBundleSoundPlayer::ResourceBundleSoundPlayer(const ResourceBundle& bundle) : m_bundle(bundle) {}

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
    std::unique_ptr<QSoundEffect>& effect = m_effects[name];
    if (!effect)
        effect = std::make_unique<QSoundEffect>();
    const QUrl source = QUrl::fromLocalFile(path);
    if (effect->source() != source)
        effect->setSource(source);
    effect->play();
}

SystemSoundPlayer& SystemSoundPlayer::main()
{
    // Never destroyed: its sound effects must not be torn down after the
    // application object at exit.
    static auto* const player = new ResourceBundleSoundPlayer(ResourceBundle::main());
    return *player;
}
