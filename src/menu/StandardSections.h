#pragma once

#include "MenuBodies.h"
#include "MenuButton.h"
#include "MenuControls.h"
#include "PanelScroller.h"
#include "model/CompanionDestinations.h"

#include <QColor>

#include <memory>
#include <optional>
#include <vector>

// The Go Mobile panel: the phone link's QR code with short instructions,
// shown in the standard sections while the model asks for it. Its back chip
// clears the panel's fields and leaves the menu open.
class MobileInstructions final : public MenuSection {
public:
    explicit MobileInstructions(MenuContext& context);

    qreal layout(qreal top) override;
    qreal layoutAcross(qreal top, qreal width) override;
    std::vector<MenuPiece*> pieces() override;

    static constexpr qreal qrSide = 148;
    static constexpr qreal qrPadding = 14;

private:
    std::optional<QImage> m_code;
    MenuPicture m_background;
    PanelHeading m_heading;
    MenuPicture m_codeBlock;
    MenuPicture m_texts;
};

// The default body of the menu: the "MY VORA OS" launchers, the business
// links, the Go Mobile panel, the reporting band and its tiles, the usage
// pill and the footer, each block a row of the menu's column. Taller than
// the room below the rows above them (with the Go Mobile code showing), they
// show through a scrolling window.
class StandardSections final : public MenuSection {
public:
    StandardSections(MenuContext& context, const MenuBodies::Factory& usagePill);
    ~StandardSections() override;

    bool refresh() override;
    void setOnScreen(bool onScreen) override;
    qreal layout(qreal top) override;
    void paint(QPainter& painter, const QRectF& dirty) override;
    std::vector<MenuPiece*> pieces() override;

    // One launcher of the OS grid or the business links: the first of its
    // pictures that loads is shown, else its symbol in its tint.
    struct IconTile {
        QString title{};
        QString symbol{};
        QColor tint = Qt::white;
        QString resourceName{};    // a PNG of the resource bundle
        QString applicationPath{}; // an installed application whose icon is preferred
        bool payMark = false;      // the payment mark
        std::function<std::function<void()>(CompanionModel& model)> makeAction{};
    };
    static std::vector<IconTile> osGridTiles();
    static std::vector<IconTile> businessLinkTiles();

    MobileInstructions* mobileInstructions() const { return m_mobile.get(); }
    MenuSection* usagePill() const { return m_usagePill.get(); }
    const PanelScroller& scroller() const { return m_scroller; }

    static constexpr qreal iconTileHeight = 34;

private:
    // Lays the blocks out from top, width points wide; answers their height.
    qreal layoutBlocks(qreal top, qreal width);
    // The controls go into the window's viewport while it scrolls, else
    // onto the card, where the bare gaps between them drag the panel.
    void adoptControls();
    std::vector<MenuPiece*> ownPieces();
    std::unique_ptr<MenuButton> iconTile(const IconTile& tile);
    std::unique_ptr<MenuButton> reportingTile(const QString& title, std::function<void()> action);

    // What the Go Mobile panel was built from.
    struct MobileState {
        bool visible;
        qint64 code;
        friend bool operator==(const MobileState&, const MobileState&) = default;
    };
    MobileState mobileState() const;

    // Declared before the controls, so they go first.
    PanelScroller m_scroller;
    MenuPicture m_divider;
    MenuPicture m_title;
    std::vector<std::unique_ptr<MenuButton>> m_osGrid;
    std::vector<std::unique_ptr<MenuButton>> m_businessLinks;
    MobileState m_mobileState;
    std::unique_ptr<MobileInstructions> m_mobile;
    MenuPicture m_band;
    std::vector<std::unique_ptr<MenuButton>> m_reporting;
    std::unique_ptr<MenuSection> m_usagePill;
    MenuPicture m_footer;
};
