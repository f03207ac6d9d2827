#include "GoogleLinksPanel.h"

#include "menu/MenuLayout.h"

#include <QPainter>

namespace {

constexpr qreal tilePadding = 6;
constexpr qreal titleMinimumScale = 0.68;
constexpr qreal appIconInset = 2;

std::unique_ptr<MenuButton> compactTile(MenuContext& context, const QString& title, const QString& toolTip,
                                        const QString& symbol, QWidget* parent = nullptr)
{
    std::unique_ptr<MenuButton> tile = makeMenuButton(context, parent);
    tile->setShape(MenuButton::Shape::capsule);
    tile->setNames(title, toolTip);
    tile->setLabel(
        [title, symbol](QPainter& painter, const QRectF& rect) {
            paintCompactTile(painter, rect, title, tilePadding, titleMinimumScale,
                             [&](QPainter& p, const QRectF& square) {
                                 paintIconSurface(p, square, tileIconRadius);
                                 paintGradientSymbol(p, symbol, 12.5, square.center(), 0.45);
                             });
        },
        QMarginsF(1, 1, 1, 1));
    return tile;
}

} // namespace

std::vector<GoogleLinksPanel::Link> GoogleLinksPanel::links(CompanionEdition edition)
{
    std::vector<Link> all{
        {QStringLiteral("Google"), QStringLiteral("magnifyingglass"), CompanionCTA::googleSearch},
        {QStringLiteral("Admin"), QStringLiteral("person.badge.key.fill"), CompanionCTA::googleAdmin},
        {QStringLiteral("HR/Payroll"), QStringLiteral("dollarsign.circle.fill"), CompanionCTA::gusto},
        {QStringLiteral("Docs"), QStringLiteral("doc.text.fill"), CompanionCTA::googleDocs},
        {QStringLiteral("Workspace"), QStringLiteral("square.grid.3x3.fill"), CompanionCTA::workspaceDashboard},
        {QStringLiteral("AgencyAnalytics"), QStringLiteral("chart.bar.fill"), CompanionCTA::agencyAnalytics},
        {QStringLiteral("1Password"), QStringLiteral("key.fill"), CompanionCTA::onePassword},
        {QStringLiteral("Accounting"), QStringLiteral("banknote.fill"), CompanionCTA::xero},
        {QStringLiteral("Agreements"), QStringLiteral("signature"), CompanionCTA::agreements},
        {QStringLiteral("CCA"), QStringLiteral("doc.badge.gearshape"), CompanionCTA::cca},
        {QStringLiteral("Proposal"), QStringLiteral("doc.richtext.fill"), CompanionCTA::proposal},
        {QStringLiteral("Drive"), QStringLiteral("externaldrive.fill"), CompanionCTA::drive},
        {QStringLiteral("Sheets"), QStringLiteral("tablecells.fill"), CompanionCTA::sheets},
        {QStringLiteral("Webflow"), QStringLiteral("globe"), CompanionCTA::webflow},
        {QStringLiteral("SiteGround"), QStringLiteral("server.rack"), CompanionCTA::siteground},
        {QStringLiteral("Cloudflare"), QStringLiteral("cloud.fill"), CompanionCTA::cloudflare},
        {QStringLiteral("GitHub"), QStringLiteral("chevron.left.forwardslash.chevron.right"), CompanionCTA::github},
        {QStringLiteral("Hubstaff"), QStringLiteral("clock.fill"), CompanionCTA::hubstaff},
    };
    if (!edition.allowsFinance())
        std::erase_if(all, [](const Link& link) {
            return link.target == CompanionCTA::gusto || link.target == CompanionCTA::xero;
        });
    return all;
}

GoogleLinksPanel::GoogleLinksPanel(MenuContext& context)
    : ListPanel(context, QStringLiteral("GOOGLE LINKS"), &CompanionModel::googlePanelOpen),
      m_separately(context.model.googleOpensSeparately)
{
    CompanionModel& model = context.model;
    m_recall = compactTile(context, QStringLiteral("Recall"), QStringLiteral("Bring Chrome to the front"),
                           QStringLiteral("clock.arrow.circlepath"));
    m_recall->setAction([&context, &model] { actThenClose(context, [&] { model.openRecallPage(); }); });
    // It closes the panel itself; the menu stays.
    m_closeTabs = compactTile(context, QStringLiteral("Close Tabs"),
                              QStringLiteral("Close the tabs these links opened"), QStringLiteral("xmark.circle"));
    m_closeTabs->setAction([&model] { model.closeGoogleSearchWindows(); });
    m_separate = makeMenuButton(context);
    m_separate->setShape(MenuButton::Shape::capsule);
    m_separate->setAction([&model] { model.setGoogleOpensSeparately(!model.googleOpensSeparately); });
    dressSeparateSwitch();

    const qreal dpr = context.canvas.devicePixelRatio();
    for (const Link& link : links(context.edition)) {
        std::unique_ptr<MenuButton> tile =
            compactTile(context, link.title, link.title, link.symbol, scroller().viewport());
        // A link whose application is installed shows that application's icon.
        const std::optional<QString> application = link.target.destination().applicationPath();
        if (const std::optional<QIcon> icon = context.applications.originalAppIcon(application.value_or(QString()))) {
            const QImage picture = iconPicture(*icon, QSizeF(tileIconSide, tileIconSide), dpr);
            tile->setLabel(
                [picture, title = link.title](QPainter& painter, const QRectF& rect) {
                    paintCompactTile(
                        painter, rect, title, tilePadding, titleMinimumScale, [&](QPainter& p, const QRectF& square) {
                            paintIconSurface(p, square, tileIconRadius);
                            paintFitted(p, picture,
                                        square.adjusted(appIconInset, appIconInset, -appIconInset, -appIconInset));
                        });
                },
                QMarginsF(1, 1, 1, 1));
        }
        const Hook<CompanionCTA> open = model.openGoogleLink;
        tile->setAction([&context, open, target = link.target] { actThenClose(context, [&] { open(target); }); });
        m_links.push_back(std::move(tile));
    }
}

void GoogleLinksPanel::dressSeparateSwitch()
{
    const bool on = m_separately;
    m_separate->setNames(
        QStringLiteral("New Windows"),
        on ? QStringLiteral("Links open in a Chrome window of their own \u2014 click to open them as usual")
           : QStringLiteral("Links open as usual \u2014 click to open each in a Chrome window of its own"));
    m_separate->setLabel(
        [on](QPainter& painter, const QRectF& rect) {
            paintCompactTile(
                painter, rect, QStringLiteral("New Windows"), tilePadding, titleMinimumScale,
                [&](QPainter& p, const QRectF& square) {
                    paintSwitch(
                        p,
                        QRectF(square.center() - QPointF(switchSize.width() / 2, switchSize.height() / 2), switchSize),
                        on);
                });
        },
        QMarginsF(1, 1, 1, 1));
}

bool GoogleLinksPanel::refresh()
{
    if (context().model.googleOpensSeparately.get() == m_separately)
        return false;
    m_separately = context().model.googleOpensSeparately;
    dressSeparateSwitch();
    return false;
}

qreal GoogleLinksPanel::layoutFrom(qreal top)
{
    const qreal left = MenuContext::columnLeft();
    const qreal optionsTop = layoutHeading(top);
    const std::vector<QRectF> options =
        equalTiles(QRectF(left, optionsTop, MenuContext::columnWidth(), tileHeight), columns, rowSpacing);
    m_recall->setCardRect(options[0]);
    m_closeTabs->setCardRect(options[1]);
    m_separate->setCardRect(options[2]);

    const qreal gridTop = optionsTop + tileHeight + blockSpacing;
    const int rows = (int(m_links.size()) + columns - 1) / columns;
    const qreal window = placeList(gridTop, rows * tileHeight + (rows - 1) * rowSpacing, tileHeight);
    for (int row = 0; row < rows; ++row) {
        const QRectF line(left, scroller().top() + row * (tileHeight + rowSpacing), scroller().rowWidth(), tileHeight);
        const std::vector<QRectF> cells = equalTiles(line, columns, rowSpacing);
        for (int column = 0; column < columns; ++column) {
            const std::size_t index = std::size_t(row * columns + column);
            if (index < m_links.size())
                m_links[index]->setCardRect(cells[std::size_t(column)]);
        }
    }
    return gridTop + window - top;
}

std::vector<MenuPiece*> GoogleLinksPanel::panelPieces()
{
    return {m_recall.get(), m_closeTabs.get(), m_separate.get()};
}
