#pragma once

#include <QString>

#include <cstdint>

// One desktop notification as a program sent it to the notification server:
// what it says and the standard hints that tell what it is about.
struct DesktopNotification {
    enum class Urgency : std::uint8_t { low, normal, critical };

    QString appName = {};
    QString summary = {};
    // May carry the notification format's markup.
    QString body = {};
    // The "category" hint, e.g. "email.arrived"; empty when not given.
    QString category = {};
    // The "desktop-entry" hint: the sender's desktop entry, without ".desktop".
    QString desktopEntry = {};
    Urgency urgency = Urgency::normal;
};
