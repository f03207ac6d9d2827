#pragma once

// A LumivoCompanionApp on a desktop in memory: fake screens, panels and
// mouse, settings in a temporary file and a clock the test moves.

#include "platform/fake/FakeDesktop.h"
#include "shell/LumivoCompanionApp.h"
#include "support/FakeNotificationStream.h"
#include "support/ModelTestKit.h"

#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

#include <chrono>
#include <stdexcept>

using namespace std::chrono_literals;

inline DesktopScreen makeScreen(const QRectF& frame, std::optional<quint32> number, const QRectF& visible = {})
{
    return {frame, visible.isNull() ? frame : visible, number};
}

inline AddressMap unreachableServers()
{
    AddressMap addresses;
    addresses.redirect(QUrl(QStringLiteral("http://127.0.0.1:4173")), QUrl(QStringLiteral("http://127.0.0.1:9")));
    addresses.redirect(QUrl(QStringLiteral("https://wttr.in")), QUrl(QStringLiteral("http://127.0.0.1:9")));
    return addresses;
}

class CompanionAppTestKit {
public:
    CompanionAppTestKit()
    {
        fake.screens.list = {laptop};
        fake.screens.mouse = QPointF(700, 450);
    }

    // The delegate as the next start makes it, reading the settings file.
    LumivoCompanionApp& start()
    {
        app.reset();
        m_settings = CompanionSettings::open(kit.settingsPath);
        app = std::make_unique<LumivoCompanionApp>(LumivoCompanionApp::Environment{
            .desktop = m_desktop,
            .settings = *m_settings,
            .scheduler = kit.scheduler,
            .systemSounds = kit.systemSounds,
            .applicationPicker = kit.picker,
            .playChime = [] {},
            .makeCompanionView =
                [this](CompanionModel& shown) {
                    model = &shown;
                    return std::make_unique<QWidget>();
                },
            .makeAlertBubbleView = [](CompanionModel&) { return std::make_unique<QWidget>(); },
            .terminate = [this] { ++terminations; },
            .panelsSeen = [this](bool seen) { seenAnswers.push_back(seen); },
            .statusIconPath = statusIconPath,
            .statusIconName = statusIconName,
            .edition = CompanionEdition::commandCenter,
            // Nothing answers there: the polls fail quietly.
            .serverAddresses = unreachableServers(),
            .makeNotificationStream =
                [this] {
                    auto stream = std::make_unique<FakeNotificationStream>();
                    notifications = stream.get();
                    return stream;
                },
        });
        app->applicationDidFinishLaunching();
        return *app;
    }

    FakePanel& panel() { return *fake.panels.made.at(fake.panels.made.size() - 2); }
    // The main menu, as a request for the mascot's context menu pops it up.
    QMenu& mainMenu()
    {
        panel().content->customContextMenuRequested(QPoint(10, 10));
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget()))
            return *menu;
        throw std::runtime_error("the mascot's context menu did not pop up");
    }
    QMenu& statusMenu() { return *app->statusItem()->contextMenu(); }
    FakePanel& alertPanel() { return *fake.panels.made.back(); }
    // Lets queued main-loop turns and timers run.
    void advance(std::chrono::milliseconds time = 0ms) { kit.scheduler.advance(time); }

    static inline const DesktopScreen laptop = makeScreen(QRectF(0, 0, 1440, 900), 1, QRectF(0, 0, 1440, 875));
    static inline const DesktopScreen external = makeScreen(QRectF(1440, 0, 1920, 1080), 2);

    ModelTestKit kit;
    FakeDesktop fake;
    std::unique_ptr<LumivoCompanionApp> app;
    // The model of the last start, as its panel's view was given it.
    CompanionModel* model = nullptr;
    int terminations = 0;
    // What the delegate told the views about the panels being seen.
    std::vector<bool> seenAnswers;
    QString statusIconPath;
    QString statusIconName;
    // What the inbound watcher of the last start observes.
    FakeNotificationStream* notifications = nullptr;

private:
    Desktop m_desktop = fake.desktop();
    std::unique_ptr<QSettings> m_settings;
};
