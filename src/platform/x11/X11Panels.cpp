#include "platform/x11/X11Panels.h"

#include "platform/DesktopCoordinates.h"
#include "platform/x11/XcbConnection.h"

#include <QEasingCurve>
#include <QPointer>
#include <QVariantAnimation>
#include <QWidget>

namespace {

// The duration of the window system's own frame animation.
constexpr std::chrono::milliseconds windowSystemAnimation {200};

// Cocoa-style ease-in-ease-out: cubic Bézier (0.42, 0) (0.58, 1).
QEasingCurve easeInEaseOut()
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.42, 0), QPointF(0.58, 1), QPointF(1, 1));
    return curve;
}

class X11Panel;

} // namespace

// The window manager stacks all our panels in one "above" layer; the levels
// among them are kept here: raising a panel raises every visible panel of a
// higher level after it.
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
    X11Panel(XcbConnection* connection, const Screens& screens, std::shared_ptr<PanelStacking> stacking,
             std::unique_ptr<QWidget> content, const QRectF& frame, PanelLevel level)
        : m_connection(connection)
        , m_screens(screens)
        , m_stacking(std::move(stacking))
        , m_level(level)
        , m_window(content.release())
    {
        m_stacking->add(this);
        Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus
            | Qt::NoDropShadowWindowHint;
        m_window->setParent(nullptr, flags);
        m_window->setAttribute(Qt::WA_ShowWithoutActivating);
        m_window->setAttribute(Qt::WA_TranslucentBackground);
        m_window->setAttribute(Qt::WA_X11NetWmWindowTypeUtility);
        m_window->setFocusPolicy(Qt::NoFocus);
        m_window->setWindowTitle(level == PanelLevel::floating ? QStringLiteral("Vora") : QStringLiteral("Vora alert"));
        setGeometryNow(frame);
        m_window->winId(); // the native window exists from here on, so its properties can be set before mapping
        announceStates();
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

    void animateFrame(const QRectF& frame, std::chrono::milliseconds duration, std::function<void()> completion) override
    {
        stopAnimation();
        auto* animation = new QVariantAnimation(m_window);
        animation->setStartValue(this->frame());
        animation->setEndValue(frame);
        animation->setDuration(static_cast<int>(duration.count()));
        animation->setEasingCurve(easeInEaseOut());
        QObject::connect(animation, &QVariantAnimation::valueChanged, m_window, [this](const QVariant& value) {
            setGeometryNow(value.toRectF());
        });
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
        // The window manager drops the states of a window it unmaps, so they
        // are set again before every mapping.
        if (!m_window->isVisible())
            announceStates();
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
        m_window->setGeometry(DesktopCoordinates::toQt(frame, DesktopCoordinates::primaryScreenGeometry()).toAlignedRect());
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

    // Above other windows, on every desktop, out of the taskbar and pager:
    // set on the unmapped window, where the window manager reads them when
    // it takes the window on (Qt keeps states it does not manage itself).
    void announceStates()
    {
        if (!m_connection)
            return;
        xcb_ewmh_connection_t* ewmh = m_connection->ewmh();
        const auto window = static_cast<xcb_window_t>(m_window->winId());
        xcb_ewmh_set_wm_desktop(ewmh, window, 0xFFFFFFFF);
        xcb_atom_t states[] = {ewmh->_NET_WM_STATE_ABOVE, ewmh->_NET_WM_STATE_STICKY, ewmh->_NET_WM_STATE_SKIP_TASKBAR,
                               ewmh->_NET_WM_STATE_SKIP_PAGER};
        xcb_ewmh_set_wm_state(ewmh, window, std::size(states), states);
        // Qt maps the window over its own connection: make sure the server
        // has these properties first.
        m_connection->sync();
    }

    XcbConnection* m_connection;
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

X11PanelFactory::X11PanelFactory(XcbConnection* connection, const Screens& screens)
    : m_connection(connection)
    , m_screens(screens)
    , m_stacking(std::make_shared<PanelStacking>())
{
}

X11PanelFactory::~X11PanelFactory() = default;

std::unique_ptr<Panel> X11PanelFactory::makePanel(std::unique_ptr<QWidget> content, const QRectF& frame, PanelLevel level)
{
    return std::make_unique<X11Panel>(m_connection, m_screens, m_stacking, std::move(content), frame, level);
}
