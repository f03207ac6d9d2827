#pragma once

// The opened menu hosted by a panel view over a model whose hooks record
// their calls, with the clocks of the view kit and stand-ins for the
// desktop's applications.

#include "panel/ViewTestKit.h"

#include "menu/OpenedMenu.h"
#include "model/CompanionModel.h"
#include "panel/CompanionView.h"

#include <QPainter>
#include <QSet>

#include <gtest/gtest.h>

#include <string>
#include <vector>

class MenuTestKit : public ViewTestKit {
public:
    explicit MenuTestKit(CompanionEdition edition = CompanionEdition::commandCenter, MenuBodies bodies = {})
        : m_edition(edition), m_bodies(std::move(bodies))
    {
        recordHooks();
        view.resize(516, 590);
    }

    // Opens the menu as the shell does, without animation.
    OpenedMenu& open()
    {
        if (!menu) {
            menu = new OpenedMenu(view, environment, m_edition, applications(), m_bodies);
            view.hostMenu(menu);
        }
        model->menuOpen = true;
        settle();
        return *menu;
    }

    void close()
    {
        model->menuOpen = false;
        settle();
    }

    // Lets the views follow the model: the card follows a turn after the panel.
    static void settle()
    {
        for (int turn = 0; turn < 3; ++turn)
            QCoreApplication::processEvents();
    }

    // Presses a control as a click of the pointer does.
    void press(const QString& accessibleName)
    {
        MenuButton* button = menu->control(accessibleName);
        ASSERT_NE(button, nullptr) << accessibleName.toStdString();
        button->click();
        settle();
    }

    std::vector<std::string> takeCalls() { return std::exchange(calls, {}); }

    // The applications the stand-in desktop has installed, and what it was asked.
    QSet<QString> installed;
    bool launchesSucceed = true;
    std::vector<std::string> desktopRequests;

    std::unique_ptr<CompanionModel> model = makeModel();
    CompanionView view{*model, environment};
    OpenedMenu* menu = nullptr;
    std::vector<std::string> calls;

    static QIcon colouredIcon(const QColor& colour)
    {
        QPixmap square(32, 32);
        square.fill(colour);
        return QIcon(square);
    }

private:
    MenuApplications applications()
    {
        return {
            .exists = [this](const QString& path) { return installed.contains(path); },
            .icon =
                [this](const QString& path) { return colouredIcon(installed.contains(path) ? Qt::green : Qt::gray); },
            .openApplication =
                [this](const QString& path, std::function<void(bool)> completion) {
                    desktopRequests.push_back("open " + path.toStdString());
                    completion(launchesSucceed);
                },
            .openURL = [this](const QUrl& url) { desktopRequests.push_back("url " + url.toString().toStdString()); },
        };
    }

    void record(const std::string& call) { calls.push_back(call); }

    void recordHooks()
    {
        CompanionModel& m = *model;
        m.setMenuOpen = [this](bool open) { record(open ? "setMenuOpen(true)" : "setMenuOpen(false)"); };
        m.openGoogleLink = [this](CompanionCTA target) {
            record("openGoogleLink(" + target.rawValue().toStdString() + ")");
        };
        m.quitApp = [this](std::int32_t id) { record("quitApp(" + std::to_string(id) + ")"); };
        m.forceQuitApp = [this](std::int32_t id) { record("forceQuitApp(" + std::to_string(id) + ")"); };
        m.setBotEnabled = [this](const QString& id, bool on) {
            record("setBotEnabled(" + id.toStdString() + (on ? ",true)" : ",false)"));
        };
        m.setBotUpdates = [this](const QString& id, bool on) {
            record("setBotUpdates(" + id.toStdString() + (on ? ",true)" : ",false)"));
        };
        const std::vector<std::pair<Hook<> CompanionModel::*, std::string>> plain{
            {&CompanionModel::openChat, "openChat"},
            {&CompanionModel::openTalk, "openTalk"},
            {&CompanionModel::openDashboard, "openDashboard"},
            {&CompanionModel::openApprovals, "openApprovals"},
            {&CompanionModel::openActivityMonitor, "openActivityMonitor"},
            {&CompanionModel::openChatGPT, "openChatGPT"},
            {&CompanionModel::openClaude, "openClaude"},
            {&CompanionModel::openSlack, "openSlack"},
            {&CompanionModel::openSuperhuman, "openSuperhuman"},
            {&CompanionModel::openSchedule, "openSchedule"},
            {&CompanionModel::openGoToMeeting, "openGoToMeeting"},
            {&CompanionModel::openSuperhumanGo, "openSuperhumanGo"},
            {&CompanionModel::openHalfScreen, "openHalfScreen"},
            {&CompanionModel::openLumivoPay, "openLumivoPay"},
            {&CompanionModel::openZorivirReport, "openZorivirReport"},
            {&CompanionModel::openZorivirPlan, "openZorivirPlan"},
            {&CompanionModel::openMercury, "openMercury"},
            {&CompanionModel::openMessages, "openMessages"},
            {&CompanionModel::openPhone, "openPhone"},
            {&CompanionModel::copyMobileLink, "copyMobileLink"},
            {&CompanionModel::refreshRunningApps, "refreshRunningApps"},
            {&CompanionModel::refreshFleet, "refreshFleet"},
            {&CompanionModel::tileWindowsLeftRight, "tileWindowsLeftRight"},
            {&CompanionModel::tileWindowsToCorners, "tileWindowsToCorners"},
            {&CompanionModel::openRecallPage, "openRecallPage"},
            {&CompanionModel::closeGoogleSearchWindows, "closeGoogleSearchWindows"},
            {&CompanionModel::beginDrag, "beginDrag"},
            {&CompanionModel::endDrag, "endDrag"},
        };
        for (const auto& [hook, name] : plain)
            m.*hook = [this, name = name] { record(name); };
    }

    CompanionEdition m_edition;
    MenuBodies m_bodies;
};
