#pragma once

#include "platform/Panels.h"

#include <QWidget>

#include <vector>

// A panel that only remembers what was done to it. An animated move takes
// its end frame at once and completes when the test says so.
class FakePanel final : public Panel {
public:
    FakePanel(const Screens& screens, std::unique_ptr<QWidget> content, const QRectF& frame, PanelLevel level)
        : content(std::move(content)), level(level), m_screens(screens), m_frame(frame)
    {
    }

    QRectF frame() const override { return m_frame; }
    void setFrame(const QRectF& frame, FrameChange change) override
    {
        m_frame = frame;
        changes.push_back(change);
    }
    void animateFrame(const QRectF& frame, std::chrono::milliseconds duration,
                      std::function<void()> completion) override
    {
        m_frame = frame;
        animationDurations.push_back(duration);
        pendingCompletion = std::move(completion);
    }
    void orderFront() override
    {
        visible = true;
        ++frontOrders;
    }
    void orderOut() override { visible = false; }
    bool isVisible() const override { return visible; }
    std::optional<DesktopScreen> screen() const override { return screenHolding(m_frame, m_screens.screens()); }

    // Ends the running animated move, as the window system would.
    void finishAnimation()
    {
        if (auto completion = std::exchange(pendingCompletion, {}))
            completion();
    }

    std::unique_ptr<QWidget> content;
    PanelLevel level;
    bool visible = false;
    int frontOrders = 0;
    std::vector<FrameChange> changes;
    std::vector<std::chrono::milliseconds> animationDurations;
    std::function<void()> pendingCompletion;

private:
    const Screens& m_screens;
    QRectF m_frame;
};

// Hands out fake panels and keeps a pointer to each, in creation order.
class FakePanelFactory final : public PanelFactory {
public:
    explicit FakePanelFactory(const Screens& screens) : m_screens(screens) { }

    std::unique_ptr<Panel> makePanel(std::unique_ptr<QWidget> content, const QRectF& frame, PanelLevel level) override
    {
        auto panel = std::make_unique<FakePanel>(m_screens, std::move(content), frame, level);
        made.push_back(panel.get());
        return panel;
    }

    std::vector<FakePanel*> made;

private:
    const Screens& m_screens;
};
