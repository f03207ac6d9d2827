// The main and status menus as they are drawn: dark like the opened panel on
// a light desktop, in the desktop's own colours on a dark one.
#include "shell/CompanionAppTestKit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QMenu>

namespace {

struct Shades {
    double darkShare = 0; // of all pixels, darker than a quarter grey
    int lightPixels = 0;  // nearly white: the items' text
};

Shades shadesOf(QMenu& menu, const QString& name)
{
    menu.adjustSize();
    const QImage shot = menu.grab().toImage();
    QDir().mkpath(QStringLiteral(LUMIVO_BINARY_DIR "/screenshots"));
    shot.save(QStringLiteral(LUMIVO_BINARY_DIR "/screenshots/%1.png").arg(name));
    Shades shades;
    int dark = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            const int lightness = shot.pixelColor(x, y).lightness();
            dark += lightness < 64;
            shades.lightPixels += lightness > 220;
        }
    }
    shades.darkShare = double(dark) / (shot.width() * shot.height());
    return shades;
}

TEST(CompanionMenus, WearThePanelsDarkLookOnALightDesktop)
{
    ASSERT_GT(QApplication::palette().color(QPalette::Window).lightness(), 160) << "the tests' desktop should be light";
    CompanionAppTestKit t;
    t.start();
    for (const auto& [menu, name] : {std::pair{&t.mainMenu(), QStringLiteral("main-menu")},
                                     std::pair{&t.statusMenu(), QStringLiteral("status-menu")}}) {
        const Shades shades = shadesOf(*menu, name);
        EXPECT_GT(shades.darkShare, 0.8) << name.toStdString();
        EXPECT_GT(shades.lightPixels, 100) << name.toStdString() << ": no light text";
    }
}

TEST(CompanionMenus, KeepADarkDesktopsOwnColours)
{
    const QPalette light = QApplication::palette();
    QPalette desktop(QColor(40, 44, 70));
    desktop.setColor(QPalette::Highlight, QColor(0, 140, 90));
    QApplication::setPalette(desktop);
    CompanionAppTestKit t;
    t.start();
    for (const QMenu* menu : {&t.mainMenu(), &t.statusMenu()}) {
        EXPECT_EQ(menu->palette().color(QPalette::Window), desktop.color(QPalette::Window));
        EXPECT_EQ(menu->palette().color(QPalette::Highlight), QColor(0, 140, 90));
    }
    QApplication::setPalette(light);
}

} // namespace
