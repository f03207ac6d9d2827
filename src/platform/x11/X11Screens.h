#pragma once

#include "platform/Screens.h"

#include <QHash>
#include <QRect>

class XcbConnection;
class QScreen;

// Qt's monitors with the visible frames the window manager announces: each
// monitor less what _NET_WORKAREA leaves out (Qt ignores the work area as
// soon as there is more than one monitor). The display number is the atom of
// the monitor's name, the same for as long as the X server runs.
class X11Screens final : public Screens {
    Q_OBJECT
public:
    // connection may be null (no X server): visible frames are then Qt's.
    explicit X11Screens(XcbConnection* connection);

    QList<DesktopScreen> screens() const override;
    std::optional<DesktopScreen> mainScreen() const override;
    QPointF mouseLocation() const override;

private:
    DesktopScreen describe(QScreen* screen, const QRectF& primary) const;
    void watch(QScreen* screen);
    void readWorkArea();
    void announceChangeSoon();

    XcbConnection* m_connection;
    std::optional<QRect> m_workArea;
    mutable QHash<QString, quint32> m_displayNumbers;
    bool m_changeAnnounced = false;
};
