#pragma once

#include <QRectF>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "platform/Screens.h"

class QWidget;

// Stacking of the companion's borderless panels; an alert panel stands above
// the floating panel, both above normal windows.
enum class PanelLevel { floating, aboveFloating };

// How a frame change reaches the screen.
enum class FrameChange { immediate, windowSystemAnimation };

// A borderless, translucent window that floats above other windows on every
// desktop, skips the taskbar and pager and never takes focus when clicked.
// Frames are in the companion's bottom-left-origin screen points.
class Panel {
public:
    virtual ~Panel() = default;

    // Where the panel stands, or where a running animated move ends.
    virtual QRectF frame() const = 0;
    virtual void setFrame(const QRectF& frame, FrameChange change) = 0;
    // Moves and resizes to frame over duration with ease-in-out timing, then
    // calls completion (also when a later frame change cuts the move short).
    virtual void animateFrame(const QRectF& frame, std::chrono::milliseconds duration,
                              std::function<void()> completion) = 0;

    // Puts the panel on screen in front, without activating the application.
    virtual void orderFront() = 0;
    virtual void orderOut() = 0;
    virtual bool isVisible() const = 0;

    // The screen holding most of the panel, if any.
    virtual std::optional<DesktopScreen> screen() const = 0;
};

class PanelFactory {
public:
    virtual ~PanelFactory() = default;
    // A panel showing content (which it takes over), not yet on screen.
    virtual std::unique_ptr<Panel> makePanel(std::unique_ptr<QWidget> content, const QRectF& frame,
                                             PanelLevel level) = 0;
};
