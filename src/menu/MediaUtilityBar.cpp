#include "MediaUtilityBar.h"

#include "HuluPicture.h"
#include "MenuControls.h"
#include "MenuLayout.h"
#include "MenuMetrics.h"
#include "MenuScrolling.h"
#include "model/BrandColors.h"
#include "model/CompanionModel.h"
#include "model/LogCategories.h"
#include "ui/FittedText.h"
#include "ui/Timing.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPainter>

#include <utility>

namespace {

constexpr qreal circleSize = MenuMetrics::personalCircleSize;
constexpr qreal circleSpacing = 5;
constexpr qreal pictureSize = circleSize - 7;
// The common chrome: the dark disc with the glass rim, the content between.
void paintCircle(QPainter& painter, const QRectF& rect, const std::function<void()>& content)
{
    QPainterPath disc;
    disc.addEllipse(rect);
    painter.fillPath(disc, iconSurface());
    content();
    painter.strokePath(disc, QPen(glassButtonRim(rect), 0.9));
}

// A circle's picture or, without one, its symbol in the brand gradient.
void paintCircleContent(QPainter& painter, const QRectF& rect, const std::optional<QImage>& picture,
                        const QString& symbol)
{
    if (picture) {
        const QRectF frame(rect.center() - QPointF(pictureSize / 2, pictureSize / 2), QSizeF(pictureSize, pictureSize));
        paintFitted(painter, *picture, frame);
        return;
    }
    paintGradientSymbol(painter, symbol, 11, rect.center(), 0.45);
}

// Where YouTube and Netflix live: the owner's own Applications folder.
QString ownersApplication(const QString& bundleName)
{
    const std::optional<QString> netflix = CompanionCTA(CompanionCTA::netflix).destination().applicationPath();
    return QDir(QFileInfo(netflix.value_or(QString())).path()).filePath(bundleName);
}

} // namespace

std::vector<MediaUtilityBar::FixedCircle> MediaUtilityBar::fixedCircles()
{
    return {
        {QStringLiteral("Music"), QStringLiteral("music.note"), QStringLiteral("/System/Applications/Music.app"), false,
         CompanionCTA::appleMusic},
        {QStringLiteral("YouTube"), QStringLiteral("play.rectangle.fill"),
         ownersApplication(QStringLiteral("YouTube.app")), false, CompanionCTA::youtube},
        {QStringLiteral("Hulu"), QStringLiteral("sparkles.tv.fill"), QString(), true, CompanionCTA::hulu},
        {QStringLiteral("Netflix"), QStringLiteral("play.square.fill"),
         ownersApplication(QStringLiteral("Netflix.app")), false, CompanionCTA::netflix},
        {QStringLiteral("Focus"), QStringLiteral("moon.circle.fill"), QString(), false, CompanionCTA::focusSettings},
    };
}

MediaUtilityBar::MediaUtilityBar(MenuContext& context)
    : MenuSection(context), m_weather(context.model.weatherText), m_apps(context.model.personalApps),
      m_strip(std::make_unique<ScrollViewport>(
          Qt::Horizontal, [this](qreal points) { scrollBy(points); }, &context.canvas.controlParent()))
{
    buildWeather();
    buildClock();
    CompanionModel& model = context.model;
    const qreal dpr = context.canvas.devicePixelRatio();
    for (const FixedCircle& fixed : fixedCircles()) {
        std::unique_ptr<MenuButton> button = circle(fixed.title, fixed.title);
        std::optional<QImage> picture = fixed.huluPicture ? huluOriginalImage() : std::nullopt;
        if (!fixed.huluPicture && !fixed.applicationPath.isEmpty()) {
            if (const std::optional<QIcon> icon = context.applications.originalAppIcon(fixed.applicationPath))
                picture = iconPicture(*icon, QSizeF(pictureSize, pictureSize), dpr);
        }
        button->setLabel(
            [picture, symbol = fixed.symbol](QPainter& painter, const QRectF& rect) {
                paintCircle(painter, rect, [&] { paintCircleContent(painter, rect, picture, symbol); });
            },
            QMarginsF(1, 1, 1, 1));
        const Hook<CompanionCTA> open = model.openGoogleLink;
        button->setAction(
            [this, open, target = fixed.target] { actThenClose(this->context(), [&] { open(target); }); });
        m_fixed.push_back(std::move(button));
    }
    buildPersonalApps();

    m_add = circle(QStringLiteral("Add a personal app"), QStringLiteral("Add your own apps to this row"));
    m_add->setLabel(
        [](QPainter& painter, const QRectF& rect) {
            QPainterPath disc;
            disc.addEllipse(rect);
            painter.fillPath(disc, whiteAt(0.07));
            QPen dashes(whiteAt(0.4), 1, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
            // Qt measures dashes in line widths; the line is one point wide.
            dashes.setDashPattern({2.5, 2.5});
            painter.strokePath(disc, dashes);
            painter.fillPath(symbolAt(u"plus", 10.5, rect.center()), menuSecondary());
        },
        QMarginsF(1, 1, 1, 1));
    m_add->setAction([&model] { model.addPersonalApp(); });
}

MediaUtilityBar::~MediaUtilityBar() { m_clockTick.cancel(); }

std::unique_ptr<MenuButton> MediaUtilityBar::circle(const QString& name, const QString& toolTip)
{
    std::unique_ptr<MenuButton> button = makeMenuButton(context(), m_strip.get());
    button->setShape(MenuButton::Shape::circle);
    button->setNames(name, toolTip);
    return button;
}

void MediaUtilityBar::buildWeather()
{
    if (!m_weatherCircle) {
        m_weatherCircle = circle(QStringLiteral("Weather"), QStringLiteral("Local weather \u2014 open the forecast"));
        const Hook<CompanionCTA> open = context().model.openGoogleLink;
        m_weatherCircle->setAction([this, open] { actThenClose(context(), [&] { open(CompanionCTA::weather); }); });
    }
    m_weatherCircle->setLabel(
        [text = weatherCircleText(m_weather)](QPainter& painter, const QRectF& rect) {
            paintCircle(painter, rect, [&] {
                drawLine(painter, rect, text, systemFont(8, QFont::ExtraBold), 0.55, Qt::AlignHCenter, menuText());
            });
        },
        QMarginsF(1, 1, 1, 1));
}

void MediaUtilityBar::buildClock()
{
    if (!m_clockCircle) {
        m_clockCircle = circle(QStringLiteral("Clock"), QStringLiteral("The time \u2014 open Clock"));
        const Hook<CompanionCTA> open = context().model.openGoogleLink;
        m_clockCircle->setAction([this, open] { actThenClose(context(), [&] { open(CompanionCTA::clock); }); });
    }
    m_clockCircle->setLabel(
        [text = clockText(QTime::currentTime(), QLocale::system())](QPainter& painter, const QRectF& rect) {
            paintCircle(painter, rect, [&] {
                drawLine(painter, rect, text, systemFont(8.5, QFont::ExtraBold), 0.55, Qt::AlignHCenter, menuText());
            });
        },
        QMarginsF(1, 1, 1, 1));
}

void MediaUtilityBar::setOnScreen(bool onScreen)
{
    m_clockTick.cancel();
    if (!onScreen)
        return;
    // The time as it is now, then a new one at the start of every minute.
    buildClock();
    scheduleClock();
}

void MediaUtilityBar::scheduleClock()
{
    m_clockTick = after(context().environment.scheduler, secondsUntilNextMinute(QTime::currentTime()), [this] {
        buildClock();
        scheduleClock();
    });
}

void MediaUtilityBar::buildPersonalApps()
{
    m_personal.clear();
    CompanionModel& model = context().model;
    const qreal dpr = context().canvas.devicePixelRatio();
    const QStringList shown = m_apps.first(std::min(m_apps.size(), mostPersonalCircles));
    // Said once for each number left out, not at every opening of the menu.
    static qsizetype toldHidden = 0;
    if (const qsizetype hidden = m_apps.size() - shown.size();
        hidden > 0 && std::exchange(toldHidden, hidden) != hidden)
        qCInfo(lcSettings).noquote() << QStringLiteral("%1 of the %2 saved personal apps are not shown in the menu, "
                                                       "which shows the first %3; the settings keep them all")
                                            .arg(hidden)
                                            .arg(m_apps.size())
                                            .arg(mostPersonalCircles);
    for (const QString& path : shown) {
        const QString name = personalAppName(path);
        std::unique_ptr<MenuButton> button = circle(name, name + QStringLiteral(" \u2014 right-click to remove"));
        const QImage icon = iconPicture(context().applications.icon(path), QSizeF(pictureSize, pictureSize), dpr);
        button->setLabel(
            [icon](QPainter& painter, const QRectF& rect) {
                paintCircle(painter, rect, [&] {
                    const QRectF frame(rect.center() - QPointF(pictureSize / 2, pictureSize / 2),
                                       QSizeF(pictureSize, pictureSize));
                    paintFitted(painter, icon, frame);
                });
            },
            QMarginsF(1, 1, 1, 1));
        const MenuApplications& applications = context().applications;
        button->setAction(
            [&model, openApplication = applications.openApplication, openURL = applications.openURL, path] {
                const QUrl url = QUrl::fromLocalFile(path);
                openApplication(path, [openURL, url](bool opened) {
                    // A launch that failed gets one more try through the ordinary open route.
                    if (!opened)
                        QMetaObject::invokeMethod(
                            QCoreApplication::instance(), [openURL, url] { openURL(url); }, Qt::QueuedConnection);
                });
                model.setMenuOpen(false);
            });
        button->setContextAction(QStringLiteral("Remove ") + name, [&model, path] { model.removePersonalApp(path); });
        m_personal.push_back(std::move(button));
    }
}

bool MediaUtilityBar::refresh()
{
    const CompanionModel& model = context().model;
    bool changed = false;
    if (model.weatherText.get() != m_weather) {
        m_weather = model.weatherText;
        buildWeather();
        changed = true;
    }
    if (model.personalApps.get() != m_apps) {
        m_apps = model.personalApps;
        buildPersonalApps();
        changed = true;
    }
    return changed;
}

std::vector<MenuButton*> MediaUtilityBar::circles() const
{
    std::vector<MenuButton*> all{m_weatherCircle.get(), m_clockCircle.get()};
    for (const auto& fixed : m_fixed)
        all.push_back(fixed.get());
    for (const auto& personal : m_personal)
        all.push_back(personal.get());
    all.push_back(m_add.get());
    return all;
}

std::vector<MenuPiece*> MediaUtilityBar::pieces()
{
    const std::vector<MenuButton*> all = circles();
    return std::vector<MenuPiece*>(all.begin(), all.end());
}

qreal MediaUtilityBar::contentWidth() const
{
    const qreal count = qreal(circles().size());
    return count * circleSize + (count - 1) * circleSpacing;
}

QRectF MediaUtilityBar::rowRect() const
{
    return QRectF(MenuContext::columnLeft(), m_top, MenuContext::columnWidth(), circleSize);
}

void MediaUtilityBar::scrollBy(qreal points)
{
    const qreal scroll = clampedScroll(m_scroll + points, contentWidth(), MenuContext::columnWidth());
    if (scroll == m_scroll)
        return;
    m_scroll = scroll;
    layout(m_top);
    context().canvas.repaintCard(rowRect().adjusted(0, -circleSize, 0, circleSize));
}

qreal MediaUtilityBar::layout(qreal top)
{
    m_top = top;
    const QRectF row = rowRect();
    m_strip->setGeometry(row.translated(context().canvas.cardOrigin()).toAlignedRect());
    m_scroll = clampedScroll(m_scroll, contentWidth(), row.width());
    qreal x = row.left() - m_scroll;
    for (MenuButton* button : circles()) {
        button->setCardRect(QRectF(x, top, circleSize, circleSize));
        x += circleSize + circleSpacing;
    }
    return circleSize;
}

void MediaUtilityBar::paint(QPainter& painter, const QRectF& dirty)
{
    // The strip clips its circles at its ends; lifts and glows may rise above it.
    const QRectF row = rowRect();
    painter.save();
    painter.setClipRect(QRectF(row.left(), row.top() - 2 * circleSize, row.width(), 5 * circleSize), Qt::IntersectClip);
    MenuSection::paint(painter, dirty);
    painter.restore();
}
