#include "StandardSections.h"

#include "MenuControls.h"
#include "MenuMetrics.h"
#include "model/BrandColors.h"
#include "model/CompanionModel.h"
#include "model/ResourceBundle.h"
#include "panel/MascotArtwork.h"
#include "panel/VaradiChevronMark.h"
#include "ui/FittedText.h"

#include <QPainter>

namespace {

constexpr qreal blockSpacing = 4;
constexpr qreal tileSpacing = 4;
constexpr qreal appIconSize = 21;
constexpr qreal markSize = 16;
constexpr double reportingFaceSeconds = 3.4;

QColor rgb(qreal red, qreal green, qreal blue) { return QColor::fromRgbF(red, green, blue); }

std::function<std::function<void()>(CompanionModel&)> googleLink(CompanionCTA target)
{
    return [target](CompanionModel& model) -> std::function<void()> {
        return [open = model.openGoogleLink, target] { open(target); };
    };
}

QFont sectionFont() { return systemFont(9, QFont::Bold); }

// The Go Mobile panel's texts, in their fonts and colours.
struct PanelText {
    QString text;
    QFont font;
    QColor colour;
};
std::vector<PanelText> mobileTexts()
{
    return {
        {QStringLiteral("Scan to go mobile"), systemFont(11.5, QFont::Bold), Qt::white},
        {QStringLiteral(
             "Point the phone or iPad camera at the code \u2014 Varadi OS opens instantly. Then Share \u2192 "
             "Add to Home Screen for the app."),
         systemFont(9.5, QFont::Medium), menuSecondary()},
        {QStringLiteral("Private link also copied to the clipboard."), systemFont(9, QFont::DemiBold), menuSecondary()},
    };
}
constexpr qreal mobileTextSpacing = 4;
constexpr QMarginsF mobilePadding{11, 10, 11, 10};
constexpr qreal mobileRowSpacing = 8;
constexpr qreal mobileCodeSpacing = 11;
constexpr qreal mobileCornerRadius = 14;

qreal mobileTextsHeight(qreal width)
{
    qreal height = 0;
    for (const PanelText& text : mobileTexts())
        height += wrappedLines(text.text, text.font, width, 100).size() * lineHeight(text.font);
    return height + mobileTextSpacing * (mobileTexts().size() - 1);
}

void paintMobileTexts(QPainter& painter, const QRectF& rect)
{
    qreal y = rect.top();
    for (const PanelText& text : mobileTexts()) {
        const qreal line = lineHeight(text.font);
        for (const QString& shown : wrappedLines(text.text, text.font, rect.width(), 100)) {
            painter.setFont(text.font);
            painter.setPen(text.colour);
            painter.drawText(QRectF(rect.left(), y, rect.width(), line), Qt::AlignLeft | Qt::AlignVCenter, shown);
            y += line;
        }
        y += mobileTextSpacing;
    }
}

// The band heading the reporting tiles.
const QString bandTitle = QStringLiteral("ZORIVIR AI 2.0 REPORTING");
const QString badgeTitle = QStringLiteral("BETA");
constexpr QMarginsF badgePadding{6, 2, 6, 2};

QFont badgeFont() { return systemFont(7, QFont::Black); }

QSizeF bandSize()
{
    const QFont badge = badgeFont();
    const QSizeF badgeSize(textWidth(badgeTitle, badge) + badgePadding.left() + badgePadding.right(),
                           lineHeight(badge) + badgePadding.top() + badgePadding.bottom());
    return {textWidth(bandTitle, sectionFont()) + 5 + badgeSize.width(),
            std::max(lineHeight(sectionFont()), badgeSize.height())};
}

// The footer's brand mark and words.
const QString footerTitle = QStringLiteral("POWERED BY VARADI INTELLIGENCE");
constexpr qreal chevronSide = 20;

QFont footerFont() { return trackedFont(9.5, QFont::Black, 0.6); }

} // namespace

// Go Mobile ----------------------------------------------------------------------

MobileInstructions::MobileInstructions(MenuContext& context)
    : MenuSection(context), m_code(context.model.mobileQRImage.get()),
      m_heading(context, QStringLiteral("GO MOBILE"), [&model = context.model] {
          model.mobileInstructionsVisible = false;
          model.mobileLinkCopied = false;
          model.mobileQRImage = std::nullopt;
      })
{
    m_background.setDraw(
        [](QPainter& painter, const QRectF& rect) { paintPanelCard(painter, rect, mobileCornerRadius); },
        QMarginsF(1, 1, 1, 1));
    if (m_code) {
        m_codeBlock.setDraw([code = *m_code](QPainter& painter, const QRectF& rect) {
            painter.fillPath(roundedPath(rect, mobileCornerRadius), Qt::white);
            // Each module stays a sharp square when the code is scaled up.
            painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
            paintFitted(painter, code, rect.adjusted(qrPadding, qrPadding, -qrPadding, -qrPadding));
        });
    }
    m_texts.setDraw([](QPainter& painter, const QRectF& rect) { paintMobileTexts(painter, rect); });
}

qreal MobileInstructions::layout(qreal top) { return layoutAcross(top, MenuContext::columnWidth()); }

qreal MobileInstructions::layoutAcross(qreal top, qreal width)
{
    const qreal left = MenuContext::columnLeft();
    const QRectF inner = QRectF(left, top, width, 0).marginsRemoved(mobilePadding);
    const qreal headingHeight = m_heading.layout(inner);

    const qreal codeTop = inner.top() + headingHeight + mobileRowSpacing;
    const qreal block = qrSide + 2 * qrPadding;
    const qreal textLeft = m_code ? inner.left() + block + mobileCodeSpacing : inner.left();
    const qreal textWidth = inner.right() - textLeft;
    const qreal textHeight = mobileTextsHeight(textWidth);
    const qreal rowHeight = m_code ? std::max(block, textHeight) : textHeight;
    if (m_code)
        m_codeBlock.setRect(QRectF(inner.left(), codeTop + (rowHeight - block) / 2, block, block));
    m_texts.setRect(QRectF(textLeft, codeTop + (rowHeight - textHeight) / 2, textWidth, textHeight));

    const qreal height = mobilePadding.top() + headingHeight + mobileRowSpacing + rowHeight + mobilePadding.bottom();
    m_background.setRect(QRectF(left, top, width, height));
    return height;
}

std::vector<MenuPiece*> MobileInstructions::pieces()
{
    std::vector<MenuPiece*> all{&m_background};
    if (m_code)
        all.push_back(&m_codeBlock);
    all.push_back(&m_texts);
    for (MenuPiece* piece : m_heading.pieces())
        all.push_back(piece);
    return all;
}

// The sections ---------------------------------------------------------------------

std::vector<StandardSections::IconTile> StandardSections::osGridTiles()
{
    return {
        {.title = QStringLiteral("My Agenda"),
         .symbol = QStringLiteral("calendar"),
         .tint = rgb(0.92, 0.26, 0.22),
         .applicationPath = QStringLiteral("/Applications/Fantastical.app"),
         .makeAction = hookAsBuilt(&CompanionModel::openSchedule)},
        {.title = QStringLiteral("Meet"),
         .symbol = QStringLiteral("video.fill"),
         .tint = rgb(0, 0.66, 0.42),
         .resourceName = QStringLiteral("google-meet"),
         .makeAction = hookAsBuilt(&CompanionModel::openGoToMeeting)},
        {.title = QStringLiteral("Email"),
         .symbol = QStringLiteral("envelope.fill"),
         .tint = rgb(0.85, 0.29, 0.25),
         .resourceName = QStringLiteral("email-multicolor"),
         .makeAction = hookAsBuilt(&CompanionModel::openSuperhuman)},
        {.title = QStringLiteral("Slack"),
         .symbol = QStringLiteral("bubble.left.and.bubble.right.fill"),
         .tint = rgb(0.61, 0.32, 0.73),
         .applicationPath = QStringLiteral("/Applications/Slack.app"),
         .makeAction = hookAsBuilt(&CompanionModel::openSlack)},
        {.title = QStringLiteral("Phone"),
         .symbol = QStringLiteral("phone.fill"),
         .tint = rgb(0.22, 0.72, 0.35),
         .applicationPath = QStringLiteral("/System/Applications/Phone.app"),
         .makeAction = hookAsBuilt(&CompanionModel::openPhone)},
        {.title = QStringLiteral("Messages"),
         .symbol = QStringLiteral("message.fill"),
         .tint = rgb(0.24, 0.76, 0.36),
         .applicationPath = QStringLiteral("/System/Applications/Messages.app"),
         .makeAction = hookAsBuilt(&CompanionModel::openMessages)},
    };
}

std::vector<StandardSections::IconTile> StandardSections::businessLinkTiles()
{
    return {
        {.title = QStringLiteral("Agreement"),
         .symbol = QStringLiteral("signature"),
         .makeAction = googleLink(CompanionCTA::agreements)},
        {.title = QStringLiteral("CCA"),
         .symbol = QStringLiteral("doc.badge.gearshape"),
         .makeAction = googleLink(CompanionCTA::cca)},
        {.title = QStringLiteral("Varadi Pay"),
         .symbol = QStringLiteral("creditcard.fill"),
         .payMark = true,
         .makeAction = hookAsBuilt(&CompanionModel::openLumivoPay)},
    };
}

StandardSections::StandardSections(MenuContext& context, const MenuBodies::Factory& usagePill)
    : MenuSection(context), m_scroller(context, [this] { layoutBlocks(m_scroller.top(), m_scroller.rowWidth()); }),
      m_mobileState(mobileState())
{
    m_divider.setDraw([](QPainter& painter, const QRectF& rect) {
        QLinearGradient line(rect.topLeft(), rect.topRight());
        line.setColorAt(0, Qt::transparent);
        line.setColorAt(0.5, whiteAt(0.3));
        line.setColorAt(1, Qt::transparent);
        painter.fillRect(rect, line);
    });
    m_title.setDraw([](QPainter& painter, const QRectF& rect) {
        drawLine(painter, rect, QStringLiteral("MY VORA OS"), sectionFont(), 1, Qt::AlignLeft, menuSecondary());
    });
    for (const IconTile& tile : osGridTiles())
        m_osGrid.push_back(iconTile(tile));
    for (const IconTile& tile : businessLinkTiles())
        m_businessLinks.push_back(iconTile(tile));
    if (m_mobileState.visible)
        m_mobile = std::make_unique<MobileInstructions>(context);

    m_band.setDraw(
        [](QPainter& painter, const QRectF& rect) {
            const QFont font = sectionFont();
            const qreal titleWidth = textWidth(bandTitle, font);
            drawLine(painter, QRectF(rect.left(), rect.top(), titleWidth + 1, rect.height()), bandTitle, font, 1,
                     Qt::AlignLeft, menuSecondary());
            const QFont badge = badgeFont();
            const QSizeF badgeSize(textWidth(badgeTitle, badge) + badgePadding.left() + badgePadding.right(),
                                   lineHeight(badge) + badgePadding.top() + badgePadding.bottom());
            const QRectF chip(QPointF(rect.left() + titleWidth + 5, rect.center().y() - badgeSize.height() / 2),
                              badgeSize);
            const QPainterPath capsule = capsulePath(chip);
            painter.fillPath(capsule, primaryBrandGradient(chip));
            painter.strokePath(capsule, QPen(whiteAt(0.42), 0.8));
            drawLine(painter, chip.marginsRemoved(badgePadding), badgeTitle, badge, 1, Qt::AlignHCenter, Qt::white);
        },
        QMarginsF(1, 1, 1, 1));

    CompanionModel& model = context.model;
    m_reporting.push_back(reportingTile(QStringLiteral("My Vora Audit"), model.openZorivirReport));
    m_reporting.push_back(reportingTile(QStringLiteral("My Vora Plan"), model.openZorivirPlan));

    if (context.edition.allowsUsageVisibility() && usagePill)
        m_usagePill = usagePill(context);

    const Shadow markGlows[] = {{whiteAt(0.7), 4, {}}, {withOpacity(lumivoMagenta(), 0.4), 7, {}}};
    const Shadow wordsGlow{whiteAt(0.35), 2, {}};
    const qreal reach = shadowReach(markGlows[0]) + shadowReach(markGlows[1]);
    m_footer.setDraw(
        [markGlows, wordsGlow](QPainter& painter, const QRectF& rect) {
            const QFont font = footerFont();
            const qreal words = textWidth(footerTitle, font);
            const qreal left = rect.center().x() - (chevronSide + 7 + words) / 2;
            const QRectF mark(left, rect.center().y() - chevronSide / 2, chevronSide, chevronSide);
            paintWithShadows(painter, mark, {markGlows[0], markGlows[1]},
                             [&](QPainter& p) { p.fillPath(VaradiChevronMark::path(mark), Qt::white); });
            const QRectF text(mark.right() + 7, rect.top(), words + 2, rect.height());
            paintWithShadows(painter, text, {wordsGlow},
                             [&](QPainter& p) { drawLine(p, text, footerTitle, font, 1, Qt::AlignLeft, Qt::white); });
        },
        QMarginsF(reach, reach, reach, reach));
}

StandardSections::~StandardSections() = default;

StandardSections::MobileState StandardSections::mobileState() const
{
    const CompanionModel& model = context().model;
    const std::optional<QImage>& code = model.mobileQRImage.get();
    return {model.mobileInstructionsVisible, code ? code->cacheKey() : 0};
}

std::unique_ptr<MenuButton> StandardSections::iconTile(const IconTile& tile)
{
    std::unique_ptr<MenuButton> button = makeMenuButton(context());
    button->setShape(MenuButton::Shape::capsule);
    button->setNames(tile.title, tile.title);
    // The first picture that loads: the application's icon, the mark, the resource.
    const qreal dpr = context().canvas.devicePixelRatio();
    const ResourceBundle& resources = context().environment.resources;
    std::optional<std::pair<QImage, qreal>> picture;
    if (const std::optional<QIcon> icon = context().applications.originalAppIcon(tile.applicationPath))
        picture = std::pair(iconPicture(*icon, QSizeF(appIconSize, appIconSize), dpr), appIconSize);
    const QImage mark = tile.payMark
        ? imageFile(resources.pathFor(QStringLiteral("varadi-pay-mark"), QStringLiteral("svg")),
                    QSizeF(markSize, markSize), dpr)
        : QImage();
    if (!picture && !mark.isNull())
        picture = std::pair(mark, markSize);
    if (!picture && !tile.resourceName.isEmpty()) {
        const QImage resource = imageFile(resources.pathFor(tile.resourceName, QStringLiteral("png")), QSizeF(), dpr);
        if (!resource.isNull())
            picture = std::pair(resource, markSize);
    }
    button->setLabel(
        [picture, symbol = tile.symbol, tint = tile.tint](QPainter& painter, const QRectF& rect) {
            paintTileCapsule(painter, rect);
            if (picture) {
                const qreal side = picture->second;
                paintFitted(painter, picture->first,
                            QRectF(rect.center() - QPointF(side / 2, side / 2), QSizeF(side, side)));
                return;
            }
            const QPainterPath glyph = symbolAt(symbol, 13, rect.center());
            paintWithShadows(painter, glyph.boundingRect(), {{withOpacity(tint, 0.55), 3, {}}},
                             [&](QPainter& p) { p.fillPath(glyph, tint); });
        },
        QMarginsF(1, 1, 1, 1));
    button->setAction([this, action = tile.makeAction(context().model)] { actThenClose(context(), action); });
    return button;
}

std::unique_ptr<MenuButton> StandardSections::reportingTile(const QString& title, std::function<void()> action)
{
    std::unique_ptr<MenuButton> button = makeMenuButton(context());
    button->setShape(MenuButton::Shape::capsule);
    button->setNames(title, QString());
    const QImage logo = voraLogoImage(context().environment.resources);
    const Shadow glow{withOpacity(lumivoViolet(), 0.55), 7, {0, 3}};
    const Shadow textShadow{QColor::fromRgbF(0, 0, 0, 0.32), 1, {0, 1}};
    const qreal reach = shadowReach(glow);
    button->setLabel(
        [logo, title, glow, textShadow](QPainter& painter, const QRectF& rect) {
            paintWithShadows(painter, rect, {glow}, [&](QPainter& p) {
                const QPainterPath capsule = capsulePath(rect);
                p.fillPath(capsule, primaryBrandGradient(rect));
                p.strokePath(capsule, QPen(whiteAt(0.34), 0.9));
            });
            const qreal icon = MenuMetrics::actionIconSize;
            const QRectF square(rect.left() + MenuMetrics::actionHorizontalPadding, rect.center().y() - icon / 2, icon,
                                icon);
            paintWithShadows(painter, rect, {textShadow}, [&](QPainter& p) {
                const QPainterPath plate = roundedPath(square, MenuMetrics::actionIconRadius);
                p.fillPath(plate, whiteAt(0.17));
                p.strokePath(plate, QPen(whiteAt(0.38), 0.8));
                p.save();
                p.setClipPath(roundedPath(square, 5));
                p.drawImage(square, logo);
                p.restore();
                const qreal textLeft = square.right() + MenuMetrics::actionSpacing;
                drawLine(p,
                         QRectF(textLeft, rect.top(), rect.right() - MenuMetrics::actionHorizontalPadding - textLeft,
                                rect.height()),
                         title, actionTitleFont(), 0.76, Qt::AlignLeft, Qt::white);
            });
        },
        QMarginsF(reach, reach, reach, reach));
    CompanionModel& model = context().model;
    button->setAction([&model, action = std::move(action)] {
        model.showExpression(CompanionExpression::excited, reportingFaceSeconds);
        if (action)
            action();
        model.setMenuOpen(false);
    });
    return button;
}

void StandardSections::setOnScreen(bool onScreen)
{
    if (m_usagePill)
        m_usagePill->setOnScreen(onScreen);
}

bool StandardSections::refresh()
{
    bool changed = m_usagePill && m_usagePill->refresh();
    const MobileState now = mobileState();
    if (now != m_mobileState) {
        m_mobileState = now;
        m_mobile = now.visible ? std::make_unique<MobileInstructions>(context()) : nullptr;
        changed = true;
    }
    return changed;
}

qreal StandardSections::layout(qreal top)
{
    const qreal left = MenuContext::columnLeft();
    const qreal width = MenuContext::columnWidth();
    const qreal room = context().roomBelow(top);
    qreal height = layoutBlocks(top, width);
    // Beside the thumb the blocks are narrower, and the Go Mobile words may take another line.
    if (height > room)
        height = layoutBlocks(top, width - PanelScroller::gutter);
    // However short the room, the window shows the sections down to the OS grid.
    const qreal firstRows = m_osGrid.front()->cardRect().bottom() - top;
    m_scroller.place(QRectF(left, top, width, listWindowHeight(height, room, firstRows)), height);
    adoptControls();
    // Where the window has them scrolled to, each control in its parent as it now stands.
    layoutBlocks(m_scroller.top(), m_scroller.rowWidth());
    return m_scroller.window().height();
}

void StandardSections::adoptControls()
{
    const bool scrolls = m_scroller.overflows();
    QWidget* parent = scrolls ? m_scroller.viewport() : &context().canvas.controlParent();
    for (MenuPiece* piece : pieces()) {
        auto* control = dynamic_cast<MenuButton*>(piece);
        if (control && control->parentWidget() != parent) {
            control->setParent(parent);
            control->show();
        }
    }
    m_scroller.viewport()->setVisible(scrolls);
}

qreal StandardSections::layoutBlocks(qreal top, qreal width)
{
    const qreal left = MenuContext::columnLeft();
    qreal y = top;
    // One block under the other, 4 points apart.
    auto next = [&](qreal height) { y += height + blockSpacing; };
    m_divider.setRect(QRectF(left, y + 3, width, 1));
    next(4);
    const qreal titleHeight = lineHeight(sectionFont());
    m_title.setRect(QRectF(left, y, width, titleHeight));
    next(titleHeight);
    for (auto* row : {&m_osGrid, &m_businessLinks}) {
        placeEqually(*row, QRectF(left, y, width, iconTileHeight), tileSpacing);
        next(iconTileHeight);
    }
    if (m_mobile)
        next(m_mobile->layoutAcross(y, width));
    const QSizeF band = bandSize();
    m_band.setRect(QRectF(left, y + 2, band.width(), band.height()));
    next(2 + band.height());
    // Two columns zorivirSpacing apart, each zorivirActionWidth() across the whole column.
    placeEqually(m_reporting, QRectF(left, y, width, MenuMetrics::primaryActionHeight), MenuMetrics::zorivirSpacing);
    next(MenuMetrics::primaryActionHeight);
    if (m_usagePill) {
        const qreal pill = m_usagePill->layoutAcross(y, width);
        if (pill > 0)
            next(pill);
    }
    const qreal footerHeight = std::max(chevronSide, lineHeight(footerFont()));
    m_footer.setRect(QRectF(left, y + 3, width, footerHeight));
    y += 3 + footerHeight;
    return y - top;
}

void StandardSections::paint(QPainter& painter, const QRectF& dirty)
{
    if (m_scroller.overflows())
        m_scroller.paintClipped(painter, dirty, pieces());
    else
        MenuSection::paint(painter, dirty);
}

std::vector<MenuPiece*> StandardSections::ownPieces()
{
    std::vector<MenuPiece*> all{&m_divider, &m_title};
    for (const auto* row : {&m_osGrid, &m_businessLinks, &m_reporting}) {
        for (const auto& button : *row)
            all.push_back(button.get());
    }
    all.push_back(&m_band);
    all.push_back(&m_footer);
    return all;
}

std::vector<MenuPiece*> StandardSections::pieces()
{
    std::vector<MenuPiece*> all = ownPieces();
    for (MenuSection* nested : {static_cast<MenuSection*>(m_mobile.get()), m_usagePill.get()}) {
        if (nested) {
            const std::vector<MenuPiece*> more = nested->pieces();
            all.insert(all.end(), more.begin(), more.end());
        }
    }
    all.push_back(&m_scroller.thumb());
    return all;
}
