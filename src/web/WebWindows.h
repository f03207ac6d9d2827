#pragma once

#include "WebWindow.h"
#include "actions/Lifetime.h"
#include "model/CompanionEdition.h"
#include "services/AddressMap.h"

#include <QMetaObject>
#include <QSize>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class Applications;
class CompanionModel;
class CompanionServices;
class Scheduler;
class WebEngineModule;

// The companion's two web windows, each made on first use and kept for the
// life of the process: the chat window for the assistant's chat and talk
// pages (and the context packet's page), and the reporting funnel's window.
// The web engine loads with the first of them. Main thread only.
class WebWindows {
public:
    static inline const QString chatTitle = QStringLiteral("My Vora Chat");
    static inline const QString funnelTitle = QStringLiteral("Vora AI Audit · Zorivir 2.0");

    struct Environment {
        CompanionModel& model;
        Scheduler& scheduler;
        // Opens a page in the default browser: a page's new windows, and every
        // page when the web engine cannot be loaded.
        Applications& applications;
        CompanionServices& services;
        CompanionEdition edition;
        // Where the local server's pages really are; empty for their real place.
        AddressMap addresses = {};
        // Where to look for the web engine module.
        QStringList engineFolders = {};
    };

    explicit WebWindows(Environment environment);
    ~WebWindows();

    // Points the model's openChat, openTalk, openZorivirReport and
    // openZorivirPlan hooks here; each opening waits for the menu to settle.
    void fillModelHooks();

    void openChatWork();
    void openTalkWork();
    void openZorivirFunnel(const std::optional<QString>& stage);
    // The chat page running prompt, shown at once. Nothing calls it yet.
    void openCodexAction(const QString& prompt);
    // The owner's outside assistant briefed with the business's live
    // snapshot, in the chat window. Nothing calls it yet.
    void openChatWithContext();

    // None until first used.
    WebWindow* chatWindow() const { return m_chatWindow.get(); }
    WebWindow* zorivirWindow() const { return m_zorivirWindow.get(); }

private:
    // Runs work now, or once the open menu has begun to close, unless these
    // windows are gone by then.
    void afterMenuSettles(std::function<void(WebWindows&)> work);
    void showInChatWindow(const QUrl& page);
    void showInZorivirWindow(const QUrl& page);
    // Shows page in window, making the window first when there is none.
    void showIn(std::unique_ptr<WebWindow>& window, const QString& title, QSize size, const QUrl& page);
    WebEngineModule* engine();
    void closeForQuit();

    Environment m_environment;
    std::unique_ptr<WebWindow> m_chatWindow;
    std::unique_ptr<WebWindow> m_zorivirWindow;
    QMetaObject::Connection m_quitting;
    Lifetime m_lifetime;
};
