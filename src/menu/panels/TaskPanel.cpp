#include "TaskPanel.h"

#include "menu/MenuMetrics.h"
#include "model/BrandColors.h"
#include "panel/CompanionMenuHost.h"
#include "ui/FittedText.h"

#include <QPainter>

namespace {

constexpr qreal iconSize = 18;
constexpr qreal rowPadding = 8;
constexpr qreal chipHeight = 20;
constexpr qreal chipPadding = 9;
// How far a row's button stands in from the row's rounded end.
constexpr qreal chipInset = 5;
constexpr qreal emptyHeight = 40;
constexpr QMarginsF badgePadding{5, 1.5, 5, 1.5};

QFont nameFont() { return systemFont(10.5, QFont::Bold); }
QFont badgeFont() { return systemFont(6.8, QFont::Black); }

QString chipTitle(bool forceReady) { return forceReady ? QStringLiteral("Force Quit") : QStringLiteral("Quit"); }

QSizeF chipSize(const QString& title) { return {textWidth(title, compactTitleFont()) + 2 * chipPadding, chipHeight}; }

QLinearGradient warningGradient(const QRectF& rect)
{
    QLinearGradient gradient(rect.topLeft(), rect.topRight());
    gradient.setColorAt(0, lumivoOrange());
    gradient.setColorAt(1, lumivoMagenta());
    return gradient;
}

// A small text button: dark with the glass rim, or lit when it is the step
// that acts.
void paintChip(QPainter& painter, const QRectF& rect, const QString& title, const QBrush& fill)
{
    const QPainterPath capsule = capsulePath(rect);
    painter.fillPath(capsule, fill);
    painter.strokePath(capsule, QPen(whiteAt(0.3), 0.8));
    drawLine(painter, rect, title, compactTitleFont(), 0.8, Qt::AlignHCenter, menuText());
}

// A row: the application's icon and name, marked while it is in front; its
// button, chipWidth wide, stands at the end.
void paintRow(QPainter& painter, const QRectF& rect, const QString& name, const QImage& icon, bool frontmost,
              qreal chipWidth)
{
    const QPainterPath capsule = capsulePath(rect);
    painter.fillPath(capsule, buttonGradient(rect));
    painter.strokePath(capsule,
                       frontmost ? QPen(QBrush(primaryBrandGradient(rect)), 1.2) : QPen(glassButtonRim(rect), 0.9));
    const QRectF square(rect.left() + rowPadding + 2, rect.center().y() - iconSize / 2, iconSize, iconSize);
    if (!icon.isNull())
        paintFitted(painter, icon, square);
    else
        paintGradientSymbol(painter, u"macwindow", 12, square.center(), 0.45);
    const qreal textLeft = square.right() + MenuMetrics::actionSpacing;
    const QString badge = QStringLiteral("FRONT");
    const QSizeF badgeSize(textWidth(badge, badgeFont()) + badgePadding.left() + badgePadding.right(),
                           lineHeight(badgeFont()) + badgePadding.top() + badgePadding.bottom());
    const qreal room = rect.right() - chipInset - chipWidth - 8 - textLeft - (frontmost ? badgeSize.width() + 6 : 0);
    const QFont fitted = shrunkToFit(nameFont(), name, room, 0.8);
    const qreal width = std::min(room, textWidth(name, fitted) + 1);
    drawLine(painter, QRectF(textLeft, rect.top(), width, rect.height()), name, fitted, 1, Qt::AlignLeft, menuText());
    if (frontmost) {
        const QRectF chip(QPointF(textLeft + width + 6, rect.center().y() - badgeSize.height() / 2), badgeSize);
        painter.fillPath(capsulePath(chip), primaryBrandGradient(chip));
        drawLine(painter, chip.marginsRemoved(badgePadding), badge, badgeFont(), 1, Qt::AlignHCenter, Qt::white);
    }
}

} // namespace

QString TaskPanel::quitName(const RunningAppInfo& app, bool forceReady)
{
    return (forceReady ? QStringLiteral("Force Quit ") : QStringLiteral("Quit ")) + app.name;
}

QString TaskPanel::quitAllName(bool confirming)
{
    return confirming ? QStringLiteral("Confirm Quit All") : QStringLiteral("Quit All");
}

TaskPanel::TaskPanel(MenuContext& context)
    : ListPanel(context, QStringLiteral("TASK MANAGER"), &CompanionModel::taskPanelOpen)
{
    // Each showing of the panel starts unarmed: a first press left from an
    // earlier visit must not let one click quit everything.
    context.host.setConfirmQuitAll(false);
    m_empty.setDraw(
        [](QPainter& painter, const QRectF& rect) {
            paintPanelCard(painter, rect, 12);
            drawLine(painter, rect, emptyText, systemFont(9.5, QFont::Medium), 1, Qt::AlignHCenter, menuSecondary());
        },
        QMarginsF(1, 1, 1, 1));
    buildRows();
}

std::vector<TaskPanel::Shown> TaskPanel::shown() const
{
    const CompanionModel& model = context().model;
    std::vector<Shown> rows;
    for (const RunningAppInfo& app : model.runningApps.get())
        rows.push_back({app.id, app.name, app.isFrontmost, app.icon ? app.icon->cacheKey() : 0,
                        model.forceReadyApps.get().contains(app.id)});
    return rows;
}

void TaskPanel::buildRows()
{
    m_shown = shown();
    m_rows.clear();
    m_quits.clear();
    const qreal dpr = context().canvas.devicePixelRatio();
    const std::vector<RunningAppInfo>& apps = context().model.runningApps.get();
    for (std::size_t index = 0; index < apps.size(); ++index) {
        const RunningAppInfo& app = apps[index];
        const bool forceReady = m_shown[index].forceReady;
        const QImage icon = app.icon ? iconPicture(*app.icon, QSizeF(iconSize, iconSize), dpr) : QImage();
        m_rows.push_back(std::make_unique<MenuPicture>(
            [name = app.name, icon, frontmost = app.isFrontmost, chipWidth = chipSize(chipTitle(forceReady)).width()](
                QPainter& painter, const QRectF& rect) { paintRow(painter, rect, name, icon, frontmost, chipWidth); },
            QMarginsF(1, 1, 1, 1)));
        m_quits.push_back(quitButton(app, forceReady));
    }
    // Without applications there is nothing to quit, and no button for it:
    // not even a hidden one that assistive technology would still list.
    if (apps.empty()) {
        m_quitAll.reset();
    } else if (!m_quitAll) {
        m_quitAll = makeMenuButton(context());
        m_quitAll->setShape(MenuButton::Shape::capsule);
        m_quitAll->setAction([this] { pressQuitAll(); });
        dressQuitAll();
    }
}

std::unique_ptr<MenuButton> TaskPanel::quitButton(const RunningAppInfo& app, bool forceReady)
{
    std::unique_ptr<MenuButton> button = makeMenuButton(context(), scroller().viewport());
    button->setShape(MenuButton::Shape::capsule);
    const QString name = quitName(app, forceReady);
    button->setNames(name, forceReady ? app.name + QStringLiteral(" did not quit \u2014 force it to") : name);
    const QString title = chipTitle(forceReady);
    button->setLabel(
        [title, forceReady](QPainter& painter, const QRectF& rect) {
            paintChip(painter, rect, title, forceReady ? QBrush(warningGradient(rect)) : QBrush(whiteAt(0.1)));
        },
        QMarginsF(1, 1, 1, 1));
    CompanionModel& model = context().model;
    button->setAction([&model, id = app.id, forceReady] {
        if (forceReady)
            model.forceQuitApp(id);
        else
            model.quitApp(id);
    });
    return button;
}

void TaskPanel::dressQuitAll()
{
    const bool confirming = context().host.confirmQuitAll();
    const QString title = quitAllName(confirming);
    m_quitAll->setNames(title,
                        confirming ? QStringLiteral("Click again to quit every app listed here")
                                   : QStringLiteral("Quit every app listed here"));
    m_quitAll->setLabel(
        [title, confirming](QPainter& painter, const QRectF& rect) {
            paintChip(painter, rect, title, confirming ? QBrush(warningGradient(rect)) : QBrush(buttonGradient(rect)));
        },
        QMarginsF(1, 1, 1, 1));
}

void TaskPanel::pressQuitAll()
{
    CompanionMenuHost& host = context().host;
    if (!host.confirmQuitAll()) {
        host.setConfirmQuitAll(true);
    } else {
        host.setConfirmQuitAll(false);
        CompanionModel& model = context().model;
        // The list as it stands now; each request may change it.
        std::vector<std::int32_t> listed;
        for (const RunningAppInfo& app : model.runningApps.get())
            listed.push_back(app.id);
        for (std::int32_t id : listed)
            model.quitApp(id);
    }
    dressQuitAll();
    // The button's width follows its title.
    context().canvas.relayout();
}

bool TaskPanel::refresh()
{
    if (shown() == m_shown)
        return false;
    buildRows();
    return true;
}

qreal TaskPanel::layoutFrom(qreal top)
{
    const QSizeF quitAll(chipSize(quitAllName(context().host.confirmQuitAll())).width(), PanelHeading::height() - 4);
    const qreal listTop = layoutHeading(top, quitAll.width() + 8);
    const qreal right = MenuContext::columnLeft() + MenuContext::columnWidth();
    if (m_quitAll)
        m_quitAll->setCardRect(QRectF(QPointF(right - quitAll.width(), top + 2), quitAll));
    if (m_rows.empty()) {
        m_empty.setRect(QRectF(MenuContext::columnLeft(), listTop, MenuContext::columnWidth(), emptyHeight));
        placeList(listTop, 0, 0);
        return listTop + emptyHeight - top;
    }
    const qreal count = qreal(m_rows.size());
    const qreal window = placeList(listTop, count * rowHeight + (count - 1) * rowSpacing, rowHeight);
    for (std::size_t index = 0; index < m_rows.size(); ++index) {
        const QRectF row(MenuContext::columnLeft(), scroller().top() + index * (rowHeight + rowSpacing),
                         scroller().rowWidth(), rowHeight);
        m_rows[index]->setRect(row);
        const QSizeF chip = chipSize(chipTitle(m_shown[index].forceReady));
        m_quits[index]->setCardRect(
            QRectF(QPointF(row.right() - chipInset - chip.width(), row.center().y() - chip.height() / 2), chip));
    }
    return listTop + window - top;
}

std::vector<MenuPiece*> TaskPanel::panelPieces()
{
    if (m_rows.empty())
        return {&m_empty};
    return {m_quitAll.get()};
}

std::vector<MenuPiece*> TaskPanel::listPieces()
{
    std::vector<MenuPiece*> all;
    for (std::size_t index = 0; index < m_rows.size(); ++index) {
        all.push_back(m_rows[index].get());
        all.push_back(m_quits[index].get());
    }
    return all;
}
