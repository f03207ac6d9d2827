#pragma once

#include "CardLights.h"
#include "MenuBodies.h"
#include "MenuButton.h"
#include "model/Scheduler.h"
#include "panel/CompanionMenuHost.h"
#include "ui/AnimationDriver.h"

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

class ChangeObserver;
class MediaUtilityBar;
class MenuHeader;
class NativeWindowDragView;
class StandardSections;

// The opened menu: the dark card beside the mascot with its eight rows in a
// fixed order (header, media bar, tool bar, hero buttons, command bar,
// "ASK VORA", agents, body), an animated rim of three rings and a slow
// aurora, and a bare margin that drags the whole panel. The body is the
// first open sub-panel in the switch's order, else the standard sections.
// It is prepared while the pointer is on the mascot, so an opening only
// shows it; it comes on screen with the rings restarted from 0 and its own
// animations started. Closed and left alone, it keeps nothing.
class OpenedMenu final : public CompanionMenuView, private MenuCanvas {
    Q_OBJECT

public:
    OpenedMenu(CompanionMenuHost& host, const ViewEnvironment& environment, CompanionEdition edition,
               MenuApplications applications, MenuBodies bodies = {});
    ~OpenedMenu() override;

    void place(const QRectF& contentArea, bool opensToRight, double presence) override;
    void mascotHovered(bool hovered) override;

    // How long a card prepared for an opening that did not come is kept
    // after the pointer has left the mascot.
    static constexpr std::chrono::seconds keptAfterHover{10};

    // How often the rings and the buttons' sparks get a new picture, and how
    // often the slow aurora does (it turns 22.5 degrees a second).
    static constexpr double rimFramesPerSecond = 24;
    static constexpr double auroraFramesPerSecond = 3;
    static constexpr qreal rowSpacing = 4;
    // The tallest the shell makes the open panel.
    static constexpr qreal tallestOpenPanel = 590;

    bool isShowing() const { return m_showing; }
    MenuBody body() const { return m_bodyKind; }
    // The card in this widget's coordinates.
    QRectF cardGeometry() const;
    // Every control on the card, and one by its accessible name.
    std::vector<MenuButton*> controls() const;
    MenuButton* control(const QString& accessibleName) const;
    NativeWindowDragView* dragSurface() const { return m_dragSurface; }
    MediaUtilityBar* mediaBar() const;
    StandardSections* standardSections() const;
    MenuSection* bodySection() const { return m_body.get(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    class Frames final : public FrameListener {
    public:
        explicit Frames(OpenedMenu& menu) : m_menu(menu) { }
        double framesPerSecond() const override { return rimFramesPerSecond; }
        bool frame(double now) override;

    private:
        OpenedMenu& m_menu;
    };

    // MenuCanvas
    QWidget& controlParent() override { return *this; }
    QPointF cardOrigin() const override;
    qreal devicePixelRatio() const override { return devicePixelRatioF(); }
    double pulsePhase() const override { return m_shown.pulse; }
    void repaintCard(const QRectF& rect) override;
    void relayout() override;
    qreal maximumCardHeight() const override { return m_room; }

    void prepare();
    void prepareSoon();
    void release();
    void appear();
    void comeOnScreen();
    void disappear();
    void restart();
    void buildRows();
    void retire(std::unique_ptr<MenuSection> section);
    void retireRows();
    void modelChanged();
    void followModel();
    std::unique_ptr<MenuSection> makeBody(MenuBody body);
    std::vector<MenuSection*> sections() const;
    void position();
    bool inTransition() const;
    CardLights& lights();
    void newFrame(double now);
    QRegion pulsingRegion() const;
    // The card as lit, brought up to date.
    const QImage& bringUpToDate();
    void paintContent(const QRegion& region);
    // Puts the frame together within area: the card as lit and the sparks over it.
    void composeFrame(const QRegion& area, const QImage& lit);
    // Composes asked and what the rings changed, and carries what changed
    // on screen; answers where.
    QRegion composeChanges(const QRegion& asked);
    void paintTransition(QPainter& painter);

    CompanionMenuHost& m_host;
    CompanionModel& m_model;
    const ViewEnvironment m_environment;
    const MenuApplications m_applications;
    const MenuBodies m_bodies;
    MenuContext m_context;
    ChangeObserver* m_observer = nullptr;
    NativeWindowDragView* m_dragSurface = nullptr;

    std::vector<std::unique_ptr<MenuSection>> m_rows;
    std::unique_ptr<MenuSection> m_body;
    // Rows taken down while something may still run in them.
    std::vector<std::unique_ptr<MenuSection>> m_retired;
    bool m_followQueued = false;
    MenuBody m_bodyKind = MenuBody::standard;
    CompanionAppearance m_appearance;
    qreal m_cardHeight = 0;
    // The pieces that change with the pulse, found at each layout.
    std::vector<MenuPiece*> m_pulsing;

    QRectF m_contentArea;
    // The height the open panel gives the card: at most the tallest panel
    // the shell opens, less the padding around the mascot.
    qreal m_room;
    bool m_opensToRight = false;
    double m_presence = 0;
    bool m_built = false;
    bool m_showing = false;
    bool m_wasOpen = false;
    bool m_mascotHovered = false;
    ScheduledWork m_release;

    // The light is prepared per card size; a few sizes are kept.
    std::vector<std::unique_ptr<CardLights>> m_lights;
    struct Phases {
        double aurora = 0;
        double border = 0;
        double pulse = 0;
        double counterPulse = 0;
    };
    Phases m_shown;
    long long m_auroraSlot = 0;
    // What asked to be painted again since the last frame.
    QRegion m_pending;
    // Every row's pieces on nothing (the card's ground and light go under
    // them), and what of it is out of date.
    QImage m_content;
    QRegion m_contentDirty;
    // The card as last put together: coming and going it is drawn moved;
    // at rest only the pixels where it differs from what the screen shows
    // (the second picture) are repainted.
    QImage m_frame;
    QImage m_frameOnScreen;
    Frames m_frames{*this};
};
