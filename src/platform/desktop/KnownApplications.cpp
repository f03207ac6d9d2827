#include "platform/desktop/KnownApplications.h"

#include <algorithm>

namespace {

// A row names the Linux applications that do the same job, the most common
// first. Rows without an identifier of their own are identified by their
// first desktop entry, so both directions of the lookup agree whichever of
// the candidates is installed.
const QList<KnownApplication>& table()
{
    static const QList<KnownApplication> rows{
        {
            QStringLiteral("/Applications/Google Chrome.app"),
            QStringLiteral("com.google.Chrome"),
            {QStringLiteral("google-chrome"), QStringLiteral("com.google.Chrome"), QStringLiteral("chromium"),
             QStringLiteral("org.chromium.Chromium")},
            {QStringLiteral("google-chrome"), QStringLiteral("chromium"), QStringLiteral("chromium-browser")},
            QStringLiteral("Chrome browser"),
        },
        {
            QStringLiteral("/System/Applications/Utilities/Activity Monitor.app"),
            QStringLiteral("gnome-system-monitor"),
            {QStringLiteral("gnome-system-monitor"), QStringLiteral("org.gnome.SystemMonitor"),
             QStringLiteral("org.kde.plasma-systemmonitor"), QStringLiteral("org.kde.ksysguard"),
             QStringLiteral("xfce4-taskmanager"), QStringLiteral("mate-system-monitor"), QStringLiteral("lxtask")},
            {QStringLiteral("gnome-system-monitor"), QStringLiteral("plasma-systemmonitor"),
             QStringLiteral("ksysguard"), QStringLiteral("xfce4-taskmanager"), QStringLiteral("mate-system-monitor"),
             QStringLiteral("lxtask")},
            QStringLiteral("system monitor"),
        },
        {
            QStringLiteral("/System/Applications/Calendar.app"),
            QStringLiteral("org.gnome.Calendar"),
            {QStringLiteral("org.gnome.Calendar"), QStringLiteral("org.kde.korganizer"),
             QStringLiteral("org.kde.merkuro.calendar")},
            {QStringLiteral("gnome-calendar"), QStringLiteral("org.gnome.Calendar"), QStringLiteral("korganizer"),
             QStringLiteral("merkuro-calendar")},
            QStringLiteral("calendar application"),
        },
        {
            QStringLiteral("/System/Applications/Messages.app"),
            QStringLiteral("sm.puri.Chatty"),
            {QStringLiteral("sm.puri.Chatty"), QStringLiteral("org.kde.kdeconnect.sms")},
            {QStringLiteral("chatty"), QStringLiteral("kdeconnect.sms")},
            QStringLiteral("messaging application"),
        },
        {
            QStringLiteral("/System/Applications/Phone.app"),
            QStringLiteral("org.gnome.Calls"),
            {QStringLiteral("org.gnome.Calls"), QStringLiteral("org.kde.phone.dialer")},
            {QStringLiteral("gnome-calls"), QStringLiteral("org.gnome.Calls"), QStringLiteral("plasmaphonedialer")},
            QStringLiteral("phone application"),
        },
        {
            QStringLiteral("/System/Applications/Music.app"),
            QStringLiteral("org.gnome.Music"),
            {QStringLiteral("org.gnome.Music"), QStringLiteral("org.gnome.Rhythmbox3"), QStringLiteral("rhythmbox"),
             QStringLiteral("org.kde.elisa"), QStringLiteral("org.gnome.Lollypop"), QStringLiteral("audacious")},
            {QStringLiteral("gnome-music"), QStringLiteral("org.gnome.Music"), QStringLiteral("rhythmbox"),
             QStringLiteral("elisa"), QStringLiteral("lollypop"), QStringLiteral("audacious")},
            QStringLiteral("music player"),
        },
        {
            QStringLiteral("/System/Applications/Weather.app"),
            QStringLiteral("org.gnome.Weather"),
            {QStringLiteral("org.gnome.Weather"), QStringLiteral("org.kde.kweather")},
            {QStringLiteral("gnome-weather"), QStringLiteral("org.gnome.Weather"), QStringLiteral("kweather")},
            QStringLiteral("weather application"),
        },
        {
            QStringLiteral("/System/Applications/Clock.app"),
            QStringLiteral("org.gnome.clocks"),
            {QStringLiteral("org.gnome.clocks"), QStringLiteral("org.kde.kclock")},
            {QStringLiteral("gnome-clocks"), QStringLiteral("org.gnome.clocks"), QStringLiteral("kclock")},
            QStringLiteral("clock application"),
        },
    };
    return rows;
}

template <typename Predicate>
std::optional<KnownApplication> firstRow(Predicate matches)
{
    const auto& rows = table();
    const auto found = std::find_if(rows.begin(), rows.end(), matches);
    if (found == rows.end())
        return std::nullopt;
    return *found;
}

} // namespace

namespace KnownApplications {

std::optional<KnownApplication> withPath(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    return firstRow([&](const KnownApplication& row) { return row.path == path; });
}

std::optional<KnownApplication> withWindowClass(const QString& windowClass)
{
    if (windowClass.isEmpty())
        return std::nullopt;
    return firstRow(
        [&](const KnownApplication& row) { return row.windowClasses.contains(windowClass, Qt::CaseInsensitive); });
}

std::optional<KnownApplication> withDesktopEntry(const QString& desktopEntryId)
{
    if (desktopEntryId.isEmpty())
        return std::nullopt;
    return firstRow([&](const KnownApplication& row) { return row.desktopEntries.contains(desktopEntryId); });
}

} // namespace KnownApplications
