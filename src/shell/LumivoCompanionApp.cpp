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
    : m_model(CompanionModel::Environment{environment.settings, environment.scheduler, environment.systemSounds,
                                          environment.applicationPicker, environment.playChime}),
      m_environment(std::move(environment))
{
    m_services = std::make_unique<CompanionServices>(CompanionServices::Environment{
        m_model, m_environment.settings, m_environment.scheduler, m_environment.desktop.pasteboard,
        m_environment.desktop.bell, m_environment.edition, m_environment.serverAddresses});
    m_actions = std::make_unique<DesktopActions>(DesktopActions::Environment{
        .model = m_model,
        .scheduler = m_environment.scheduler,
        .desktop = m_environment.desktop,
        .screenUnderMouse = [this] { return screenUnderMouse(); },
        .panelScreen = [this] { return m_panel ? m_panel->screen() : std::nullopt; },
    });
    m_webWindows = std::make_unique<WebWindows>(
        WebWindows::Environment{m_model, m_environment.scheduler, m_environment.desktop.applications, *m_services,
                                m_environment.edition, m_environment.serverAddresses});
    m_followAcrossScreens = followAcrossScreensDefault();
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
        connect(follow, &QAction::triggered, delegate,
                [delegate, follow] { delegate->toggleFollowAcrossScreens(follow); });
    }
    return menu;
}

void LumivoCompanionApp::configureStatusItem()
{
    m_statusItem = std::make_unique<QSystemTrayIcon>();
    const QPixmap image = QPixmap::fromImage(readPng(m_environment.statusIconPath));
    const QIcon bundled = m_environment.statusIconPath.isEmpty() || image.isNull()
        ? QIcon()
        : QIcon(image.scaled(18, 18, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    // The installed icon theme draws the edition's icon sharp at every tray
    // size, and a tray that takes icons by name gets the name.
    const QIcon icon = QIcon::fromTheme(m_environment.statusIconName, bundled);
    if (!icon.isNull()) {
        m_statusItem->setIcon(icon);
        m_statusItem->setToolTip(QStringLiteral("CEO Vora"));
    } else {
        // Without its picture the item still stands, as an empty square.
        QPixmap empty(18, 18);
        empty.fill(Qt::transparent);
        m_statusItem->setIcon(QIcon(empty));
    }

    m_statusMenu = std::make_unique<QMenu>(QStringLiteral("CEO Vora"));
    m_statusMenu->setPalette(companionMenuPalette(m_statusMenu->palette()));
    addPlacementItems(*m_statusMenu, QStringLiteral("CEO Vora"), this);
    addQuitItem(*m_statusMenu, QStringLiteral("CEO Vora"), this);
    m_statusItem->setContextMenu(m_statusMenu.get());
    m_statusItem->show();
}

// Start-up, in order: the panel, the status item, placement, following,
// the alert panel, the greeting, the hooks and the observers.
void LumivoCompanionApp::applicationDidFinishLaunching()
{
    std::unique_ptr<QWidget> view = m_environment.makeCompanionView(m_model);
    m_mainMenu = makeMainMenu(this);
    // The desktop has no application menu bar: the main menu opens from the panel.
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view.get(), &QWidget::customContextMenuRequested, this,
            [this, widget = view.get()](const QPoint& point) { m_mainMenu->popup(widget->mapToGlobal(point)); });

    const QRectF visible = mainScreen() ? mainScreen()->visibleFrame : fallbackScreenFrame;
    m_panelContents.append(view.get());
    m_panel = m_environment.desktop.panels.makePanel(std::move(view), cornerFrame(collapsedPanelSize, visible),
                                                     PanelLevel::floating);
    m_panel->orderFront();

    configureStatusItem();
    restorePanelPosition();
    summonPanelToActiveScreen(false);
    startScreenFollowing();
    startClickSummonMonitoring();
    configureAlertPanel();
    startVisibilityMonitoring();
    m_services->polling.startNotificationPolling();
    m_services->polling.startAgentUsagePolling();
    m_services->polling.startWeatherPolling();
    later([](LumivoCompanionApp& delegate) { delegate.m_model.requestWave(); });
    auto watcher = std::make_unique<InboundActivityWatcher>(m_model, m_environment.scheduler,
                                                            m_environment.makeNotificationStream());
    watcher->start();
    m_inboundWatcher = std::move(watcher);

    wireHooks();
    stopWalking();
}

void LumivoCompanionApp::wireHooks()
{
    m_model.setMenuOpen = weakly(this, [](LumivoCompanionApp& delegate, bool open) { delegate.setMenuOpen(open); });
    m_model.hide = weakly(this, [](LumivoCompanionApp& delegate) { delegate.toggleCompanionHidden(); });
    m_model.resetPosition = weakly(this, [](LumivoCompanionApp& delegate) { delegate.resetLumivoPosition(); });

    m_screenParametersObserver = connect(&m_environment.desktop.screens, &Screens::parametersChanged, this, [this] {
        later([](LumivoCompanionApp& delegate) { delegate.reconcilePanelWithScreens(); });
    });

    m_model.prepareAlertPresentation =
        weakly(this, [](LumivoCompanionApp& delegate) { delegate.prepareAlertPresentation(); });
    m_model.finishAlertPresentation =
        weakly(this, [](LumivoCompanionApp& delegate) { delegate.finishAlertPresentation(); });
    m_model.summonCompanion = weakly(this, [](LumivoCompanionApp& delegate) { delegate.summonPanelToActiveScreen(); });
    m_services->fillModelHooks();
    m_actions->fillModelHooks();
    m_webWindows->fillModelHooks();

    Workspace& workspace = m_environment.desktop.workspace;
    for (auto notification :
         {&Workspace::applicationLaunched, &Workspace::applicationTerminated, &Workspace::applicationActivated}) {
        m_workspaceObservers.append(connect(&workspace, notification, this, [this] {
            later([](LumivoCompanionApp& delegate) { delegate.m_model.refreshRunningApps(); });
        }));
    }

    m_model.beginDrag = weakly(this, [](LumivoCompanionApp& delegate) { delegate.beginPanelDrag(); });
    m_model.dragBy =
        weakly(this, [](LumivoCompanionApp& delegate, const QSizeF& translation) { delegate.dragPanel(translation); });
    m_model.endDrag = weakly(this, [](LumivoCompanionApp& delegate) { delegate.endPanelDrag(); });
    m_model.quit = m_environment.terminate;
}

void LumivoCompanionApp::applicationWillTerminate()
{
    m_services->polling.cancelAll();
    if (m_screenFollowTimer)
        m_screenFollowTimer->cancel();
    m_clickSummonMonitor.reset();
    m_visibilityMonitor.reset();
    if (m_inboundWatcher)
        m_inboundWatcher->stop();
    disconnect(m_screenParametersObserver);
    for (const QMetaObject::Connection& observer : std::as_const(m_workspaceObservers))
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
        m_model.openActivityMonitor();
        return;
    }
    if (std::holds_alternative<CompanionLink::OpenSchedule>(*request)) {
        m_model.openSchedule();
        summonPanelToActiveScreen();
    } else {
        const auto& alert = std::get<CompanionLink::RaiseAlert>(*request);
        m_model.enqueueAlert(alert.source, alert.detail);
    }
    if (m_panel)
        m_panel->orderFront();
}

// Screens and the saved position.

std::optional<DesktopScreen> LumivoCompanionApp::mainScreen() const
{
    return m_environment.desktop.screens.mainScreen();
}

std::optional<DesktopScreen> LumivoCompanionApp::panelScreenOrMain() const
{
    if (m_panel) {
        if (std::optional<DesktopScreen> screen = m_panel->screen())
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
    CompanionSettings::store(m_environment.settings,
                             {{panelPositionXKey, origin.x()}, {panelPositionYKey, origin.y()}});
}

void LumivoCompanionApp::restorePanelPosition()
{
    if (!m_panel)
        return;
    QSettings& settings = m_environment.settings;
    if (!settings.contains(panelPositionXKey) || !settings.contains(panelPositionYKey))
        return;
    // Whole points: a fractional origin would make the window system grow the
    // panel by a pixel to cover it.
    QPointF origin(std::round(settings.value(panelPositionXKey).toDouble()),
                   std::round(settings.value(panelPositionYKey).toDouble()));
    const QRectF rect(origin, m_panel->frame().size());
    if (const std::optional<DesktopScreen> screen = bestScreenOrMain(rect))
        origin = clampedOrigin(rect, screen->visibleFrame);
    m_panel->setFrame(QRectF(origin, rect.size()), FrameChange::immediate);
}

void LumivoCompanionApp::persistPanelPosition()
{
    std::optional<QPointF> origin;
    if (m_model.menuOpen)
        origin = m_panelOriginBeforeMenuOpen;
    else if (m_panel)
        origin = m_panel->frame().topLeft();
    if (!origin)
        return;
    savePanelOrigin(*origin);
}

// The alert panel.

void LumivoCompanionApp::configureAlertPanel()
{
    std::unique_ptr<QWidget> bubble = m_environment.makeAlertBubbleView(m_model);
    m_panelContents.append(bubble.get());
    m_alertPanel = m_environment.desktop.panels.makePanel(std::move(bubble), QRectF(QPointF(0, 0), alertPanelSize),
                                                          PanelLevel::aboveFloating);
}

void LumivoCompanionApp::startVisibilityMonitoring()
{
    m_visibilityMonitor = m_environment.desktop.visibility.addVisibilityMonitor(
        m_panelContents,
        weakly(this, [](LumivoCompanionApp& delegate, bool seen) { delegate.m_environment.panelsSeen(seen); }));
}

void LumivoCompanionApp::positionAlertPanel()
{
    if (!m_panel || !m_alertPanel || m_model.menuOpen)
        return;
    const std::optional<DesktopScreen> screen = panelScreenOrMain();
    if (!screen)
        return;
    const QRectF alertFrame = m_alertPanel->frame();
    const AlertPlacement placement = alertPanelPlacement(m_panel->frame(), alertFrame.size(), screen->visibleFrame);
    m_model.alertOpensToRight = placement.opensToRight;
    m_alertPanel->setFrame(QRectF(placement.origin, alertFrame.size()), FrameChange::immediate);
}

void LumivoCompanionApp::prepareAlertPresentation()
{
    if (m_model.menuOpen || m_model.companionHidden || m_panelDragOrigin)
        return;
    positionAlertPanel();
    if (m_alertPanel)
        m_alertPanel->orderFront();
}

void LumivoCompanionApp::finishAlertPresentation()
{
    m_environment.scheduler.schedule(alertPanelRemovalDelay, weakly(this, [](LumivoCompanionApp& delegate) {
                                         if (delegate.m_model.activeAlert.get())
                                             return;
                                         if (delegate.m_alertPanel)
                                             delegate.m_alertPanel->orderOut();
                                         delegate.m_model.alertOpensToRight = false;
                                     }));
}

// The menu.

void LumivoCompanionApp::setMenuOpen(bool open)
{
    if (m_model.menuOpen == open)
        return;
    if (open && (m_screenHopInFlight || m_model.isWalking))
        return;

    if (open) {
        if (m_alertPanel)
            m_alertPanel->orderOut();
        resizePanel(true);
        m_model.withAnimation(menuOpening, [this] { m_model.menuOpen = true; });
        return;
    }

    m_model.withAnimation(menuClosing, [this] {
        m_model.menuOpen = false;
        m_model.googlePanelOpen = false;
        m_model.usagePanelOpen = false;
        m_model.taskPanelOpen = false;
        m_model.fleetPanelOpen = false;
    });
    later([](LumivoCompanionApp& delegate) {
        delegate.resizePanel(false);
        if (!delegate.m_model.activeAlert.get())
            delegate.m_model.presentQueuedAlertIfIdle();
        else
            delegate.prepareAlertPresentation();
    });
}

void LumivoCompanionApp::resizePanel(bool forMenu)
{
    if (!m_panel)
        return;
    const std::optional<DesktopScreen> screen = panelScreenOrMain();
    if (!screen)
        return;
    const QRectF current = m_panel->frame();
    const QSizeF target = panelSize(forMenu, screen->visibleFrame);
    if (isAlreadySized(current.size(), target))
        return;

    QPointF origin = current.topLeft();
    if (forMenu) {
        m_panelOriginBeforeMenuOpen = origin;
        m_model.menuOpensToRight = menuOpensToRight(current, screen->visibleFrame);
        origin = openedPanelOrigin(current, m_model.menuOpensToRight);
    } else if (m_panelOriginBeforeMenuOpen) {
        origin = *std::exchange(m_panelOriginBeforeMenuOpen, std::nullopt);
    }
    origin = clampedOrigin(QRectF(origin, target), screen->visibleFrame);
    m_panel->setFrame(QRectF(origin, target), FrameChange::immediate);
}

void LumivoCompanionApp::toggleCompanionHidden()
{
    m_model.companionHidden = !m_model.companionHidden;
    if (m_model.companionHidden) {
        if (m_alertPanel)
            m_alertPanel->orderOut();
    } else if (m_model.activeAlert.get()) {
        prepareAlertPresentation();
    }
}

// Dragging and walking.

void LumivoCompanionApp::beginPanelDrag()
{
    if (!m_panel)
        return;
    m_panelDragOrigin = m_panel->frame().topLeft();
    m_model.isDragging = true;
    m_model.expression = CompanionExpression::excited;
    if (m_alertPanel)
        m_alertPanel->orderOut();
    m_resumeWalkingAfterDrag = m_walkTimer.has_value();
    if (m_resumeWalkingAfterDrag)
        stopWalking();
}

void LumivoCompanionApp::dragPanel(const QSizeF& translation)
{
    if (!m_panel || !m_panelDragOrigin)
        return;
    const std::optional<DesktopScreen> screen = panelScreenOrMain();
    if (!screen)
        return;
    const QRectF frame = m_panel->frame();
    const QPointF origin = draggedOrigin(*m_panelDragOrigin, translation, frame.size(), screen->visibleFrame);
    m_panel->setFrame(QRectF(origin, frame.size()), FrameChange::immediate);
    if (m_model.menuOpen)
        m_panelOriginBeforeMenuOpen =
            collapsedOriginForOpenedPanel(origin, m_model.menuOpensToRight, screen->visibleFrame);
}

void LumivoCompanionApp::endPanelDrag()
{
    if (m_panel) {
        const QRectF frame = m_panel->frame();
        if (const std::optional<DesktopScreen> screen = bestScreenOrMain(frame)) {
            const QPointF clamped = clampedOrigin(frame, screen->visibleFrame);
            const QPointF offset = clamped - frame.topLeft();
            if (std::abs(offset.x()) > dropTolerance || std::abs(offset.y()) > dropTolerance)
                m_panel->setFrame(QRectF(clamped, frame.size()), FrameChange::windowSystemAnimation);
            if (m_model.menuOpen)
                m_panelOriginBeforeMenuOpen =
                    collapsedOriginForOpenedPanel(clamped, m_model.menuOpensToRight, screen->visibleFrame);
        }
    }
    m_panelDragOrigin.reset();
    m_model.isDragging = false;
    if (m_model.expression == CompanionExpression::excited)
        m_model.expression = CompanionExpression::idle;
    persistPanelPosition();
    if (m_model.activeAlert.get())
        prepareAlertPresentation();
    if (m_resumeWalkingAfterDrag)
        startWalking();
    m_resumeWalkingAfterDrag = false;
}

void LumivoCompanionApp::startWalking()
{
    m_model.isWalking = true;
    if (m_walkTimer)
        m_walkTimer->cancel();
    m_walkTimer =
        m_environment.scheduler.repeat(std::chrono::duration_cast<Scheduler::Duration>(walkInterval),
                                       weakly(this, [](LumivoCompanionApp& delegate) { delegate.takeStep(); }));
}

void LumivoCompanionApp::stopWalking()
{
    m_model.isWalking = false;
    if (m_walkTimer)
        m_walkTimer->cancel();
    m_walkTimer.reset();
}

void LumivoCompanionApp::toggleWalking()
{
    if (m_walkTimer)
        stopWalking();
    else
        startWalking();
}

void LumivoCompanionApp::takeStep()
{
    if (!m_panel)
        return;
    const std::optional<DesktopScreen> screen = panelScreenOrMain();
    if (!screen)
        return;
    const QRectF frame = m_panel->frame();
    const WalkStep step = walkStep(frame, m_direction, screen->visibleFrame);
    m_direction = step.direction;
    if (step.facingRight)
        m_model.facingRight = *step.facingRight;
    m_panel->setFrame(QRectF(QPointF(step.x, frame.y()), frame.size()), FrameChange::immediate);
}

// Summoning and following.

void LumivoCompanionApp::summonPanelToActiveScreen(bool animate, bool force)
{
    if (!force && (!m_followAcrossScreens || m_model.menuOpen))
        return;
    if (!m_panel || m_panelDragOrigin || m_screenHopInFlight || m_model.companionHidden)
        return;
    const std::optional<DesktopScreen> target = screenUnderMouse();
    if (!target)
        return;
    m_screenFollowDwell = 0;
    const std::optional<DesktopScreen> current = bestScreen(m_panel->frame());
    if (current && sameDisplay(*current, *target))
        return;
    movePanel(*target, animate);
}

void LumivoCompanionApp::startScreenFollowing()
{
    if (m_screenFollowTimer)
        m_screenFollowTimer->cancel();
    m_screenFollowTimer = m_environment.scheduler.repeat(
        followInterval, weakly(this, [](LumivoCompanionApp& delegate) { delegate.followActiveScreenIfNeeded(); }));
}

void LumivoCompanionApp::followActiveScreenIfNeeded()
{
    const auto target = [this]() -> std::optional<DesktopScreen> {
        if (!m_followAcrossScreens || m_environment.desktop.screens.screens().size() <= 1 || !m_panel
            || m_panelDragOrigin || m_screenHopInFlight || m_model.menuOpen || m_model.companionHidden
            || m_model.activeAlert.get())
            return std::nullopt;
        return screenUnderMouse();
    }();
    if (!target) {
        m_screenFollowDwell = 0;
        return;
    }
    const std::optional<DesktopScreen> current = bestScreen(m_panel->frame());
    if (current && sameDisplay(*current, *target)) {
        m_screenFollowDwell = 0;
        return;
    }
    if (++m_screenFollowDwell >= followDwellTicks) {
        m_screenFollowDwell = 0;
        movePanel(*target, true);
    }
}

void LumivoCompanionApp::startClickSummonMonitoring()
{
    m_clickSummonMonitor.reset();
    m_clickSummonMonitor =
        m_environment.desktop.mouse.addGlobalMouseDownMonitor(weakly(this, [](LumivoCompanionApp& delegate) {
            delegate.later([](LumivoCompanionApp& delegate) { delegate.summonPanelToActiveScreen(); });
        }));
}

void LumivoCompanionApp::movePanel(const DesktopScreen& screen, bool animate)
{
    if (!m_panel)
        return;
    const QRectF frame = m_panel->frame();
    const QRectF& visible = screen.visibleFrame;
    const QSizeF size(frame.width(),
                      m_model.menuOpen ? std::min(largestMenuHeight, visible.height() - menuScreenMargin)
                                       : frame.height());
    const QRectF corner = cornerFrame(size, visible);
    const QRectF target(clampedOrigin(corner, visible), size);

    if (std::abs(target.x() - frame.x()) > facingThreshold)
        m_model.facingRight = frame.x() <= target.x();
    m_model.showExpression(CompanionExpression::excited, arrivalExpressionSeconds);
    if (m_panelOriginBeforeMenuOpen) {
        const QRectF collapsedCorner = cornerFrame(collapsedPanelSize, visible);
        m_panelOriginBeforeMenuOpen = clampedOrigin(collapsedCorner, visible);
    }

    if (!animate) {
        m_panel->setFrame(target, FrameChange::immediate);
        if (m_model.activeAlert.get() && !m_model.menuOpen && !m_model.companionHidden)
            positionAlertPanel();
        return;
    }

    m_screenHopInFlight = true;
    m_panel->animateFrame(target, screenHopDuration, weakly(this, [](LumivoCompanionApp& delegate) {
                              delegate.later([](LumivoCompanionApp& delegate) {
                                  delegate.m_screenHopInFlight = false;
                                  CompanionModel& model = delegate.m_model;
                                  model.requestWave();
                                  if (model.menuOpen)
                                      delegate.resizePanel(true);
                                  if (model.activeAlert.get() && !delegate.m_panelDragOrigin && !model.menuOpen
                                      && !model.companionHidden) {
                                      delegate.positionAlertPanel();
                                      if (delegate.m_alertPanel)
                                          delegate.m_alertPanel->orderFront();
                                  }
                              });
                          }));
}

void LumivoCompanionApp::reconcilePanelWithScreens()
{
    if (!m_panel)
        return;
    const QRectF frame = m_panel->frame();
    const std::optional<DesktopScreen> screen = bestScreenOrMain(frame);
    if (!screen)
        return;
    const QSizeF size = panelSize(m_model.menuOpen, screen->visibleFrame);
    const QPointF origin = clampedOrigin(QRectF(frame.topLeft(), size), screen->visibleFrame);
    m_panel->setFrame(QRectF(origin, size), FrameChange::windowSystemAnimation);
    if (!m_model.menuOpen)
        persistPanelPosition();
}

void LumivoCompanionApp::resetLumivoPosition()
{
    if (!m_panel)
        return;
    std::optional<DesktopScreen> screen = screenUnderMouse();
    if (!screen)
        screen = mainScreen();
    if (!screen)
        screen = m_panel->screen();
    if (!screen)
        return;
    const QRectF frame = m_panel->frame();
    const QPointF origin = cornerFrame(frame.size(), screen->visibleFrame).topLeft();
    m_panel->setFrame(QRectF(origin, frame.size()), FrameChange::immediate);
    if (m_model.menuOpen)
        m_panelOriginBeforeMenuOpen = origin;
    savePanelOrigin(origin);
}

void LumivoCompanionApp::toggleFollowAcrossScreens(QAction* item)
{
    m_followAcrossScreens = !m_followAcrossScreens;
    CompanionSettings::store(m_environment.settings, followAcrossScreensKey, m_followAcrossScreens);
    if (item)
        item->setChecked(m_followAcrossScreens);
    if (m_followAcrossScreens)
        summonPanelToActiveScreen();
}

void LumivoCompanionApp::showLumivo()
{
    m_model.companionHidden = false;
    summonPanelToActiveScreen(true, true);
    if (m_panel)
        m_panel->orderFront();
    if (!m_model.activeAlert.get())
        m_model.presentQueuedAlertIfIdle();
}

void LumivoCompanionApp::hideLumivo()
{
    m_model.companionHidden = true;
    if (m_alertPanel)
        m_alertPanel->orderOut();
    setMenuOpen(false);
    later([](LumivoCompanionApp& delegate) {
        if (delegate.m_panel)
            delegate.m_panel->orderOut();
    });
}

void LumivoCompanionApp::later(std::function<void(LumivoCompanionApp&)> work)
{
    m_environment.scheduler.schedule(0ms, weakly(this, std::move(work)));
}
