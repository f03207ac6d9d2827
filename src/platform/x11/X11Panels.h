#pragma once

#include "platform/Panels.h"

#include <memory>

class PanelStacking;
class Screens;

// Panels as frameless Qt tool windows outside the window manager's care:
// above normal and full-screen windows, on every desktop, without focus.
class X11PanelFactory final : public PanelFactory {
public:
    explicit X11PanelFactory(const Screens& screens);
    ~X11PanelFactory() override;

    std::unique_ptr<Panel> makePanel(std::unique_ptr<QWidget> content, const QRectF& frame, PanelLevel level) override;

private:
    const Screens& m_screens;
    std::shared_ptr<PanelStacking> m_stacking;
};
