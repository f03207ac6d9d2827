#include "platform/x11/X11Screens.h"

#include "platform/DesktopCoordinates.h"
#include "platform/x11/XcbConnection.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

X11Screens::X11Screens(XcbConnection* connection) : m_connection(connection)
{
    for (QScreen* screen : QGuiApplication::screens())
        watch(screen);
    connect(qApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        watch(screen);
        announceChangeSoon();
    });
    connect(qApp, &QGuiApplication::screenRemoved, this, &X11Screens::announceChangeSoon);
    connect(qApp, &QGuiApplication::primaryScreenChanged, this, &X11Screens::announceChangeSoon);

    if (!m_connection)
        return;
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(m_connection->raw(), m_connection->root(), XCB_CW_EVENT_MASK, &mask);
    m_connection->setEventHandler([this](const xcb_generic_event_t& event) {
        if ((event.response_type & ~0x80) != XCB_PROPERTY_NOTIFY)
            return;
        const auto& change = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (change.atom == m_connection->ewmh()->_NET_WORKAREA
            || change.atom == m_connection->ewmh()->_NET_CURRENT_DESKTOP) {
            readWorkArea();
            announceChangeSoon();
        }
    });
    readWorkArea();
}

void X11Screens::watch(QScreen* screen)
{
    connect(screen, &QScreen::geometryChanged, this, &X11Screens::announceChangeSoon);
    connect(screen, &QScreen::availableGeometryChanged, this, &X11Screens::announceChangeSoon);
}

// One rearrangement of monitors reaches Qt as several signals; callers hear
// of it once, after the last of them.
void X11Screens::announceChangeSoon()
{
    if (m_changeAnnounced)
        return;
    m_changeAnnounced = true;
    QTimer::singleShot(0, this, [this] {
        m_changeAnnounced = false;
        Q_EMIT parametersChanged();
    });
}

void X11Screens::readWorkArea()
{
    xcb_ewmh_connection_t* ewmh = m_connection->ewmh();
    uint32_t desktop = 0;
    if (!xcb_ewmh_get_current_desktop_reply(ewmh, xcb_ewmh_get_current_desktop(ewmh, m_connection->screenNumber()),
                                            &desktop, nullptr))
        desktop = 0;
    xcb_ewmh_get_workarea_reply_t reply;
    m_workArea.reset();
    if (!xcb_ewmh_get_workarea_reply(ewmh, xcb_ewmh_get_workarea(ewmh, m_connection->screenNumber()), &reply, nullptr))
        return;
    if (reply.workarea_len > 0) {
        const xcb_ewmh_geometry_t& area = reply.workarea[desktop < reply.workarea_len ? desktop : 0];
        m_workArea = QRect(static_cast<int>(area.x), static_cast<int>(area.y), static_cast<int>(area.width),
                           static_cast<int>(area.height));
    }
    xcb_ewmh_get_workarea_reply_wipe(&reply);
}

DesktopScreen X11Screens::describe(QScreen* screen, const QRectF& primary) const
{
    const QRect geometry = screen->geometry();
    QRect visible = screen->availableGeometry();
    if (m_workArea) {
        // A work area that misses the monitor entirely says nothing about it.
        const QRect inside = geometry.intersected(*m_workArea);
        visible = inside.isEmpty() ? geometry : inside;
    }

    DesktopScreen described{DesktopCoordinates::fromQt(geometry, primary), DesktopCoordinates::fromQt(visible, primary),
                            std::nullopt};
    const QString name = screen->name();
    if (!name.isEmpty()) {
        auto known = m_displayNumbers.find(name);
        if (known == m_displayNumbers.end()) {
            const quint32 number = m_connection ? m_connection->atom(name.toUtf8().constData()) : qHash(name, 0);
            known = m_displayNumbers.insert(name, number);
        }
        described.displayNumber = *known;
    }
    return described;
}

QList<DesktopScreen> X11Screens::screens() const
{
    const QRectF primary = DesktopCoordinates::primaryScreenGeometry();
    QList<DesktopScreen> result;
    QScreen* primaryScreen = QGuiApplication::primaryScreen();
    if (primaryScreen)
        result.append(describe(primaryScreen, primary));
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen != primaryScreen)
            result.append(describe(screen, primary));
    }
    return result;
}

std::optional<DesktopScreen> X11Screens::mainScreen() const
{
    QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return std::nullopt;
    return describe(primary, DesktopCoordinates::primaryScreenGeometry());
}

QPointF X11Screens::mouseLocation() const
{
    return DesktopCoordinates::pointFromQt(QCursor::pos(), DesktopCoordinates::primaryScreenGeometry());
}
