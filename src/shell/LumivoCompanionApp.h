#pragma once

#include "actions/DesktopActions.h"
#include "activity/InboundActivityWatcher.h"
#include "activity/SessionBusNotificationMonitor.h"
#include "model/CompanionEdition.h"
#include "model/CompanionModel.h"
#include "platform/Desktop.h"
#include "platform/MouseMonitor.h"
#include "platform/Panels.h"
#include "platform/Screens.h"
#include "platform/Visibility.h"
#include "services/CompanionServices.h"

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QMenu;
class QSettings;
class QSystemTrayIcon;
class QWidget;
class WebWindows;

// The application delegate: builds the floating panel around the mascot and
// the alert panel beside it, keeps them placed on the user's screens, wires
// every action of the model to the desktop, answers "lumivo:" links, and
// saves the panel's position. One instance lives as long as the process;
// everything runs on the main thread.
class LumivoCompanionApp final : public QObject {
    Q_OBJECT

public:
    static inline const QString panelPositionXKey = QStringLiteral("lumivo-companion-panel-x");
    static inline const QString panelPositionYKey = QStringLiteral("lumivo-companion-panel-y");
    static inline const QString followAcrossScreensKey = QStringLiteral("lumivo-companion-follow-screens");
    // Read and written by the alert poll.
    static inline const QString latestNotificationIDKey = LocalServerPolling::latestNotificationIDKey;

    // What the delegate is given by the program around it.
    struct Environment {
        Desktop desktop;
        QSettings& settings;
        Scheduler& scheduler;
        SystemSoundPlayer& systemSounds;
        ApplicationPicker& applicationPicker;
        std::function<void()> playChime;
        // The views shown in the floating panel and in the alert panel.
        std::function<std::unique_ptr<QWidget>(CompanionModel&)> makeCompanionView;
        std::function<std::unique_ptr<QWidget>(CompanionModel&)> makeAlertBubbleView;
        // Ends the event loop; shutdown follows through applicationWillTerminate().
        std::function<void()> terminate;
        // Told whether anybody can see the panels, so the views' animations
        // rest while nobody can.
        std::function<void(bool seen)> panelsSeen = [](bool) {};
        // The status-bar icon, or an empty path when the bundle has none.
        QString statusIconPath;
        // The edition's icon in the desktop's icon theme, preferred to the
        // bundle's picture when installed.
        QString statusIconName;
        CompanionEdition edition;
        // Where the local server and the weather service are reached; empty
        // for their real addresses.
        AddressMap serverAddresses = {};
        // What the inbound watcher observes: the session bus's notifications.
        std::function<std::unique_ptr<NotificationStream>()> makeNotificationStream = [] {
            return std::make_unique<SessionBusNotificationMonitor>();
        };
    };

    explicit LumivoCompanionApp(Environment environment);
    ~LumivoCompanionApp() override;

    // The follow switch as saved, or on when nothing is saved.
    bool followAcrossScreensDefault() const;

    // The main menu ("Varadi") with its actions aimed at delegate.
    static std::unique_ptr<QMenu> makeMainMenu(LumivoCompanionApp* delegate);
    void configureStatusItem();

    void applicationDidFinishLaunching();
    void applicationWillTerminate();
    bool applicationShouldHandleReopen();
    void openURLs(const QList<QUrl>& urls);
    void handleCompanionURL(const QUrl& url);

    // Screens and the saved position.
    void restorePanelPosition();
    void persistPanelPosition();
    std::optional<DesktopScreen> screenUnderMouse() const;
    std::optional<DesktopScreen> bestScreen(const QRectF& rect) const;

    // The alert panel.
    void configureAlertPanel();
    void positionAlertPanel();
    void prepareAlertPresentation();
    void finishAlertPresentation();

    // The menu.
    void setMenuOpen(bool open);
    void resizePanel(bool forMenu);
    void toggleCompanionHidden();

    // Dragging and walking.
    void beginPanelDrag();
    void dragPanel(const QSizeF& translation);
    void endPanelDrag();
    void startWalking();
    void stopWalking();
    // Walking's on-off switch. Nothing calls it yet, so the mascot never walks.
    void toggleWalking();
    void takeStep();

    // Summoning and following.
    void summonPanelToActiveScreen(bool animate = true, bool force = false);
    void startScreenFollowing();
    void followActiveScreenIfNeeded();
    void startClickSummonMonitoring();
    void movePanel(const DesktopScreen& screen, bool animate);
    void reconcilePanelWithScreens();
    void resetLumivoPosition();
    void toggleFollowAcrossScreens(QAction* item);
    void showLumivo();
    void hideLumivo();

    // The status item, with the status menu as its context menu.
    const QSystemTrayIcon* statusItem() const { return m_statusItem.get(); }
    // The collapsed origin the panel goes back to when the menu closes; nothing once it has.
    std::optional<QPointF> panelOriginBeforeMenuOpen() const { return m_panelOriginBeforeMenuOpen; }

private:
    static void addPlacementItems(QMenu& menu, const QString& name, LumivoCompanionApp* delegate);
    static QAction* addQuitItem(QMenu& menu, const QString& name, LumivoCompanionApp* delegate);
    void wireHooks();
    // The panel's screen, else the main screen.
    std::optional<DesktopScreen> panelScreenOrMain() const;
    std::optional<DesktopScreen> mainScreen() const;
    std::optional<DesktopScreen> bestScreenOrMain(const QRectF& rect) const;
    // Runs work on a later turn of the main loop, if the delegate still lives.
    void later(std::function<void(LumivoCompanionApp&)> work);
    void savePanelOrigin(const QPointF& origin);
    void startVisibilityMonitoring();

    std::unique_ptr<QSystemTrayIcon> m_statusItem;
    std::unique_ptr<QMenu> m_statusMenu;
    std::unique_ptr<QMenu> m_mainMenu;
    std::unique_ptr<Panel> m_panel;
    std::unique_ptr<Panel> m_alertPanel;
    QMetaObject::Connection m_screenParametersObserver;
    QList<QMetaObject::Connection> m_workspaceObservers;
    std::optional<ScheduledWork> m_walkTimer;
    std::optional<ScheduledWork> m_screenFollowTimer;
    int m_screenFollowDwell = 0;
    bool m_screenHopInFlight = false;
    bool m_followAcrossScreens = true;
    std::unique_ptr<MonitorToken> m_clickSummonMonitor;
    std::unique_ptr<MonitorToken> m_visibilityMonitor;
    qreal m_direction = 1;
    std::optional<QPointF> m_panelDragOrigin;
    std::optional<QPointF> m_panelOriginBeforeMenuOpen;
    bool m_resumeWalkingAfterDrag = false;
    CompanionModel m_model;
    // The local server's and the weather service's clients: the poll loops,
    // the fleet and the mobile link.
    std::unique_ptr<CompanionServices> m_services;
    // The launchers, the task manager, the Chrome tiling and the Google links.
    std::unique_ptr<DesktopActions> m_actions;
    std::unique_ptr<InboundActivityWatcher> m_inboundWatcher;
    // The chat and reporting-funnel windows, made on first use.
    std::unique_ptr<WebWindows> m_webWindows;
    Environment m_environment;
    // What the panels show, for watching whether anybody can see them.
    QList<QWidget*> m_panelContents;
};
