#pragma once

#include <QString>

#include <memory>
#include <map>

class QSoundEffect;
class ResourceBundle;

// The named sounds of the desktop ("Tink", ...), played fire-and-forget.
class SystemSoundPlayer {
public:
    virtual ~SystemSoundPlayer() = default;

    // Plays the sound called name; silence when there is none of that name.
    virtual void play(const QString& name) = 0;

    // The player of the running program, drawing on its resource bundle.
    static SystemSoundPlayer& main();
};

// Plays "<name>.wav" from a resource bundle, looked up at each call.
class ResourceBundleSoundPlayer final : public SystemSoundPlayer {
public:
    explicit ResourceBundleSoundPlayer(const ResourceBundle& bundle);
    ~ResourceBundleSoundPlayer() override;

    ResourceBundleSoundPlayer(const ResourceBundleSoundPlayer&) = delete;
    ResourceBundleSoundPlayer& operator=(const ResourceBundleSoundPlayer&) = delete;

    void play(const QString& name) override;

    // The file played for name, or an empty text when the bundle has no such sound.
    QString soundPath(const QString& name) const;

private:
    const ResourceBundle& m_bundle;
    // One effect per name, kept alive so a sound is not cut off when the
    // call that started it returns, and reused on the next call.
    std::map<QString, std::unique_ptr<QSoundEffect>> m_effects;
};
