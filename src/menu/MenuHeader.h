#pragma once

#include "MenuButton.h"
#include "panel/IlluminatedVoraTitle.h"

#include <memory>
#include <optional>

// The menu's first row: the illuminated "MY VORA" title on the left, and on
// the right "Expand", which opens the dashboard, and the close button.
class MenuHeader final : public MenuSection {
public:
    explicit MenuHeader(MenuContext& context);

    qreal layout(qreal top) override;
    std::vector<MenuPiece*> pieces() override;
    void setOnScreen(bool onScreen) override { m_title.setOnScreen(onScreen); }

private:
    // The neon title, which animates on its own.
    class Title final : public MenuPiece {
    public:
        explicit Title(MenuContext& context);
        // A new title, dim and steady, each time the card comes on screen.
        void setOnScreen(bool onScreen);
        void place(QPointF leadingCentre);
        QRectF rect() const;
        QRectF reach() const override;
        void paint(QPainter& painter) override;

    private:
        MenuContext& m_context;
        QPointF m_centre;
        std::optional<IlluminatedVoraTitle> m_title;
    };

    Title m_title;
    std::unique_ptr<MenuButton> m_expand;
    std::unique_ptr<MenuButton> m_close;
};

// A round header button: the dark circle with the glass rim and the pulse's
// electric edge, a white symbol in the middle.
std::unique_ptr<MenuButton> headerRoundButton(MenuContext& context, QStringView symbol, qreal symbolSize);
