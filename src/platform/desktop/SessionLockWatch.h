#pragma once

#include <QObject>

#include <functional>

// Whether the session is locked, as the desktop's screen locker announces it
// on the session bus (the ScreenSaver interfaces' ActiveChanged signal, which
// the freedesktop, GNOME, KDE, Xfce and light-locker lockers send). Without a
// session bus, or a locker that speaks, it never reports a lock.
class SessionLockWatch final : public QObject {
    Q_OBJECT
public:
    explicit SessionLockWatch(std::function<void(bool locked)> changed, QObject* parent = nullptr);

    bool locked() const { return m_locked; }

private Q_SLOTS:
    void lockerActiveChanged(bool active);

private:
    std::function<void(bool)> m_changed;
    bool m_locked = false;
};
