#include "shell/LumivoCompanionApp.h"

#include "model/CompanionSettings.h"
#include "model/LogCategories.h"
#include "model/ResourceBundle.h"
#include "platform/Applications.h"
#include "platform/Workspace.h"
#include "shell/CompanionLink.h"
#include "shell/MenuPalette.h"
#include "shell/PanelGeometry.h"
#include "web/WebWindows.h"

#include <QAction>
#include <QIcon>
#include <QKeySequence>
#include <QMenu>
#include <QPixmap>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QWidget>

#include <cmath>

using namespace std::chrono_literals;
using namespace PanelGeometry;

namespace {

constexpr Animation menuOpening = Animation::spring(0.38, 0.76);
constexpr Animation menuClosing = Animation::spring(0.36, 0.82);
constexpr auto alertPanelRemovalDelay = 220ms;
constexpr auto walkInterval = std::chrono::microseconds(1'000'000 / 60);
constexpr auto followInterval = 1s;
constexpr auto screenHopDuration = 280ms;
constexpr double arrivalExpressionSeconds = 1.4;
// A move shorter than this turns nobody around.
constexpr qreal facingThreshold = 1.0;
constexpr int followDwellTicks = 2;
// A dropped panel closer than this to a valid place is left where it is.
constexpr qreal dropTolerance = 0.5;

// Runs body when the delegate it holds weakly still exists.
template <typename Body>
auto weakly(LumivoCompanionApp* delegate, Body body)
{
    return [delegate = QPointer<LumivoCompanionApp>(delegate), body](auto&&... arguments) {
        if (delegate)
            body(*delegate, std::forward<decltype(arguments)>(arguments)...);
    };
}

} // namespace

LumivoCompanionApp::LumivoCompanionApp(Environment environment)
    : model(CompanionModel::Environment {environment.settings, environment.scheduler, environment.systemSounds,
                                         environment.applicationPicker, environment.playChime})
    , m_environment(std::move(environment))
{
    services = std::make_unique<CompanionServices>(CompanionServices::Environment {
        model, m_environment.settings, m_environment.scheduler, m_environment.desktop.pasteboard, m_environment.desktop.bell,
        m_environment.edition, m_environment.serverAddresses});
    actions = std::make_unique<DesktopActions>(DesktopActions::Environment {
        .model = model,
        .scheduler = m_environment.scheduler,
        .desktop = m_environment.desktop,
        .screenUnderMouse = [this] { return screenUnderMouse(); },
        .panelScreen = [this] { return panel ? panel->screen() : std::nullopt; },
    });
    webWindows = std::make_unique<WebWindows>(WebWindows::Environment {
        model, m_environment.scheduler, m_environment.desktop.applications, *services, m_environment.edition,
        m_environment.serverAddresses});
    followAcrossScreens = followAcrossScreensDefault();
}

LumivoCompanionApp::~LumivoCompanionApp() = default;

bool LumivoCompanionApp::followAcrossScreensDefault() const
{
    const QVariant stored = m_environment.settings.value(followAcrossScreensKey);
    return stored.isValid() ? CompanionSettings::boolReading(stored) : true;
}

// Show, Hide and Reset Position for the companion called name.
void LumivoCompanionApp::addPlacementItems(QMenu& menu, const QString& name, LumivoCompanionApp* delegate)
{
    QAction* show = menu.addAction(QStringLiteral("Show ") + name);
    QAction* hide = menu.addAction(QStringLiteral("Hide ") + name);
    QAction* reset = menu.addAction(QStringLiteral("Reset %1 Position").arg(name));
    if (!delegate)
        return;
    connect(show, &QAction::triggered, delegate, &LumivoCompanionApp::showLumivo);
    connect(hide, &QAction::triggered, delegate, &LumivoCompanionApp::hideLumivo);
    connect(reset, &QAction::triggered, delegate, &LumivoCompanionApp::resetLumivoPosition);
}

// A separator, then Quit (Ctrl+Q) for the companion called name.
QAction* LumivoCompanionApp::addQuitItem(QMenu& menu, const QString& name, LumivoCompanionApp* delegate)
{
    menu.addSeparator();
    QAction* quit = menu.addAction(QStringLiteral("Quit ") + name);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    if (delegate)
        connect(quit, &QAction::triggered, delegate, [delegate] { delegate->m_environment.terminate(); });
    return quit;
}

std::unique_ptr<QMenu> LumivoCompanionApp::makeMainMenu(LumivoCompanionApp* delegate)
{
    auto menu = std::make_unique<QMenu>(QStringLiteral("Varadi"));
    menu->setPalette(companionMenuPalette(menu->palette()));
    addPlacementItems(*menu, QStringLiteral("Vora"), delegate);
    QAction* follow = menu->addAction(QStringLiteral("Follow Me Across Screens"));
    follow->setCheckable(true);
    addQuitItem(*menu, QStringLiteral("Vora"), delegate)->setShortcutContext(Qt::ApplicationShortcut);
    if (delegate) {
        follow->setChecked(delegate->followAcrossScreensDefault());
        connect(follow, &QAction::triggered, delegate, [delegate, follow] { delegate->toggleFollowAcrossScreens(follow); });
    }
    return menu;
}

void LumivoCompanionApp::configureStatusItem()
{
    statusItem = std::make_unique<QSystemTrayIcon>();
    const QPixmap image = QPixmap::fromImage(readPng(m_environment.statusIconPath));
    const QIcon bundled = m_environment.statusIconPath.isEmpty() || image.isNull()
        ? QIcon()
        : QIcon(image.scaled(18, 18, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    // The installed icon theme draws the edition's icon sharp at every tray
    // size, and a tray that takes icons by name gets the name.
    const QIcon icon = QIcon::fromTheme(m_environment.statusIconName, bundled);
    if (!icon.isNull()) {
        statusItem->setIcon(icon);
        statusItem->setToolTip(QStringLiteral("CEO Vora"));
    } else {
        // Without its picture the item still stands, as an empty square.
        QPixmap empty(18, 18);
        empty.fill(Qt::transparent);
        statusItem->setIcon(QIcon(empty));
    }

    statusMenu = std::make_unique<QMenu>(QStringLiteral("CEO Vora"));
    statusMenu->setPalette(companionMenuPalette(statusMenu->palette()));
    addPlacementItems(*statusMenu, QStringLiteral("CEO Vora"), this);
    addQuitItem(*statusMenu, QStringLiteral("CEO Vora"), this);
    statusItem->setContextMenu(statusMenu.get());
    statusItem->show();
}

// Start-up, in order: the panel, the status item, placement, following,
// the alert panel, the greeting, the hooks and the observers.
void LumivoCompanionApp::applicationDidFinishLaunching()
{
    std::unique_ptr<QWidget> view = m_environment.makeCompanionView(model);
    mainMenu = makeMainMenu(this);
    // The desktop has no application menu bar: the main menu opens from the panel.
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view.get(), &QWidget::customContextMenuRequested, this, [this, widget = view.get()](const QPoint& point) {
        mainMenu->popup(widget->mapToGlobal(point));
    });

    const QRectF visible = mainScreen() ? mainScreen()->visibleFrame : fallbackScreenFrame;
    m_panelContents.append(view.get());
    panel = m_environment.desktop.panels.makePanel(std::move(view), cornerFrame(collapsedPanelSize, visible), PanelLevel::floating);
    panel->orderFront();

    configureStatusItem();
    restorePanelPosition();
    summonPanelToActiveScreen(false);
    startScreenFollowing();
    startClickSummonMonitoring();
    configureAlertPanel();
    startVisibilityMonitoring();
    services->polling.startNotificationPolling();
    services->polling.startAgentUsagePolling();
    services->polling.startWeatherPolling();
    later([](LumivoCompanionApp& delegate) { delegate.model.requestWave(); });
    auto watcher = std::make_unique<InboundActivityWatcher>(model, m_environment.scheduler, m_environment.makeNotificationStream());
    watcher->start();
    inboundWatcher = std::move(watcher);

    wireHooks();
    stopWalking();
}

void LumivoCompanionApp::wireHooks()
{
    model.setMenuOpen = weakly(this, [](LumivoCompanionApp& delegate, bool open) { delegate.setMenuOpen(open); });
    model.hide = weakly(this, [](LumivoCompanionApp& delegate) { delegate.toggleCompanionHidden(); });
    model.resetPosition = weakly(this, [](LumivoCompanionApp& delegate) { delegate.resetLumivoPosition(); });

    screenParametersObserver = connect(&m_environment.desktop.screens, &Screens::parametersChanged, this, [this] {
        later([](LumivoCompanionApp& delegate) { delegate.reconcilePanelWithScreens(); });
    });

    model.prepareAlertPresentation = weakly(this, [](LumivoCompanionApp& delegate) { delegate.prepareAlertPresentation(); });
    model.finishAlertPresentation = weakly(this, [](LumivoCompanionApp& delegate) { delegate.finishAlertPresentation(); });
    model.summonCompanion = weakly(this, [](LumivoCompanionApp& delegate) { delegate.summonPanelToActiveScreen(); });
    services->fillModelHooks();
    actions->fillModelHooks();
    webWindows->fillModelHooks();

    Workspace& workspace = m_environment.desktop.workspace;
    for (auto notification : {&Workspace::applicationLaunched, &Workspace::applicationTerminated, &Workspace::applicationActivated}) {
        workspaceObservers.append(connect(&workspace, notification, this, [this] {
            later([](LumivoCompanionApp& delegate) { delegate.model.refreshRunningApps(); });
        }));
    }

    model.beginDrag = weakly(this, [](LumivoCompanionApp& delegate) { delegate.beginPanelDrag(); });
    model.dragBy = weakly(this, [](LumivoCompanionApp& delegate, const QSizeF& translation) { delegate.dragPanel(translation); });
    model.endDrag = weakly(this, [](LumivoCompanionApp& delegate) { delegate.endPanelDrag(); });
    model.quit = m_environment.terminate;
}

void LumivoCompanionApp::applicationWillTerminate()
{
    services->polling.cancelAll();
    if (screenFollowTimer)
        screenFollowTimer->cancel();
    clickSummonMonitor.reset();
    visibilityMonitor.reset();
    if (inboundWatcher)
        inboundWatcher->stop();
    disconnect(screenParametersObserver);
    for (const QMetaObject::Connection& observer : std::as_const(workspaceObservers))
        disconnect(observer);
    persistPanelPosition();
}

bool LumivoCompanionApp::applicationShouldHandleReopen()
{
    showLumivo();
    return true;
}

void LumivoCompanionApp::openURLs(const QList<QUrl>& urls)
{
    for (const QUrl& url : urls)
        handleCompanionURL(url);
}

void LumivoCompanionApp::handleCompanionURL(const QUrl& url)
{
    const std::optional<CompanionLink::Request> request = CompanionLink::parse(url);
    qCDebug(lcLinks).noquote() << (request ? "acting on" : "ignoring") << url.toString();
    if (!request)
        return;
    if (std::holds_alternative<CompanionLink::OpenActivityMonitor>(*request)) {
        model.openActivityMonitor();
        return;
    }
    if (std::holds_alternative<CompanionLink::OpenSchedule>(*request)) {
        model.openSchedule();
        summonPanelToActiveScreen();
    } else {
        const auto& alert = std::get<CompanionLink::RaiseAlert>(*request);
        model.enqueueAlert(alert.source, alert.detail);
    }
    if (panel)
        panel->orderFront();
}

// Screens and the saved position.

std::optional<DesktopScreen> LumivoCompanionApp::mainScreen() const
{
    return m_environment.desktop.screens.mainScreen();
}

std::optional<DesktopScreen> LumivoCompanionApp::panelScreenOrMain() const
{
    if (panel) {
        if (std::optional<DesktopScreen> screen = panel->screen())
            return screen;
    }
    return mainScreen();
}

std::optional<DesktopScreen> LumivoCompanionApp::bestScreenOrMain(const QRectF& rect) const
{
    if (std::optional<DesktopScreen> screen = bestScreen(rect))
        return screen;
    return mainScreen();
}

std::optional<DesktopScreen> LumivoCompanionApp::screenUnderMouse() const
{
    const Screens& screens = m_environment.desktop.screens;
    return PanelGeometry::screenUnderMouse(screens.mouseLocation(), screens.screens());
}

std::optional<DesktopScreen> LumivoCompanionApp::bestScreen(const QRectF& rect) const
{
    return PanelGeometry::bestScreen(rect, m_environment.desktop.screens.screens());
}

// x before y, written together.
void LumivoCompanionApp::savePanelOrigin(const QPointF& origin)
{
    CompanionSettings::store(m_environment.settings, {{panelPositionXKey, origin.x()}, {panelPositionYKey, origin.y()}});
}

void LumivoCompanionApp::restorePanelPosition()
{
    if (!panel)
        return;
    QSettings& settings = m_environment.settings;
    if (!settings.contains(panelPositionXKey) || !settings.contains(panelPositionYKey))
        return;
    // Whole points: a fractional origin would make the window system grow the
    // panel by a pixel to cover it.
    QPointF origin(std::round(settings.value(panelPositionXKey).toDouble()), std::round(settings.value(panelPositionYKey).toDouble()));
    const QRectF rect(origin, panel->frame().size());
    if (const std::optional<DesktopScreen> screen = bestScreenOrMain(rect))
        origin = clampedOrigin(rect, screen->visibleFrame);
    panel->setFrame(QRectF(origin, rect.size()), FrameChange::immediate);
}

void LumivoCompanionApp::persistPanelPosition()
{
    std::optional<QPointF> origin;
    if (model.menuOpen)
        origin = panelOriginBeforeMenuOpen;
    else if (panel)
        origin = panel->frame().topLeft();
    if (!origin)
        return;
    savePanelOrigin(*origin);
}

// The alert panel.

void LumivoCompanionApp::configureAlertPanel()
{
    std::unique_ptr<QWidget> bubble = m_environment.makeAlertBubbleView(model);
    m_panelContents.append(bubble.get());
    alertPanel = m_environment.desktop.panels.makePanel(std::move(bubble), QRectF(QPointF(0, 0), alertPanelSize),
                                                        PanelLevel::aboveFloating);
}

void LumivoCompanionApp::startVisibilityMonitoring()
{
    visibilityMonitor = m_environment.desktop.visibility.addVisibilityMonitor(
        m_panelContents, weakly(this, [](LumivoCompanionApp& delegate, bool seen) { delegate.m_environment.panelsSeen(seen); }));
}

void LumivoCompanionApp::positionAlertPanel()
{
    if (!panel || !alertPanel || model.menuOpen)
        return;
    const std::optional<DesktopScreen> screen = panelScreenOrMain();
    if (!screen)
        return;
    const QRectF alertFrame = alertPanel->frame();
    const AlertPlacement placement = alertPanelPlacement(panel->frame(), alertFrame.size(), screen->visibleFrame);
    model.alertOpensToRight = placement.opensToRight;
    alertPanel->setFrame(QRectF(placement.origin, alertFrame.size()), FrameChange::immediate);
}

void LumivoCompanionApp::prepareAlertPresentation()
{
    if (model.menuOpen || model.companionHidden || panelDragOrigin)
        return;
    positionAlertPanel();
    if (alertPanel)
        alertPanel->orderFront();
}

void LumivoCompanionApp::finishAlertPresentation()
{
    m_environment.scheduler.schedule(alertPanelRemovalDelay, weakly(this, [](LumivoCompanionApp& delegate) {
        if (delegate.model.activeAlert.get())
            return;
        if (delegate.alertPanel)
            delegate.alertPanel->orderOut();
        delegate.model.alertOpensToRight = false;
    }));
}

// The menu.

void LumivoCompanionApp::setMenuOpen(bool open)
{
    if (model.menuOpen == open)
        return;
    if (open && (screenHopInFlight || model.isWalking))
        return;

    if (open) {
        if (alertPanel)
            alertPanel->orderOut();
        resizePanel(true);
        model.withAnimation(menuOpening, [this] { model.menuOpen = true; });
        return;
    }

    model.withAnimation(menuClosing, [this] {
        model.menuOpen = false;
        model.googlePanelOpen = false;
        model.usagePanelOpen = false;
        model.taskPanelOpen = false;
        model.fleetPanelOpen = false;
    });
    later([](LumivoCompanionApp& delegate) {
        delegate.resizePanel(false);
        if (!delegate.model.activeAlert.get())
            delegate.model.presentQueuedAlertIfIdle();
        else
            delegate.prepareAlertPresentation();
    });
}

void LumivoCompanionApp::resizePanel(bool forMenu)
{
    if (!panel)
        return;
    const std::optional<DesktopScreen> screen = panelScreenOrMain();
    if (!screen)
        return;
    const QRectF current = panel->frame();
    const QSizeF target = panelSize(forMenu, screen->visibleFrame);
    if (isAlreadySized(current.size(), target))
        return;

    QPointF origin = current.topLeft();
    if (forMenu) {
        panelOriginBeforeMenuOpen = origin;
        model.menuOpensToRight = menuOpensToRight(current, screen->visibleFrame);
        origin = openedPanelOrigin(current, model.menuOpensToRight);
    } else if (panelOriginBeforeMenuOpen) {
        origin = *std::exchange(panelOriginBeforeMenuOpen, std::nullopt);
    }
    origin = clampedOrigin(QRectF(origin, target), screen->visibleFrame);
    panel->setFrame(QRectF(origin, target), FrameChange::immediate);
}

void LumivoCompanionApp::toggleCompanionHidden()
{
    model.companionHidden = !model.companionHidden;
    if (model.companionHidden) {
        if (alertPanel)
            alertPanel->orderOut();
    } else if (model.activeAlert.get()) {
        prepareAlertPresentation();
    }
}

// Dragging and walking.

void LumivoCompanionApp::beginPanelDrag()
{
    if (!panel)
        return;
    panelDragOrigin = panel->frame().topLeft();
    model.isDragging = true;
    model.expression = CompanionExpression::excited;
    if (alertPanel)
        alertPanel->orderOut();
    resumeWalkingAfterDrag = walkTimer.has_value();
    if (resumeWalkingAfterDrag)
        stopWalking();
}

void LumivoCompanionApp::dragPanel(const QSizeF& translation)
{
    if (!panel || !panelDragOrigin)
        return;
    const std::optional<DesktopScreen> screen = panelScreenOrMain();
    if (!screen)
        return;
    const QRectF frame = panel->frame();
    const QPointF origin = draggedOrigin(*panelDragOrigin, translation, frame.size(), screen->visibleFrame);
    panel->setFrame(QRectF(origin, frame.size()), FrameChange::immediate);
    if (model.menuOpen)
        panelOriginBeforeMenuOpen = collapsedOriginForOpenedPanel(origin, model.menuOpensToRight, screen->visibleFrame);
}

void LumivoCompanionApp::endPanelDrag()
{
    if (panel) {
        const QRectF frame = panel->frame();
        if (const std::optional<DesktopScreen> screen = bestScreenOrMain(frame)) {
            const QPointF clamped = clampedOrigin(frame, screen->visibleFrame);
            const QPointF offset = clamped - frame.topLeft();
            if (std::abs(offset.x()) > dropTolerance || std::abs(offset.y()) > dropTolerance)
                panel->setFrame(QRectF(clamped, frame.size()), FrameChange::windowSystemAnimation);
            if (model.menuOpen)
                panelOriginBeforeMenuOpen = collapsedOriginForOpenedPanel(clamped, model.menuOpensToRight, screen->visibleFrame);
        }
    }
    panelDragOrigin.reset();
    model.isDragging = false;
    if (model.expression == CompanionExpression::excited)
        model.expression = CompanionExpression::idle;
    persistPanelPosition();
    if (model.activeAlert.get())
        prepareAlertPresentation();
    if (resumeWalkingAfterDrag)
        startWalking();
    resumeWalkingAfterDrag = false;
}

void LumivoCompanionApp::startWalking()
{
    model.isWalking = true;
    if (walkTimer)
        walkTimer->cancel();
    walkTimer = m_environment.scheduler.repeat(std::chrono::duration_cast<Scheduler::Duration>(walkInterval),
                                               weakly(this, [](LumivoCompanionApp& delegate) { delegate.takeStep(); }));
}

void LumivoCompanionApp::stopWalking()
{
    model.isWalking = false;
    if (walkTimer)
        walkTimer->cancel();
    walkTimer.reset();
}

void LumivoCompanionApp::toggleWalking()
{
    if (walkTimer)
        stopWalking();
    else
        startWalking();
}

void LumivoCompanionApp::takeStep()
{
    if (!panel)
        return;
    const std::optional<DesktopScreen> screen = panelScreenOrMain();
    if (!screen)
        return;
    const QRectF frame = panel->frame();
    const WalkStep step = walkStep(frame, direction, screen->visibleFrame);
    direction = step.direction;
    if (step.facingRight)
        model.facingRight = *step.facingRight;
    panel->setFrame(QRectF(QPointF(step.x, frame.y()), frame.size()), FrameChange::immediate);
}

// Summoning and following.

void LumivoCompanionApp::summonPanelToActiveScreen(bool animate, bool force)
{
    if (!force && (!followAcrossScreens || model.menuOpen))
        return;
    if (!panel || panelDragOrigin || screenHopInFlight || model.companionHidden)
        return;
    const std::optional<DesktopScreen> target = screenUnderMouse();
    if (!target)
        return;
    screenFollowDwell = 0;
    const std::optional<DesktopScreen> current = bestScreen(panel->frame());
    if (current && sameDisplay(*current, *target))
        return;
    movePanel(*target, animate);
}

void LumivoCompanionApp::startScreenFollowing()
{
    if (screenFollowTimer)
        screenFollowTimer->cancel();
    screenFollowTimer = m_environment.scheduler.repeat(followInterval, weakly(this, [](LumivoCompanionApp& delegate) {
        delegate.followActiveScreenIfNeeded();
    }));
}

void LumivoCompanionApp::followActiveScreenIfNeeded()
{
    const auto target = [this]() -> std::optional<DesktopScreen> {
        if (!followAcrossScreens || m_environment.desktop.screens.screens().size() <= 1 || !panel || panelDragOrigin
            || screenHopInFlight || model.menuOpen || model.companionHidden || model.activeAlert.get())
            return std::nullopt;
        return screenUnderMouse();
    }();
    if (!target) {
        screenFollowDwell = 0;
        return;
    }
    const std::optional<DesktopScreen> current = bestScreen(panel->frame());
    if (current && sameDisplay(*current, *target)) {
        screenFollowDwell = 0;
        return;
    }
    if (++screenFollowDwell >= followDwellTicks) {
        screenFollowDwell = 0;
        movePanel(*target, true);
    }
}

void LumivoCompanionApp::startClickSummonMonitoring()
{
    clickSummonMonitor.reset();
    clickSummonMonitor = m_environment.desktop.mouse.addGlobalMouseDownMonitor(weakly(this, [](LumivoCompanionApp& delegate) {
        delegate.later([](LumivoCompanionApp& delegate) { delegate.summonPanelToActiveScreen(); });
    }));
}

void LumivoCompanionApp::movePanel(const DesktopScreen& screen, bool animate)
{
    if (!panel)
        return;
    const QRectF frame = panel->frame();
    const QRectF& visible = screen.visibleFrame;
    const QSizeF size(frame.width(), model.menuOpen ? std::min(largestMenuHeight, visible.height() - menuScreenMargin) : frame.height());
    const QRectF corner = cornerFrame(size, visible);
    const QRectF target(clampedOrigin(corner, visible), size);

    if (std::abs(target.x() - frame.x()) > facingThreshold)
        model.facingRight = frame.x() <= target.x();
    model.showExpression(CompanionExpression::excited, arrivalExpressionSeconds);
    if (panelOriginBeforeMenuOpen) {
        const QRectF collapsedCorner = cornerFrame(collapsedPanelSize, visible);
        panelOriginBeforeMenuOpen = clampedOrigin(collapsedCorner, visible);
    }

    if (!animate) {
        panel->setFrame(target, FrameChange::immediate);
        if (model.activeAlert.get() && !model.menuOpen && !model.companionHidden)
            positionAlertPanel();
        return;
    }

    screenHopInFlight = true;
    panel->animateFrame(target, screenHopDuration, weakly(this, [](LumivoCompanionApp& delegate) {
        delegate.later([](LumivoCompanionApp& delegate) {
            delegate.screenHopInFlight = false;
            CompanionModel& model = delegate.model;
            model.requestWave();
            if (model.menuOpen)
                delegate.resizePanel(true);
            if (model.activeAlert.get() && !delegate.panelDragOrigin && !model.menuOpen && !model.companionHidden) {
                delegate.positionAlertPanel();
                if (delegate.alertPanel)
                    delegate.alertPanel->orderFront();
            }
        });
    }));
}

void LumivoCompanionApp::reconcilePanelWithScreens()
{
    if (!panel)
        return;
    const QRectF frame = panel->frame();
    const std::optional<DesktopScreen> screen = bestScreenOrMain(frame);
    if (!screen)
        return;
    const QSizeF size = panelSize(model.menuOpen, screen->visibleFrame);
    const QPointF origin = clampedOrigin(QRectF(frame.topLeft(), size), screen->visibleFrame);
    panel->setFrame(QRectF(origin, size), FrameChange::windowSystemAnimation);
    if (!model.menuOpen)
        persistPanelPosition();
}

void LumivoCompanionApp::resetLumivoPosition()
{
    if (!panel)
        return;
    std::optional<DesktopScreen> screen = screenUnderMouse();
    if (!screen)
        screen = mainScreen();
    if (!screen)
        screen = panel->screen();
    if (!screen)
        return;
    const QRectF frame = panel->frame();
    const QPointF origin = cornerFrame(frame.size(), screen->visibleFrame).topLeft();
    panel->setFrame(QRectF(origin, frame.size()), FrameChange::immediate);
    if (model.menuOpen)
        panelOriginBeforeMenuOpen = origin;
    savePanelOrigin(origin);
}

void LumivoCompanionApp::toggleFollowAcrossScreens(QAction* item)
{
    followAcrossScreens = !followAcrossScreens;
    CompanionSettings::store(m_environment.settings, followAcrossScreensKey, followAcrossScreens);
    if (item)
        item->setChecked(followAcrossScreens);
    if (followAcrossScreens)
        summonPanelToActiveScreen();
}

void LumivoCompanionApp::showLumivo()
{
    model.companionHidden = false;
    summonPanelToActiveScreen(true, true);
    if (panel)
        panel->orderFront();
    if (!model.activeAlert.get())
        model.presentQueuedAlertIfIdle();
}

void LumivoCompanionApp::hideLumivo()
{
    model.companionHidden = true;
    if (alertPanel)
        alertPanel->orderOut();
    setMenuOpen(false);
    later([](LumivoCompanionApp& delegate) {
        if (delegate.panel)
            delegate.panel->orderOut();
    });
}

void LumivoCompanionApp::later(std::function<void(LumivoCompanionApp&)> work)
{
    m_environment.scheduler.schedule(0ms, weakly(this, std::move(work)));
}
