#include "CompanionView.h"

#include "MascotArtwork.h"
#include "WindowDragSurface.h"
#include "model/CompanionModel.h"
#include "ui/Timing.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QTimer>

#include <cmath>

namespace {

// Which spring moves the figure's scale when several changes meet: the
// drag's, then the pointer's, then the face's.
constexpr int dragPriority = 0;
constexpr int hoverPriority = 1;
constexpr int expressionPriority = 2;

} // namespace

CompanionView::CompanionView(CompanionModel& model, QWidget* parent)
    : CompanionView(model, ViewEnvironment::main(), parent)
{
}

CompanionView::CompanionView(CompanionModel& model, const ViewEnvironment& environment, QWidget* parent)
    : QWidget(parent), m_model(model), m_environment(environment), m_seen(observe()),
      m_waveAngle(environment.animations, 0, [this] { repaintFigure(); }), m_borderPhase(environment.animations, 0),
      m_auroraPhase(environment.animations, 0), m_pulsePhase(environment.animations, 0),
      m_counterPulsePhase(environment.animations, 0), m_bob(environment.animations, 0, [this] { repaintFigure(); }),
      m_glow(environment.animations, 0, [this] { repaintFigure(); }),
      m_swirlPhase(environment.animations, 0, [this] { repaintFigure(); }),
      m_figureScale(environment.animations, 1, [this] { repaintFigure(); }),
      m_figureBrightness(environment.animations, 0, [this] { repaintFigure(); }),
      m_menuPresence(environment.animations, progressOf(m_seen.menuOpen), [this] { placeMenu(); }),
      m_mascotShift(environment.animations, mascotShiftFor(m_seen.menuOpen, m_seen.menuOpensToRight), [this] {
          placeDragSurface();
          update();
      })
{
    m_lastMenuSideRight = m_seen.menuOpensToRight;
    m_dragSurface = WindowDragSurface{
        .onClick = [this] { m_model.setMenuOpen(!m_model.menuOpen.get()); },
        .onDragStart = [this] { m_model.beginDrag(); },
        .onDrag = [this](QSizeF translation) { m_model.dragBy(translation); },
        .onDragEnd = [this] { m_model.endDrag(); },
    }
                        .makeView(this);
    m_dragSurface->setToolTip(QStringLiteral("Click for controls or drag Vora anywhere"));
    // The figure is one element to assistive technology, under the surface that takes its clicks.
    m_dragSurface->setAccessibleName(QStringLiteral("My Vora"));
    m_dragSurface->installEventFilter(this);
    m_dragSurface->setVisible(!m_seen.companionHidden);
    m_observer = new ChangeObserver(
        m_model, [this](const std::optional<Motion>& motion) { applyModelChanges(motion); }, this);
    resize(330, 190);
}

CompanionView::~CompanionView()
{
    m_waveWork.cancel();
    m_waveLoop.cancel();
    m_idleLoop.cancel();
}

Qt::Alignment CompanionView::companionAlignmentFor(bool menuOpen, bool menuOpensToRight)
{
    return Qt::AlignBottom | (menuOpen && menuOpensToRight ? Qt::AlignLeft : Qt::AlignRight);
}

Qt::Alignment CompanionView::companionAlignment() const
{
    return companionAlignmentFor(m_model.menuOpen, m_model.menuOpensToRight);
}

qreal CompanionView::mascotShiftFor(bool menuOpen, bool menuOpensToRight)
{
    if (!menuOpen)
        return 0;
    return menuOpensToRight ? 20 : -20;
}

bool CompanionView::idleLookAllowed(bool companionHidden, bool menuOpen, bool isDragging,
                                    CompanionExpression expression)
{
    return !companionHidden && !menuOpen && !isDragging && expression == CompanionExpression::idle;
}

QRectF CompanionView::mascotFrame() const
{
    const QRectF content = QRectF(rect()).marginsRemoved(contentPadding);
    const qreal size = FloatingSwirl::frameSize;
    const bool leading = companionAlignmentFor(m_seen.menuOpen, m_seen.menuOpensToRight) & Qt::AlignLeft;
    const qreal x = leading ? content.left() : content.right() - size;
    return QRectF(x + m_mascotShift.value(), content.bottom() - size, size, size);
}

// Model observation ----------------------------------------------------------

CompanionView::Observed CompanionView::observe() const
{
    return {m_model.menuOpen,   m_model.menuOpensToRight, m_model.companionHidden, m_model.isDragging,
            m_model.waveSignal, m_model.expression,       m_model.appearance};
}

void CompanionView::applyModelChanges(const std::optional<Motion>& motion)
{
    const Observed now = observe();
    const Observed before = std::exchange(m_seen, now);

    if (now.menuOpen != before.menuOpen || now.menuOpensToRight != before.menuOpensToRight) {
        if (now.menuOpen)
            m_lastMenuSideRight = now.menuOpensToRight;
        m_menuPresence.set(progressOf(now.menuOpen), motion);
        m_mascotShift.set(mascotShiftFor(now.menuOpen, now.menuOpensToRight), motion);
        placeDragSurface();
    }
    if (now.companionHidden != before.companionHidden) {
        if (now.companionHidden)
            removeMascot();
        else
            insertMascot();
    }
    if (now.isDragging != before.isDragging)
        retargetFigureScale(Motion::springMotion(0.32, 0.72), dragPriority);
    if (now.expression != before.expression)
        retargetFigureScale(Motion::springMotion(0.34, 0.55), expressionPriority);
    if (now.waveSignal != before.waveSignal && !now.companionHidden)
        performWave();
    update();
}

// The mascot layer -----------------------------------------------------------

void CompanionView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_attachmentsStarted)
        return;
    m_attachmentsStarted = true;
    if (!m_seen.companionHidden)
        insertMascot();
    scheduleTimedWave();
    scheduleIdleLook();
}

void CompanionView::insertMascot()
{
    m_picture.clear();
    m_figure = std::make_unique<FloatingSwirl>(m_environment, [this] { repaintFigure(); });
    m_figure->start();
    m_dragSurface->show();
    placeDragSurface();
    startAmbient();
    startBorderAnimation();
}

void CompanionView::removeMascot()
{
    m_figure.reset();
    m_picture.clear();
    m_dragSurface->hide();
    setBotHovering(false);
    // Nothing shows them until the mascot returns, which starts them afresh.
    m_bob.jump(0);
    m_glow.jump(0);
    m_swirlPhase.jump(0);
}

void CompanionView::startAmbient()
{
    m_bob.jump(0);
    m_glow.jump(0);
    m_swirlPhase.jump(0);
    m_bob.set(1, Motion::easeInOut(2.8).repeatForever(true).atFramesPerSecond(ambientFramesPerSecond));
    m_glow.set(1, Motion::easeInOut(2.4).repeatForever(true).atFramesPerSecond(ambientFramesPerSecond));
    m_swirlPhase.set(-360, Motion::linear(14).repeatForever(false).atFramesPerSecond(ambientFramesPerSecond));
}

void CompanionView::startBorderAnimation()
{
    for (AnimatedValue* phase : {&m_borderPhase, &m_auroraPhase, &m_pulsePhase, &m_counterPulsePhase})
        phase->jump(0);
    // Only the opened menu's rim reads these; they cost nothing until it does.
    m_borderPhase.set(360, Motion::linear(9).repeatForever(false));
    m_auroraPhase.set(360, Motion::linear(16).repeatForever(false));
    m_pulsePhase.set(360, Motion::linear(2.1).repeatForever(false));
    m_counterPulsePhase.set(-360, Motion::linear(3.1).repeatForever(false));
}

bool CompanionView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_dragSurface) {
        if (event->type() == QEvent::Enter)
            setBotHovering(true);
        else if (event->type() == QEvent::Leave)
            setBotHovering(false);
    }
    return QWidget::eventFilter(watched, event);
}

void CompanionView::setBotHovering(bool hovering)
{
    if (hovering == m_botHovering)
        return;
    m_botHovering = hovering;
    if (m_menu)
        m_menu->mascotHovered(hovering);
    const Motion spring = Motion::springMotion(0.3, 0.6);
    m_figureBrightness.set(FloatingSwirl::brightnessFor(hovering), spring);
    retargetFigureScale(spring, hoverPriority);
}

void CompanionView::retargetFigureScale(const Motion& motion, int priority)
{
    // A drag's end clears the drag and the excited face together; settling
    // once at the end of the turn keeps the figure from heading for the
    // excited size in between.
    const bool queued = m_pendingScaleMotion.has_value();
    if (!queued || priority < m_pendingScaleMotion->first)
        m_pendingScaleMotion = std::pair(priority, motion);
    if (queued)
        return;
    QTimer::singleShot(0, this, [this] {
        const Motion spring = std::exchange(m_pendingScaleMotion, std::nullopt)->second;
        const double target = FloatingSwirl::scaleFor(m_model.isDragging, m_model.expression, m_botHovering);
        if (target != m_figureScale.target())
            m_figureScale.set(target, spring);
    });
}

void CompanionView::placeDragSurface() { m_dragSurface->setGeometry(mascotFrame().toAlignedRect()); }

void CompanionView::repaintFigure()
{
    // Several values move in one frame; the figure is looked at once, when
    // all of them have.
    if (!m_figure || m_figureRefreshPending)
        return;
    m_figureRefreshPending = true;
    m_environment.animations.atFrameEnd([view = QPointer<CompanionView>(this)] {
        if (view)
            view->refreshFigure();
    });
}

FigurePicture::Place CompanionView::figurePlace(qreal dpr) const { return {mascotFrame().center(), size(), dpr}; }

FloatingSwirl::Frame CompanionView::currentFrame(qreal dpr) const
{
    const double now = m_environment.animations.now();
    // The slow values are taken on their own coarser grid, except while a
    // wave swings the shadow with the swirl.
    const double slow = m_waveRunning || m_waveAngle.isAnimating()
        ? now
        : std::floor(now * FloatingSwirl::slowFramesPerSecond) / FloatingSwirl::slowFramesPerSecond;
    const FloatingSwirl::Pose pose{
        .bob = m_bob.valueAt(slow),
        .glow = m_glow.valueAt(slow),
        .swirlPhase = m_swirlPhase.valueAt(now),
        .waveAngle = m_waveAngle.valueAt(now),
        .scale = m_figureScale.valueAt(now),
        .brightness = m_figureBrightness.valueAt(now),
        .shadowTurn = FloatingSwirl::swirlRotation(m_swirlPhase.valueAt(slow), m_waveAngle.valueAt(slow)),
    };
    return m_figure->frameAt(pose, dpr, slow);
}

void CompanionView::refreshFigure()
{
    m_figureRefreshPending = false;
    if (!m_figure)
        return;
    // The next picture is composed now, so the area repainted is exactly
    // where its pixels differ from the one before.
    // The screen's ratio is asked for once: it takes a look at the window's screen.
    const qreal dpr = devicePixelRatioF();
    const FloatingSwirl::Frame next = currentFrame(dpr);
    const FigurePicture::Place place = figurePlace(dpr);
    if (!m_picture.shows(next, place))
        update(m_picture.compose(*m_figure, next, place));
}

// Waves and the idle look ------------------------------------------------------

bool CompanionView::performWave(std::function<void()> finished)
{
    if (m_waveRunning)
        return false;
    m_waveRunning = true;
    waveStep(0, std::move(finished));
    return true;
}

void CompanionView::waveStep(std::size_t index, std::function<void()> finished)
{
    if (index == waveSequence.size()) {
        m_waveAngle.set(0, waveSettleSpring());
        finishWave(std::move(finished));
        return;
    }
    m_waveAngle.set(waveSequence[index], waveStepSpring());
    m_waveWork =
        after(m_environment.scheduler, waveStepSeconds,
              [this, index, finished = std::move(finished)]() mutable { waveStep(index + 1, std::move(finished)); });
}

void CompanionView::finishWave(std::function<void()> finished)
{
    m_waveRunning = false;
    if (finished)
        finished();
}

void CompanionView::scheduleTimedWave()
{
    m_waveLoop = after(m_environment.scheduler, wavePeriodSeconds, [this] {
        const bool waving =
            !m_model.companionHidden && !m_model.menuOpen && performWave([this] { scheduleTimedWave(); });
        // A skipped turn, or a wave dropped because one already plays, waits from now.
        if (!waving)
            scheduleTimedWave();
    });
}

void CompanionView::scheduleIdleLook()
{
    m_idleLoop = after(m_environment.scheduler, m_environment.uniform(shortestIdlePause, longestIdlePause), [this] {
        if (idleLookAllowed(m_model.companionHidden, m_model.menuOpen, m_model.isDragging, m_model.expression))
            m_model.showExpression(CompanionExpression::thinking, 2.4);
        scheduleIdleLook();
    });
}

// Layout and painting ---------------------------------------------------------

void CompanionView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeDragSurface();
    placeMenu();
}

void CompanionView::hostMenu(CompanionMenuView* menu)
{
    m_menu = menu;
    menu->setParent(this);
    // Behind the mascot's drag surface, so the mascot keeps its clicks.
    menu->lower();
    placeMenu();
}

void CompanionView::placeMenu()
{
    if (m_menu)
        m_menu->place(QRectF(rect()).marginsRemoved(contentPadding), m_lastMenuSideRight, m_menuPresence.value());
}

void CompanionView::paintEvent(QPaintEvent* event)
{
    if (!m_figure)
        return;
    // The picture follows the mascot when it has moved since the last
    // frame; what that changes outside this repaint is repainted next.
    const qreal dpr = devicePixelRatioF();
    const FloatingSwirl::Frame frame = m_picture.frame().value_or(currentFrame(dpr));
    const FigurePicture::Place place = figurePlace(dpr);
    if (!m_picture.shows(frame, place)) {
        const QRegion outside = m_picture.compose(*m_figure, frame, place) - event->region();
        if (!outside.isEmpty())
            update(outside);
    }
    QPainter painter(this);
    m_picture.paint(painter, event->region());
}
