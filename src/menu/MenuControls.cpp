#include "MenuControls.h"

#include "MenuLayout.h"

#include "model/BrandColors.h"
#include "model/CompanionModel.h"
#include "model/ResourceBundle.h"
#include "ui/FittedText.h"
#include "ui/GlowCache.h"

#include <QFileInfo>
#include <QPainter>
#include <QSvgRenderer>

namespace {

constexpr Animation panelToggle = Animation::easeInOut(0.16);

// The back chip's content and padding.
constexpr qreal backSymbolSize = 11;
constexpr qreal backSpacing = 3;
constexpr QMarginsF backPadding{12, 6, 12, 6};
const Shadow backShadow{QColor(), 5, {0, 2}};

QFont backFont() { return systemFont(11.5, QFont::Bold); }

QString backTitle() { return QStringLiteral("Back"); }

} // namespace

std::unique_ptr<MenuButton> makeMenuButton(MenuContext& context, QWidget* parent)
{
    auto button = std::make_unique<MenuButton>(context.canvas, context.environment.animations,
                                               parent ? parent : &context.canvas.controlParent());
    button->show();
    return button;
}

void placeEqually(const std::vector<std::unique_ptr<MenuButton>>& buttons, const QRectF& row, qreal spacing)
{
    const std::vector<QRectF> places = equalTiles(row, int(buttons.size()), spacing);
    for (std::size_t index = 0; index < places.size(); ++index)
        buttons[index]->setCardRect(places[index]);
}

void actThenClose(MenuContext& context, const std::function<void()>& action)
{
    if (action)
        action();
    context.model.setMenuOpen(false);
}

void withPanelAnimation(CompanionModel& model, const std::function<void()>& change)
{
    model.withAnimation(panelToggle, change);
}

QSizeF panelBackButtonSize()
{
    const qreal symbol = backSymbolSize * 1.2;
    const QFont font = backFont();
    return {backPadding.left() + symbol + backSpacing + textWidth(backTitle(), font) + backPadding.right(),
            backPadding.top() + std::max(symbol, lineHeight(font)) + backPadding.bottom()};
}

std::unique_ptr<MenuButton> panelBackButton(MenuContext& context, std::function<void()> action)
{
    std::unique_ptr<MenuButton> button = makeMenuButton(context);
    button->setShape(MenuButton::Shape::capsule);
    button->setNames(QStringLiteral("Close Varadi controls"), QStringLiteral("Close Varadi controls"));
    CompanionModel& model = context.model;
    button->setAction([&model, action = std::move(action)] { withPanelAnimation(model, action); });
    Shadow shadow = backShadow;
    shadow.colour = withOpacity(lumivoMagenta(), 0.5);
    const qreal reach = shadowReach(shadow);
    button->setLabel(
        [shadow](QPainter& painter, const QRectF& rect) {
            paintWithShadows(painter, rect, {shadow}, [&](QPainter& p) {
                const QPainterPath capsule = capsulePath(rect);
                p.fillPath(capsule, primaryBrandGradient(rect));
                p.strokePath(capsule, QPen(whiteAt(0.34), 1));
            });
            const QRectF content = rect.marginsRemoved(backPadding);
            const qreal symbol = backSymbolSize * 1.2;
            painter.fillPath(
                symbolAt(u"chevron.left", backSymbolSize, QPointF(content.left() + symbol / 2, content.center().y())),
                Qt::white);
            drawLine(painter, content.adjusted(symbol + backSpacing, 0, 0, 0), backTitle(), backFont(), 1,
                     Qt::AlignLeft, Qt::white);
        },
        QMarginsF(reach, reach, reach, reach));
    return button;
}

PanelHeading::PanelHeading(MenuContext& context, const QString& title, std::function<void()> close)
    : m_back(panelBackButton(context, std::move(close)))
{
    m_title.setDraw([title](QPainter& painter, const QRectF& rect) {
        drawLine(painter, rect, title, titleFont(), 1, Qt::AlignLeft, menuSecondary());
    });
}

QFont PanelHeading::titleFont() { return systemFont(9, QFont::Black); }

qreal PanelHeading::height() { return std::max(panelBackButtonSize().height(), lineHeight(titleFont())); }

qreal PanelHeading::layout(const QRectF& row)
{
    constexpr qreal spacing = 7;
    const QSizeF back = panelBackButtonSize();
    const qreal height = PanelHeading::height();
    m_back->setCardRect(QRectF(QPointF(row.left(), row.top() + (height - back.height()) / 2), back));
    m_title.setRect(
        QRectF(row.left() + back.width() + spacing, row.top(), row.width() - back.width() - spacing, height));
    return height;
}

void paintPanelCard(QPainter& painter, const QRectF& rect, qreal radius)
{
    const QPainterPath card = roundedPath(rect, radius);
    painter.fillPath(card, buttonGradient(rect));
    painter.strokePath(card, QPen(withOpacity(lumivoViolet(), 0.4), 1));
}

void paintTileCapsule(QPainter& painter, const QRectF& rect)
{
    const QPainterPath capsule = capsulePath(rect);
    painter.fillPath(capsule, buttonGradient(rect));
    painter.strokePath(capsule, QPen(glassButtonRim(rect), 0.9));
}

QFont compactTitleFont() { return systemFont(8.8, QFont::Bold); }

void paintCompactTile(QPainter& painter, const QRectF& rect, const QString& title, qreal padding, qreal minimumScale,
                      const std::function<void(QPainter&, const QRectF&)>& icon)
{
    constexpr qreal spacing = 5;
    paintTileCapsule(painter, rect);
    const qreal room = rect.width() - 2 * padding - tileIconSide - spacing;
    const QFont fitted = shrunkToFit(compactTitleFont(), title, room, minimumScale);
    const qreal content = tileIconSide + spacing + std::min(room, textWidth(title, fitted));
    const QRectF square(rect.center().x() - content / 2, rect.center().y() - tileIconSide / 2, tileIconSide,
                        tileIconSide);
    icon(painter, square);
    drawLine(painter, QRectF(square.right() + spacing, rect.top(), room, rect.height()), title, fitted, 1,
             Qt::AlignLeft, menuText());
}

void paintIconSurface(QPainter& painter, const QRectF& square, qreal radius)
{
    painter.fillPath(roundedPath(square, radius), iconSurface());
}

void paintGradientSymbol(QPainter& painter, QStringView name, qreal fontSize, QPointF centre, qreal glowOpacity)
{
    const QPainterPath glyph = symbolAt(name, fontSize, centre);
    const QRectF box = glyph.boundingRect();
    paintWithShadows(painter, box, {{withOpacity(lumivoMagenta(), glowOpacity), 3, {}}},
                     [&](QPainter& p) { p.fillPath(glyph, voraIconGradient(box)); });
}

void paintFitted(QPainter& painter, const QImage& image, const QRectF& rect)
{
    if (image.isNull())
        return;
    QSizeF size = image.deviceIndependentSize();
    size.scale(rect.size(), Qt::KeepAspectRatio);
    painter.drawImage(QRectF(rect.center() - QPointF(size.width() / 2, size.height() / 2), size), image);
}

QPainterPath capsuleBorder(const QRectF& rect, qreal lineWidth)
{
    QPainterPath border = capsulePath(rect);
    border.addPath(capsulePath(rect.adjusted(lineWidth, lineWidth, -lineWidth, -lineWidth)));
    border.setFillRule(Qt::OddEvenFill);
    return border;
}

QPainterPath circleBorder(const QRectF& rect, qreal lineWidth)
{
    QPainterPath border;
    border.addEllipse(rect);
    border.addEllipse(rect.adjusted(lineWidth, lineWidth, -lineWidth, -lineWidth));
    border.setFillRule(Qt::OddEvenFill);
    return border;
}

void ElectricEdge::paint(QPainter& painter, const QRectF& rect, double pulsePhase)
{
    static const ConicTable spark({Qt::transparent, Qt::transparent, Qt::transparent, whiteAt(0.95), Qt::transparent,
                                   Qt::transparent, Qt::transparent, Qt::transparent, Qt::transparent});
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    if (!m_band || m_size != rect.size() || m_band->devicePixelRatio() != dpr) {
        m_size = rect.size();
        const QRectF local(QPointF(0, 0), rect.size());
        QImage shape = transparentImage(rect.size(), dpr);
        QPainter border(&shape);
        border.setRenderHint(QPainter::Antialiasing);
        border.fillPath(m_shape == Shape::circle ? circleBorder(local, m_lineWidth) : capsuleBorder(local, m_lineWidth),
                        Qt::white);
        border.end();
        m_band.emplace(shape, local.center());
    }
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Plus);
    painter.drawImage(rect.topLeft(), m_band->turned(spark, pulsePhase));
    painter.restore();
}

QImage iconPicture(const QIcon& icon, QSizeF size, qreal dpr)
{
    if (icon.isNull())
        return {};
    QImage image = icon.pixmap(size.toSize(), dpr).toImage();
    if (!image.isNull())
        image.setDevicePixelRatio(image.width() / std::max<qreal>(1, size.width()));
    return image;
}

QImage imageFile(const QString& path, QSizeF size, qreal dpr)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return {};
    if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        QSvgRenderer renderer(path);
        if (!renderer.isValid())
            return {};
        QImage image = transparentImage(size, dpr);
        QPainter painter(&image);
        QSizeF fitted = renderer.defaultSize();
        fitted.scale(size, Qt::KeepAspectRatio);
        renderer.render(
            &painter,
            QRectF(QPointF((size.width() - fitted.width()) / 2, (size.height() - fitted.height()) / 2), fitted));
        return image;
    }
    if (path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        return readPng(path);
    return QImage(path);
}

std::optional<QImage> brandImage(const MenuContext& context, const QString& applicationPath, const QString& imagePath,
                                 const QString& resourceName, const QString& resourceExtension, QSizeF size, qreal dpr)
{
    const QImage fromFile = imageFile(imagePath, size, dpr);
    if (!fromFile.isNull())
        return fromFile;
    if (!resourceName.isEmpty()) {
        const QImage resource =
            imageFile(context.environment.resources.pathFor(resourceName, resourceExtension), size, dpr);
        if (!resource.isNull())
            return resource;
    }
    if (const std::optional<QIcon> icon = context.applications.originalAppIcon(applicationPath)) {
        const QImage picture = iconPicture(*icon, size, dpr);
        if (!picture.isNull())
            return picture;
    }
    return std::nullopt;
}

std::optional<QImage> openClawImage(const ResourceBundle& bundle, QSizeF size, qreal dpr)
{
    const QImage image = imageFile(bundle.pathFor(QStringLiteral("openclaw-icon"), QStringLiteral("svg")), size, dpr);
    if (image.isNull())
        return std::nullopt;
    return image;
}
