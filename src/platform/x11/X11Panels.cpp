#include "platform/x11/X11Panels.h"

#include "platform/DesktopCoordinates.h"

#include <QEasingCurve>
#include <QPointer>
#include <QVariantAnimation>
#include <QWidget>

namespace {

// The duration of the window system's own frame animation.
constexpr std::chrono::milliseconds windowSystemAnimation{200};

// Cocoa-style ease-in-ease-out: cubic Bézier (0.42, 0) (0.58, 1).
QEasingCurve easeInEaseOut()
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.42, 0), QPointF(0.58, 1), QPointF(1, 1));
    return curve;
}

class X11Panel;

} // namespace

// No window manager stacks the panels; the levels among them are kept here:
// raising a panel raises every visible panel of a higher level after it.
class PanelStacking {
public:
    void add(X11Panel* panel) { m_panels.push_back(panel); }
    void remove(X11Panel* panel) { std::erase(m_panels, panel); }
    void raiseAbove(PanelLevel level);

private:
    std::vector<X11Panel*> m_panels;
};

namespace {

class X11Panel final : public Panel {
public:
    X11Panel(const Screens& screens, std::shared_ptr<PanelStacking> stacking, std::unique_ptr<QWidget> content,
             const QRectF& frame, PanelLevel level)
        : m_screens(screens), m_stacking(std::move(stacking)), m_level(level), m_window(content.release())
    {
        m_stacking->add(this);
        // The window manager would stack an active full-screen window above
        // every window it manages, "above" ones included; the panels stay
        // present beside full-screen applications only outside its care.
        // Unmanaged, they are also on every desktop, out of the taskbar and
        // pager, and never given the focus.
        Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint
            | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint;
        m_window->setParent(nullptr, flags);
        m_window->setAttribute(Qt::WA_ShowWithoutActivating);
        m_window->setAttribute(Qt::WA_TranslucentBackground);
        m_window->setAttribute(Qt::WA_X11NetWmWindowTypeUtility);
        // Qt shows tooltips only in the active window, which a panel never is.
        m_window->setAttribute(Qt::WA_AlwaysShowToolTips);
        m_window->setFocusPolicy(Qt::NoFocus);
        m_window->setWindowTitle(level == PanelLevel::floating ? QStringLiteral("Vora") : QStringLiteral("Vora alert"));
        setGeometryNow(frame);
    }

    ~X11Panel() override
    {
        m_stacking->remove(this);
        stopAnimation();
        delete m_window;
    }

    QRectF frame() const override
    {
        if (m_animation)
            return m_animationEnd;
        return DesktopCoordinates::fromQt(m_window->geometry(), DesktopCoordinates::primaryScreenGeometry());
    }

    void setFrame(const QRectF& frame, FrameChange change) override
    {
        if (change == FrameChange::windowSystemAnimation && m_window->isVisible()) {
            animateFrame(frame, windowSystemAnimation, {});
            return;
        }
        stopAnimation();
        setGeometryNow(frame);
    }

    void animateFrame(const QRectF& frame, std::chrono::milliseconds duration,
                      std::function<void()> completion) override
    {
        stopAnimation();
        auto* animation = new QVariantAnimation(m_window);
        animation->setStartValue(this->frame());
        animation->setEndValue(frame);
        animation->setDuration(static_cast<int>(duration.count()));
        animation->setEasingCurve(easeInEaseOut());
        QObject::connect(animation, &QVariantAnimation::valueChanged, m_window,
                         [this](const QVariant& value) { setGeometryNow(value.toRectF()); });
        m_completion = std::move(completion);
        m_animationEnd = frame;
        QObject::connect(animation, &QVariantAnimation::finished, m_window, [this, frame] {
            setGeometryNow(frame);
            m_animation = nullptr;
            finishCompletion();
        });
        m_animation = animation;
        animation->start(QAbstractAnimation::DeleteWhenStopped);
    }

    void orderFront() override
    {
        m_window->show();
        m_window->raise();
        m_stacking->raiseAbove(m_level);
    }

    PanelLevel level() const { return m_level; }
    void raise() { m_window->raise(); }

    void orderOut() override { m_window->hide(); }
    bool isVisible() const override { return m_window->isVisible(); }

    std::optional<DesktopScreen> screen() const override { return screenHolding(frame(), m_screens.screens()); }

private:
    void setGeometryNow(const QRectF& frame)
    {
        m_window->setGeometry(
            DesktopCoordinates::toQt(frame, DesktopCoordinates::primaryScreenGeometry()).toAlignedRect());
    }

    void stopAnimation()
    {
        if (QPointer<QVariantAnimation> animation = m_animation) {
            m_animation = nullptr;
            animation->stop();
        }
        finishCompletion();
    }

    void finishCompletion()
    {
        if (auto completion = std::exchange(m_completion, {}))
            completion();
    }

    const Screens& m_screens;
    std::shared_ptr<PanelStacking> m_stacking;
    PanelLevel m_level;
    QWidget* m_window;
    QPointer<QVariantAnimation> m_animation;
    QRectF m_animationEnd;
    std::function<void()> m_completion;
};

} // namespace

void PanelStacking::raiseAbove(PanelLevel level)
{
    for (X11Panel* panel : m_panels) {
        if (panel->level() > level && panel->isVisible())
            panel->raise();
    }
}

X11PanelFactory::X11PanelFactory(const Screens& screens)
    : m_screens(screens), m_stacking(std::make_shared<PanelStacking>())
{
}

X11PanelFactory::~X11PanelFactory() = default;

std::unique_ptr<Panel> X11PanelFactory::makePanel(std::unique_ptr<QWidget> content, const QRectF& frame,
                                                  PanelLevel level)
{
    return std::make_unique<X11Panel>(m_screens, m_stacking, std::move(content), frame, level);
}
