#pragma once

#include "CompanionMenuHost.h"
#include "FigurePicture.h"
#include "FloatingSwirl.h"
#include "model/CompanionRecords.h"
#include "model/Scheduler.h"
#include "ui/AnimatedValue.h"
#include "ui/ChangeObserver.h"
#include "ui/ViewEnvironment.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class CompanionModel;
class NativeWindowDragView;

// The whole content of the floating companion panel: the mascot, with the
// drag surface over it, pinned to the panel's bottom corner, and the opened
// menu behind it while the menu is open. It owns the view state that the
// mascot, its behaviours and the menus animate. It reaches the program only
// through the model's hooks.
class CompanionView final : public QWidget, public CompanionMenuHost {
    Q_OBJECT

public:
    explicit CompanionView(CompanionModel& model, QWidget* parent = nullptr);
    CompanionView(CompanionModel& model, const ViewEnvironment& environment, QWidget* parent = nullptr);
    ~CompanionView() override;

    CompanionModel& model() const override { return m_model; }

    // Where the mascot sits: the bottom-leading corner while the menu is open
    // to the right, the bottom-trailing corner otherwise.
    static Qt::Alignment companionAlignmentFor(bool menuOpen, bool menuOpensToRight);
    // The same for the model as it stands; nothing reads it yet, as the layout places what it last saw.
    Qt::Alignment companionAlignment() const;
    // The mascot's sideways shift toward the side the menu opens to.
    static qreal mascotShiftFor(bool menuOpen, bool menuOpensToRight);

    // Takes the opened menu into the layer behind the mascot.
    void hostMenu(CompanionMenuView* menu);

    // The view state, as the menu and the tests read it.
    const AnimatedValue& waveAngle() const { return m_waveAngle; }
    bool waveRunning() const { return m_waveRunning; }
    const AnimatedValue& borderPhase() const override { return m_borderPhase; }
    const AnimatedValue& auroraPhase() const override { return m_auroraPhase; }
    const AnimatedValue& pulsePhase() const override { return m_pulsePhase; }
    const AnimatedValue& counterPulsePhase() const override { return m_counterPulsePhase; }
    bool confirmQuitAll() const override { return m_confirmQuitAll; }
    void setConfirmQuitAll(bool confirm) override { m_confirmQuitAll = confirm; }
    const AnimatedValue& bob() const { return m_bob; }
    const AnimatedValue& glow() const { return m_glow; }
    bool botHovering() const { return m_botHovering; }
    const AnimatedValue& swirlPhase() const { return m_swirlPhase; }
    const AnimatedValue& figureScale() const { return m_figureScale; }
    const AnimatedValue& menuPresence() const { return m_menuPresence; }
    const AnimatedValue& mascotShift() const { return m_mascotShift; }

    // The mascot figure while the mascot is shown.
    const FloatingSwirl* floatingSwirl() const { return m_figure.get(); }
    NativeWindowDragView* dragSurface() const { return m_dragSurface; }
    // The mascot stack's place in the view, shift included.
    QRectF mascotFrame() const;

    void startAmbient();
    void startBorderAnimation() override;
    // Plays one wave unless one is playing; finished runs when it is over.
    // Answers whether it started one.
    bool performWave(std::function<void()> finished = {});

    static constexpr std::array<double, 6> waveSequence{14, -12, 12, -10, 7, -4};
    static constexpr double waveStepSeconds = 0.3;
    static constexpr double wavePeriodSeconds = 28;
    static constexpr double shortestIdlePause = 36;
    static constexpr double longestIdlePause = 84;
    static Motion waveStepSpring() { return Motion::interpolatingSpring(1, 140, 9, 0); }
    static Motion waveSettleSpring() { return Motion::interpolatingSpring(1, 90, 11, 0); }

    // Whether the idle loop may put on its thinking face now.
    static bool idleLookAllowed(bool companionHidden, bool menuOpen, bool isDragging, CompanionExpression expression);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Observed {
        bool menuOpen;
        bool menuOpensToRight;
        bool companionHidden;
        bool isDragging;
        std::int64_t waveSignal;
        CompanionExpression expression;
        CompanionAppearance appearance;
    };
    Observed observe() const;
    void applyModelChanges(const std::optional<Motion>& motion);

    void insertMascot();
    void removeMascot();
    void setBotHovering(bool hovering);
    // Moves the figure's scale to what the state asks, once per turn of the
    // event loop, along the spring of the most important change of the turn.
    void retargetFigureScale(const Motion& motion, int priority);
    void placeDragSurface();
    // Asks for the figure's next picture once the running frame is over.
    void repaintFigure();
    void refreshFigure();
    // The figure's frame now, its slow values taken on their own coarser grid.
    FloatingSwirl::Frame currentFrame(qreal dpr) const;
    // Where the figure stands in the view.
    FigurePicture::Place figurePlace(qreal dpr) const;
    void waveStep(std::size_t index, std::function<void()> finished);
    void finishWave(std::function<void()> finished);
    void scheduleTimedWave();
    void scheduleIdleLook();
    void placeMenu();

    CompanionModel& m_model;
    const ViewEnvironment m_environment;
    Observed m_seen;
    ChangeObserver* m_observer;
    bool m_attachmentsStarted = false;
    bool m_lastMenuSideRight = false;

    AnimatedValue m_waveAngle;
    bool m_waveRunning = false;
    AnimatedValue m_borderPhase;
    AnimatedValue m_auroraPhase;
    AnimatedValue m_pulsePhase;
    AnimatedValue m_counterPulsePhase;
    bool m_confirmQuitAll = false;
    AnimatedValue m_bob;
    AnimatedValue m_glow;
    bool m_botHovering = false;
    AnimatedValue m_swirlPhase;
    AnimatedValue m_figureScale;
    std::optional<std::pair<int, Motion>> m_pendingScaleMotion;
    AnimatedValue m_figureBrightness;
    AnimatedValue m_menuPresence;
    AnimatedValue m_mascotShift;

    std::unique_ptr<FloatingSwirl> m_figure;
    FigurePicture m_picture;
    bool m_figureRefreshPending = false;
    NativeWindowDragView* m_dragSurface = nullptr;
    CompanionMenuView* m_menu = nullptr;
    ScheduledWork m_waveWork;
    ScheduledWork m_waveLoop;
    ScheduledWork m_idleLoop;
};
