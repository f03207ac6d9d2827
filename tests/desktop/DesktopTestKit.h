#pragma once

// Helpers for tests on the private X11 desktop.

#include "support/WaitUntil.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QScreen>
#include <QStringList>

// Runs a command-line tool of the X11 desktop and returns what it printed.
inline QString runTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The private desktop is one 3200 x 1200 screen; split it as two monitors
// side by side, as a second display plugged in does. The left one is primary.
inline void splitIntoTwoMonitors()
{
    runTool(QStringLiteral("xrandr"),
            {QStringLiteral("--setmonitor"), QStringLiteral("*left"), QStringLiteral("1600/423x1200/317+0+0"),
             QStringLiteral("screen")});
    runTool(QStringLiteral("xrandr"),
            {QStringLiteral("--setmonitor"), QStringLiteral("right"), QStringLiteral("1600/423x1200/317+1600+0"),
             QStringLiteral("none")});
}

// The pointer, moved and pressed as xdotool does it, in X coordinates.
inline void pointerAt(const QPoint& point, const QStringList& then = {})
{
    runTool(QStringLiteral("xdotool"),
            QStringList{QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y())} + then);
}
inline void moveMouse(const QPoint& point) { pointerAt(point); }
inline void clickAt(const QPoint& point, int button = 1)
{
    pointerAt(point, {QStringLiteral("click"), QString::number(button)});
}
inline void pressAt(const QPoint& point) { pointerAt(point, {QStringLiteral("mousedown"), QStringLiteral("1")}); }
inline void releaseAt(const QPoint& point) { pointerAt(point, {QStringLiteral("mouseup"), QStringLiteral("1")}); }

// The window the window manager made active, as a decimal id.
inline QString activeWindow()
{
    return runTool(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}).trimmed();
}

// The desktop's pixels in a rectangle of X coordinates.
inline QImage grabDesktop(const QRect& area)
{
    return QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
}

// The same, kept as screenshots/<name>.png for people to look at.
inline QImage captureDesktop(const QRect& area, const QString& name)
{
    const QImage picture = grabDesktop(area);
    QDir().mkpath(QStringLiteral(LUMIVO_BINARY_DIR "/screenshots"));
    picture.save(QStringLiteral(LUMIVO_BINARY_DIR "/screenshots/%1.png").arg(name));
    return picture;
}

// How many pixels differ from the bare desktop's black.
inline int drawnPixels(const QImage& picture)
{
    int drawn = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            drawn += (picture.pixel(x, y) & 0xFFFFFF) != 0;
    return drawn;
}

// Waits until the desktop shows at least leastDrawn pixels in area, and the
// same in two looks in a row: what came in there has come to rest.
inline bool waitForStillPicture(const QRect& area, int leastDrawn = 1)
{
    QImage previous;
    return waitUntil([&] {
        QImage now = grabDesktop(area);
        const bool still = drawnPixels(now) >= leastDrawn && now == previous;
        previous = std::move(now);
        return still;
    });
}
