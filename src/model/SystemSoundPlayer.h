#pragma once

#include <QString>

#include <memory>

class ResourceBundle;
class SoundFilePlayer;

// The named sounds of the desktop ("Tink", ...), played fire-and-forget.
class SystemSoundPlayer {
public:
    virtual ~SystemSoundPlayer() = default;

    // Plays the sound called name; silence when there is none of that name.
    virtual void play(const QString& name) = 0;

    // The player of the running program, drawing on its resource bundle.
    static SystemSoundPlayer& main();
};

// Plays "<name>.wav" from a resource bundle, looked up at each call, through
// the audio module (loaded at the first sound).
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
    std::unique_ptr<SoundFilePlayer> m_files;
};
