#pragma once

#include "ConicTable.h"
#include "MenuButton.h"
#include "MenuLooks.h"
#include "model/CompanionModel.h"

#include <QIcon>

#include <memory>
#include <optional>

class ResourceBundle;

// The pieces the menu's tiles and chips are made of, shared by its rows and
// its sub-panels.

// A control placed on the card (or in parent, a widget on it).
std::unique_ptr<MenuButton> makeMenuButton(MenuContext& context, QWidget* parent = nullptr);

// A tile's action that is the model's hook as it stands when the row is built.
template <typename Hook>
std::function<std::function<void()>(CompanionModel&)> hookAsBuilt(Hook CompanionModel::*hook)
{
    return [hook](CompanionModel& model) -> std::function<void()> { return model.*hook; };
}

// Places buttons side by side across row, equally wide, spacing apart.
void placeEqually(const std::vector<std::unique_ptr<MenuButton>>& buttons, const QRectF& row, qreal spacing);

// Runs action, then closes the menu through the model's setMenuOpen hook,
// as every launcher tile does that does not keep the menu open.
void actThenClose(MenuContext& context, const std::function<void()>& action);
// Runs change inside the 0.16 s ease-in-out animation the panel toggles use.
void withPanelAnimation(CompanionModel& model, const std::function<void()>& change);

// The gradient "Back" chip that heads every sub-panel; its action runs in
// the panels' animation and nothing else happens.
std::unique_ptr<MenuButton> panelBackButton(MenuContext& context, std::function<void()> action);
QSizeF panelBackButtonSize();

// The row that heads a sub-panel: its Back chip and, 7 points after it, the
// panel's name in small black capitals.
class PanelHeading {
public:
    PanelHeading(MenuContext& context, const QString& title, std::function<void()> close);

    // Lays the row out from row's top-left across its width; answers its height.
    qreal layout(const QRectF& row);
    std::vector<MenuPiece*> pieces() { return {&m_title, m_back.get()}; }

    static QFont titleFont();
    static qreal height();

private:
    std::unique_ptr<MenuButton> m_back;
    MenuPicture m_title;
};

// The ground of a block inside a panel: buttonGradient in a rounded
// rectangle, edged with violet.
void paintPanelCard(QPainter& painter, const QRectF& rect, qreal radius);

// A tile's capsule: buttonGradient with the glass rim, line width 0.9.
void paintTileCapsule(QPainter& painter, const QRectF& rect);
// The square an icon of a compact tile sits in, and its corner radius.
inline constexpr qreal tileIconSide = 24;
inline constexpr qreal tileIconRadius = 7;
// The small titles of compact tiles: 8.8 points, bold.
QFont compactTitleFont();
// A compact tile's label: the tile's capsule and, centred across it, the
// icon square (icon paints into it) beside the title, which shrinks down to
// minimumScale of its size before it is cut; padding keeps both off the ends.
void paintCompactTile(QPainter& painter, const QRectF& rect, const QString& title, qreal padding, qreal minimumScale,
                      const std::function<void(QPainter& painter, const QRectF& square)>& icon);
// The dark square an icon sits on.
void paintIconSurface(QPainter& painter, const QRectF& square, qreal radius);
// A symbol filled with voraIconGradient over its own box, glowing magenta.
void paintGradientSymbol(QPainter& painter, QStringView name, qreal fontSize, QPointF centre, qreal glowOpacity);
// An image scaled to fit rect, centred, in its own colours.
void paintFitted(QPainter& painter, const QImage& image, const QRectF& rect);

// The band inside a shape's edge, line points wide.
QPainterPath capsuleBorder(const QRectF& rect, qreal lineWidth);
QPainterPath circleBorder(const QRectF& rect, qreal lineWidth);

// The spark that runs round a round button's edge with the rings' pulse: a
// white conic band turned by the pulse phase, seen through the band inside
// the button's edge, added to the light beneath. Prepared once per size.
class ElectricEdge {
public:
    enum class Shape { circle, capsule };
    ElectricEdge(Shape shape, qreal lineWidth) : m_shape(shape), m_lineWidth(lineWidth) { }

    void paint(QPainter& painter, const QRectF& rect, double pulsePhase);

private:
    Shape m_shape;
    qreal m_lineWidth;
    QSizeF m_size;
    std::optional<ConicBand> m_band;
};

// An icon as a picture of size points at the device pixel ratio.
QImage iconPicture(const QIcon& icon, QSizeF size, qreal dpr);
// An image read from a file, rendering a vector file at size.
QImage imageFile(const QString& path, QSizeF size, qreal dpr);

// The agent tiles' image: the file at imagePath when it loads, else the named
// resource of the bundle when it loads, else the installed application's icon.
std::optional<QImage> brandImage(const MenuContext& context, const QString& applicationPath, const QString& imagePath,
                                 const QString& resourceName, const QString& resourceExtension, QSizeF size, qreal dpr);

// The "openclaw-icon" vector mark from the resource bundle, none when missing.
std::optional<QImage> openClawImage(const ResourceBundle& bundle, QSizeF size, qreal dpr);
