#pragma once

#include "platform/Panels.h"

#include <memory>

class PanelStacking;
class Screens;
class XcbConnection;

// Panels as frameless Qt tool windows that the window manager keeps above
// normal windows and on every desktop, without focus.
class X11PanelFactory final : public PanelFactory {
public:
    // connection may be null (no X server): the panels then rely on Qt's
    // window flags alone.
    X11PanelFactory(XcbConnection* connection, const Screens& screens);
    ~X11PanelFactory() override;

    std::unique_ptr<Panel> makePanel(std::unique_ptr<QWidget> content, const QRectF& frame, PanelLevel level) override;

private:
    XcbConnection* m_connection;
    const Screens& m_screens;
    std::shared_ptr<PanelStacking> m_stacking;
};
