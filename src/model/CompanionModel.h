#pragma once

#include "Animation.h"
#include "BoundedQueue.h"
#include "CompanionAgentUsage.h"
#include "CompanionDestinations.h"
#include "CompanionRecords.h"
#include "Observable.h"
#include "Scheduler.h"

#include <QImage>
#include <QSet>
#include <QSizeF>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class ApplicationPicker;
class QSettings;
class SystemSoundPlayer;

// An action the shell fills once at start-up; until then it does nothing.
template <typename... Args>
using Hook = std::function<void(Args...)>;

inline constexpr auto doNothing = [](auto&&...) {};

// The one shared state of the companion. Views observe it through
// willChange() and reach the desktop only through its hooks; the shell and
// the local-server clients write what they learn into its published fields.
// Main thread only.
class CompanionModel final : public ObservableObject {
    Q_OBJECT

public:
    // What the model needs of the program around it.
    struct Environment {
        QSettings& settings;
        Scheduler& scheduler;
        SystemSoundPlayer& systemSounds;
        ApplicationPicker& applicationPicker;
        // The alert chime; the shared chime player unless a test replaces it.
        std::function<void()> playChime;
    };

    static inline const QString appearanceKey = QStringLiteral("lumivo-companion-appearance");
    static inline const QString googleSeparateKey = QStringLiteral("lumivo-companion-google-separate");
    static inline const QString personalAppsKey = QStringLiteral("lumivo-companion-personal-apps");

    // The most alerts that wait behind the one on show: about seven minutes
    // of bubbles at 24 s each. A flood beyond it keeps the newest.
    static constexpr std::size_t longestAlertQueue = 16;

    // How an alert springs into the bubble and how it leaves.
    static constexpr Animation alertArrival = Animation::spring(0.34, 0.86);
    static constexpr Animation alertDeparture = Animation::easeOut(0.18);

    explicit CompanionModel(Environment environment, QObject* parent = nullptr);
    ~CompanionModel() override;

    // Published state, in declaration order.
    Published<bool> isWalking{this, false};
    Published<bool> facingRight{this, true};
    Published<bool> menuOpen{this, false};
    Published<bool> menuOpensToRight{this, false};
    Published<bool> companionHidden{this, false};
    Published<bool> mobileLinkCopied{this, false};
    Published<bool> mobileInstructionsVisible{this, false};
    Published<std::optional<QImage>> mobileQRImage{this, std::nullopt};
    Published<CompanionAppearance> appearance;
    Published<CompanionExpression> expression{this, CompanionExpression::idle};
    Published<bool> isDragging{this, false};
    Published<std::optional<CompanionAlert>> activeAlert{this, std::nullopt};
    Published<bool> alertOpensToRight{this, false};
    Published<std::optional<CompanionAgentUsage>> agentUsage{this, std::nullopt};
    Published<bool> usagePanelOpen{this, false};
    Published<bool> googlePanelOpen{this, false};
    Published<bool> layoutPanelOpen{this, false};
    Published<bool> taskPanelOpen{this, false};
    Published<std::vector<RunningAppInfo>> runningApps{this, {}};
    Published<QSet<std::int32_t>> forceReadyApps{this, {}};

    Hook<> refreshRunningApps = doNothing;
    Hook<std::int32_t> quitApp = doNothing;
    Hook<std::int32_t> forceQuitApp = doNothing;

    Published<bool> fleetPanelOpen{this, false};
    Published<std::vector<FleetBot>> fleetBots{this, {}};
    Published<std::optional<QString>> fleetError{this, std::nullopt};
    Published<std::optional<QString>> confirmKillBotID{this, std::nullopt};

    Hook<> refreshFleet = doNothing;
    Hook<QString, bool> setBotEnabled = doNothing;
    Hook<QString, bool> setBotUpdates = doNothing;

    Published<QString> weatherText{this, QString()};
    Published<bool> googleOpensSeparately;
    Published<std::int64_t> waveSignal{this, 0};
    Published<QStringList> personalApps;

private:
    struct SameAlert {
        bool operator()(const CompanionAlert& a, const CompanionAlert& b) const { return a.isSameAlertAs(b); }
    };
    BoundedQueue<CompanionAlert, SameAlert> queuedAlerts{longestAlertQueue};
    ScheduledWork alertDismissTask;

public:
    Hook<bool> setMenuOpen = doNothing;
    Hook<> hide = doNothing;
    Hook<> resetPosition = doNothing;
    Hook<> openChat = doNothing;
    Hook<> openTalk = doNothing;
    Hook<> openDashboard = doNothing;
    Hook<> openApprovals = doNothing;
    Hook<> openActivityMonitor = doNothing;
    Hook<> openChatGPT = doNothing;
    Hook<> openClaude = doNothing;
    Hook<> openSlack = doNothing;
    Hook<> openSuperhuman = doNothing;
    Hook<> openCalendar = doNothing;
    Hook<> openSchedule = doNothing;
    Hook<> openGoToMeeting = doNothing;
    Hook<> openSuperhumanGo = doNothing;
    Hook<> openRecallPage = doNothing;
    Hook<> openHalfScreen = doNothing;
    Hook<> tileWindowsLeftRight = doNothing;
    Hook<> tileWindowsToCorners = doNothing;
    Hook<> openCRM = doNothing;
    Hook<> openPM = doNothing;
    Hook<> openRozidari = doNothing;
    Hook<> openCardConnect = doNothing;
    Hook<> openLumivoPay = doNothing;
    Hook<> openSupport = doNothing;
    Hook<> openWeb = doNothing;
    Hook<CompanionCTA> openGoogleLink = doNothing;
    Hook<> closeGoogleSearchWindows = doNothing;
    Hook<> openGoogleAds = doNothing;
    Hook<> openMetaAds = doNothing;
    Hook<> openSemrush = doNothing;
    Hook<> openJoinLumivo = doNothing;
    Hook<> openZorivirReport = doNothing;
    Hook<> openZorivirPlan = doNothing;
    Hook<> openMercury = doNothing;
    Hook<> openMessages = doNothing;
    Hook<> openPhone = doNothing;
    Hook<> copyMobileLink = doNothing;
    Hook<> beginDrag = doNothing;
    Hook<QSizeF> dragBy = doNothing;
    Hook<> endDrag = doNothing;
    Hook<> quit = doNothing;
    Hook<CompanionAlert> openAlert = doNothing;
    Hook<> prepareAlertPresentation = doNothing;
    Hook<> finishAlertPresentation = doNothing;
    Hook<> summonCompanion = doNothing;

    // Appearance and greeting.
    void setAppearance(CompanionAppearance newAppearance);
    void toggleAppearance();
    void requestWave();

    // The alert queue: at most one alert on show, the newest others wait
    // oldest first.
    void enqueueAlert(CompanionAlertSource source, const QString& detail = QString());
    void presentQueuedAlertIfIdle();
    void dismissAlert(bool openSource = false);
    // Shows a face now and returns to idle after the given seconds, unless
    // another face was put on meanwhile.
    void showExpression(CompanionExpression newExpression, double seconds = 2.6);

    // Saved preferences.
    void setGoogleOpensSeparately(bool separately);
    void addPersonalApp();
    void removePersonalApp(const QString& path);

private:
    void presentNextAlert();
    void presentAlert(const CompanionAlert& alert);
    void playSound(CompanionAlertSource source);
    ScheduledWork schedule(double seconds, std::function<void()> work);

    Environment m_environment;
};
