#include "OpenedMenu.h"

#include "LauncherRows.h"
#include "MediaUtilityBar.h"
#include "MenuHeader.h"
#include "MenuMetrics.h"
#include "StandardSections.h"
#include "model/CompanionModel.h"
#include "panel/WindowDragSurface.h"
#include "ui/AnimatedValue.h"
#include "ui/BandedPainting.h"
#include "ui/ChangeObserver.h"
#include "ui/ChangedPixels.h"
#include "ui/FreedMemory.h"
#include "ui/GlowCache.h"
#include "ui/Symbols.h"

#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

// Sizes of card kept prepared: the standard sections', and the last others.
constexpr std::size_t preparedCardSizes = 3;

} // namespace

OpenedMenu::OpenedMenu(CompanionMenuHost& host, const ViewEnvironment& environment, CompanionEdition edition,
                       MenuApplications applications, MenuBodies bodies)
    : m_host(host), m_model(host.model()), m_environment(environment), m_applications(std::move(applications)),
      m_bodies(std::move(bodies)), m_context{.model = m_model,
                                             .host = host,
                                             .edition = edition,
                                             .environment = m_environment,
                                             .applications = m_applications,
                                             .canvas = *this},
      m_appearance(m_model.appearance),
      m_room(tallestOpenPanel - CompanionMenuHost::contentPadding.top() - CompanionMenuHost::contentPadding.bottom())
{
    Symbols::loadFont(environment.resources);
    m_dragSurface = WindowDragSurface{
        .onClick = [] {},
        .onDragStart = [this] { m_model.beginDrag(); },
        .onDrag = [this](QSizeF translation) { m_model.dragBy(translation); },
        .onDragEnd = [this] { m_model.endDrag(); },
    }
                        .makeView(this);
    m_observer = new ChangeObserver(
        m_model, [this](const std::optional<Motion>&) { modelChanged(); }, this);
    hide();
}

OpenedMenu::~OpenedMenu()
{
    m_release.cancel();
    m_environment.animations.remove(&m_frames);
    // The rows' controls are children of this widget: they go first.
    m_body.reset();
    m_rows.clear();
}

QPointF OpenedMenu::cardOrigin() const { return {CardLights::margins.left(), CardLights::margins.top()}; }

QRectF OpenedMenu::cardGeometry() const { return QRectF(cardOrigin(), QSizeF(MenuMetrics::menuWidth, m_cardHeight)); }

std::vector<MenuSection*> OpenedMenu::sections() const
{
    std::vector<MenuSection*> all;
    for (const auto& row : m_rows)
        all.push_back(row.get());
    if (m_body)
        all.push_back(m_body.get());
    return all;
}

std::vector<MenuButton*> OpenedMenu::controls() const
{
    // Those of rows taken down are hidden until they go.
    std::vector<MenuButton*> all;
    for (MenuButton* button : findChildren<MenuButton*>()) {
        if (!button->isHidden())
            all.push_back(button);
    }
    return all;
}

MenuButton* OpenedMenu::control(const QString& accessibleName) const
{
    for (MenuButton* button : controls()) {
        if (button->accessibleName() == accessibleName)
            return button;
    }
    return nullptr;
}

MediaUtilityBar* OpenedMenu::mediaBar() const
{
    for (const auto& row : m_rows) {
        if (auto* bar = dynamic_cast<MediaUtilityBar*>(row.get()))
            return bar;
    }
    return nullptr;
}

StandardSections* OpenedMenu::standardSections() const { return dynamic_cast<StandardSections*>(m_body.get()); }

// Coming and going -------------------------------------------------------------

void OpenedMenu::place(const QRectF& contentArea, bool opensToRight, double presence)
{
    m_contentArea = contentArea;
    m_opensToRight = opensToRight;
    m_presence = presence;
    // Only a panel wide enough for the card is the open panel: the
    // collapsed one says nothing about the room the card will have.
    if (contentArea.width() >= MenuMetrics::menuWidth && contentArea.height() != m_room) {
        m_room = contentArea.height();
        if (m_built)
            relayout();
    }
    // It comes when the menu opens and goes once it has faded out; a
    // closing spring's swing about zero brings nothing back.
    if (m_model.menuOpen && !m_showing)
        appear();
    else if (!m_model.menuOpen && m_showing && presence <= 0.001)
        disappear();
    if (!m_showing)
        return;
    position();
    update();
}

void OpenedMenu::prepare()
{
    if (m_built)
        return;
    buildRows();
    relayout();
    // The card's still picture, drawn now, draws every label and prepares
    // the light: the first frame on screen only puts them together.
    bringUpToDate();
}

void OpenedMenu::mascotHovered(bool hovered)
{
    m_mascotHovered = hovered;
    m_release.cancel();
    if (hovered)
        prepareSoon();
    else if (!m_showing)
        m_release = m_environment.scheduler.schedule(keptAfterHover, [this] {
            if (!m_showing)
                release();
        });
}

void OpenedMenu::prepareSoon()
{
    // On the next turn, so that what asked for it (a hovered mascot's frame,
    // a closing) comes first.
    if (!m_built)
        QTimer::singleShot(0, this, [this] {
            if (!m_showing)
                prepare();
        });
}

void OpenedMenu::release()
{
    // The card and its light are a good part of the program's memory.
    retireRows();
    m_lights.clear();
    m_content = {};
    m_contentDirty = {};
    m_frame = {};
    m_frameOnScreen = {};
    m_pending = {};
    QTimer::singleShot(0, this, [this] {
        if (!m_built)
            returnFreedMemory();
    });
}

void OpenedMenu::appear()
{
    prepare();
    m_showing = true;
    m_wasOpen = true;
    comeOnScreen();
    m_auroraSlot = std::llround(std::floor(m_environment.animations.now() * auroraFramesPerSecond));
    m_environment.animations.add(&m_frames);
    show();
}

void OpenedMenu::comeOnScreen()
{
    for (MenuSection* section : sections())
        section->setOnScreen(true);
    m_host.startBorderAnimation();
    m_shown = {};
    setAttribute(Qt::WA_TransparentForMouseEvents, false);
}

void OpenedMenu::disappear()
{
    hide();
    m_environment.animations.remove(&m_frames);
    m_showing = false;
    // With the pointer still on the mascot the next opening gets a card
    // built afresh at once; otherwise nothing is kept.
    if (m_mascotHovered) {
        retireRows();
        prepareSoon();
    } else {
        release();
    }
}

void OpenedMenu::restart()
{
    // Opened again while it was still fading out: it comes on screen anew.
    retireRows();
    prepare();
    comeOnScreen();
}

void OpenedMenu::retire(std::unique_ptr<MenuSection> section)
{
    if (!section)
        return;
    // Out of sight at once, gone once whatever is running has finished.
    for (MenuPiece* piece : section->pieces()) {
        if (auto* button = dynamic_cast<MenuButton*>(piece))
            button->hide();
    }
    for (MenuPiece* piece : section->pieces())
        std::erase(m_pulsing, piece);
    m_retired.push_back(std::move(section));
    QTimer::singleShot(0, this, [this] { m_retired.clear(); });
}

void OpenedMenu::retireRows()
{
    for (MenuSection* section : sections())
        section->setOnScreen(false);
    for (auto& row : m_rows)
        retire(std::move(row));
    m_rows.clear();
    retire(std::move(m_body));
    m_built = false;
}

void OpenedMenu::buildRows()
{
    m_appearance = m_model.appearance;
    m_rows.push_back(std::make_unique<MenuHeader>(m_context));
    m_rows.push_back(std::make_unique<MediaUtilityBar>(m_context));
    m_rows.push_back(std::make_unique<TopUtilityBar>(m_context));
    m_rows.push_back(std::make_unique<HeroRow>(m_context));
    m_rows.push_back(std::make_unique<AiCommandBar>(m_context));
    m_rows.push_back(std::make_unique<AskVoraLabel>(m_context));
    m_rows.push_back(std::make_unique<AgentsGrid>(m_context));
    m_bodyKind = menuBodyFor(PanelFlags::of(m_model));
    m_body = makeBody(m_bodyKind);
    m_built = true;
}

std::unique_ptr<MenuSection> OpenedMenu::makeBody(MenuBody body)
{
    if (body == MenuBody::standard)
        return std::make_unique<StandardSections>(m_context, m_bodies.usagePill);
    const MenuBodies::Factory* factory = m_bodies.forBody(body);
    return factory && *factory ? (*factory)(m_context) : nullptr;
}

void OpenedMenu::modelChanged()
{
    // A control's action may change the model several times and the rows it
    // changes may hold that very control: the card follows once the action
    // is over, on the next turn of the event loop.
    if (m_followQueued)
        return;
    m_followQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_followQueued = false;
        followModel();
    });
}

void OpenedMenu::followModel()
{
    const bool open = m_model.menuOpen;
    const bool reopened = open && !m_wasOpen;
    m_wasOpen = open;
    if (m_showing) {
        // A closing card takes no more presses and keeps showing what it showed.
        setAttribute(Qt::WA_TransparentForMouseEvents, !open);
        if (!open)
            return;
        if (reopened) {
            restart();
            return;
        }
    }
    // Shown or prepared for the next opening, the card follows the model.
    if (!m_built)
        return;
    bool changed = false;
    const MenuBody body = menuBodyFor(PanelFlags::of(m_model));
    if (body != m_bodyKind) {
        m_bodyKind = body;
        retire(std::move(m_body));
        m_body = makeBody(body);
        if (m_body)
            m_body->setOnScreen(m_showing);
        changed = true;
    }
    for (MenuSection* section : sections())
        changed = section->refresh() || changed;
    if (m_model.appearance.get() != m_appearance) {
        m_appearance = m_model.appearance;
        update();
    }
    if (changed)
        relayout();
}

// Layout ---------------------------------------------------------------------------

void OpenedMenu::relayout()
{
    const qreal padding = MenuMetrics::menuPadding;
    m_cardHeight = padding + stackSections(sections(), padding, rowSpacing) + padding;
    m_pulsing.clear();
    for (MenuSection* section : sections()) {
        for (MenuPiece* piece : section->pieces()) {
            if (!piece->pulsingArea().empty())
                m_pulsing.push_back(piece);
        }
    }
    m_dragSurface->setGeometry(cardGeometry().toAlignedRect());
    m_dragSurface->lower();
    position();
    m_contentDirty = rect();
    update();
}

void OpenedMenu::position()
{
    const qreal width = MenuMetrics::menuWidth;
    const QRectF& content = m_contentArea;
    const QRectF slot(m_opensToRight ? content.right() - width : content.left(), content.top(), width, m_cardHeight);
    // It slides in from the side it opens to, as far as the content's edge.
    const double away = 1 - m_presence;
    const qreal slide =
        m_opensToRight ? away * (content.right() - slot.left()) : -away * (slot.right() - content.left());
    const QRect geometry = slot.translated(slide, 0).marginsAdded(CardLights::margins).toRect();
    if (geometry != this->geometry())
        setGeometry(geometry);
}

bool OpenedMenu::inTransition() const { return std::abs(m_presence - 1) > 1e-3; }

CardLights& OpenedMenu::lights()
{
    const QSizeF size(MenuMetrics::menuWidth, m_cardHeight);
    const qreal dpr = devicePixelRatioF();
    const auto found = std::find_if(m_lights.begin(), m_lights.end(), [&](const auto& lights) {
        return lights->cardSize() == size && lights->devicePixelRatio() == dpr;
    });
    if (found != m_lights.end()) {
        std::rotate(m_lights.begin(), found, found + 1);
        return *m_lights.front();
    }
    m_lights.insert(m_lights.begin(), std::make_unique<CardLights>(size, dpr));
    if (m_lights.size() > preparedCardSizes)
        m_lights.pop_back();
    return *m_lights.front();
}

// Frames and painting ---------------------------------------------------------------

bool OpenedMenu::Frames::frame(double now)
{
    m_menu.newFrame(now);
    return m_menu.m_showing;
}

void OpenedMenu::newFrame(double now)
{
    m_shown.border = m_host.borderPhase().value();
    m_shown.pulse = m_host.pulsePhase().value();
    m_shown.counterPulse = m_host.counterPulsePhase().value();
    const long long slot = std::llround(std::floor(now * auroraFramesPerSecond));
    if (slot != m_auroraSlot) {
        m_auroraSlot = slot;
        m_shown.aurora = m_host.auroraPhase().value();
    }
    if (inTransition()) {
        m_pending = QRegion();
        m_frameOnScreen = {};
        update();
        return;
    }
    // The frame is put together now, where anything may have changed (the
    // card's light tells where it changed, a turn of the aurora the whole
    // card), and only the pixels that did change are repainted.
    update(composeChanges(pulsingRegion() + std::exchange(m_pending, QRegion())));
}

QRegion OpenedMenu::pulsingRegion() const
{
    // The sparks running round the round buttons.
    QRegion region;
    for (MenuPiece* piece : m_pulsing) {
        for (const QRectF& area : piece->pulsingArea())
            region += area.translated(cardOrigin()).toAlignedRect();
    }
    return region;
}

void OpenedMenu::repaintCard(const QRectF& rect)
{
    const QRect area = rect.translated(cardOrigin()).toAlignedRect();
    m_contentDirty += area;
    if (inTransition())
        update();
    else if (m_showing)
        // What animates on the card shows with the rings' next frame, in the same repaint.
        m_pending += area;
    else
        update(area);
}

void OpenedMenu::paintEvent(QPaintEvent* event)
{
    if (!m_showing)
        return;
    QPainter painter(this);
    if (inTransition()) {
        paintTransition(painter);
        return;
    }
    if (m_frameOnScreen.isNull()) {
        composeChanges(rect());
    } else if (!m_pending.isEmpty()) {
        // Painted ahead of the rings' next frame (an exposure, a grab): what
        // changed on the card shows now, and whatever of it lies outside
        // this paint follows in the next.
        update(composeChanges(std::exchange(m_pending, QRegion())) - event->region());
    }
    const qreal dpr = m_frameOnScreen.devicePixelRatio();
    // Each part is copied in bands Qt blends on this thread.
    for (const QRect& part : event->region()) {
        for (const QRectF& band : paintingBands(QRectF(part), dpr)) {
            const QRectF pixels(band.topLeft() * dpr, band.size() * dpr);
            painter.drawImage(band, m_frameOnScreen, pixels);
        }
    }
}

QRegion OpenedMenu::composeChanges(const QRegion& asked)
{
    const QImage& lit = bringUpToDate();
    // With whatever changed in the card's lit picture.
    QRegion area = asked + lights().litChanged();
    QRegion changed;
    if (m_frameOnScreen.size() != lights().pixelSize()
        || m_frameOnScreen.devicePixelRatio() != lights().devicePixelRatio()) {
        // A new card (or the first frame after a transition): everything is
        // put together and shown afresh, whatever was asked, and nothing is
        // left where it no longer reaches.
        m_frameOnScreen = transparentImage(lights().size(), lights().devicePixelRatio());
        area = rect();
        changed = rect();
    }
    composeFrame(area, lit);
    const qreal dpr = m_frame.devicePixelRatio();
    for (const QRect& part : pixelsOfPoints(area, dpr) & m_frame.rect())
        changed += pointsOfPixels(carryChangedPixels(m_frame, m_frameOnScreen, part), dpr);
    return changed;
}

const QImage& OpenedMenu::bringUpToDate()
{
    CardLights& light = lights();
    if (m_content.size() != light.pixelSize() || m_content.devicePixelRatio() != light.devicePixelRatio()) {
        m_content = transparentImage(light.size(), light.devicePixelRatio());
        m_contentDirty = QRectF(QPointF(0, 0), light.size()).toAlignedRect();
    }
    const QRegion changed = std::exchange(m_contentDirty, QRegion());
    if (!changed.isEmpty())
        paintContent(changed);
    light.composeStill(m_content, changed, m_model.appearance, m_shown.aurora);
    return light.lightUp({m_shown.border, m_shown.pulse, m_shown.counterPulse});
}

void OpenedMenu::paintContent(const QRegion& region)
{
    // Every row's pieces, on nothing: the card's ground and light go under
    // them when the still picture is put together.
    QPainter painter(&m_content);
    paintInBands(painter, region, [&](const QRectF& band) {
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        painter.fillRect(band, Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.translate(cardOrigin());
        const QRectF onCard = band.translated(-cardOrigin());
        for (MenuSection* section : sections())
            section->paint(painter, onCard);
    });
}

void OpenedMenu::composeFrame(const QRegion& area, const QImage& lit)
{
    const qreal dpr = lit.devicePixelRatio();
    if (m_frame.size() != lit.size() || m_frame.devicePixelRatio() != dpr)
        m_frame = transparentImage(lights().size(), dpr);
    const QRegion pixels = pixelsOfPoints(area, dpr) & m_frame.rect();
    // The card as lit, then the sparks running round the round buttons over it.
    for (const QRect& part : pixels) {
        for (int y = part.top(); y <= part.bottom(); ++y)
            std::memcpy(m_frame.scanLine(y) + part.left() * 4, lit.constScanLine(y) + part.left() * 4,
                        std::size_t(part.width()) * 4);
    }
    QRegion sparked;
    for (MenuPiece* piece : m_pulsing) {
        const QRectF reach = piece->reach().translated(cardOrigin());
        if (area.intersects(reach.toAlignedRect()))
            sparked += area & reach.toAlignedRect();
    }
    if (sparked.isEmpty())
        return;
    QPainter painter(&m_frame);
    for (const QRect& part : sparked) {
        for (const QRectF& band : paintingBands(QRectF(part), dpr)) {
            const QRectF onCard = band.translated(-cardOrigin());
            painter.save();
            painter.setClipRect(band);
            painter.translate(cardOrigin());
            for (MenuPiece* piece : m_pulsing) {
                if (piece->reach().intersects(onCard))
                    piece->paintPulse(painter);
            }
            painter.restore();
        }
    }
}

void OpenedMenu::paintTransition(QPainter& painter)
{
    // Coming in (or going), the card fades, grows from 0.94 about its top
    // corner on the side it opens to, and slides: it is put together once
    // as it stands, and that picture is drawn moved.
    composeFrame(rect(), bringUpToDate());
    const qreal dpr = devicePixelRatioF();
    const double presence = m_presence;
    const QPointF anchor = cardOrigin() + QPointF(m_opensToRight ? MenuMetrics::menuWidth : 0, 0);
    const qreal scale = 0.94 + 0.06 * presence;
    for (const QRectF& band : paintingBands(QRectF(rect()), dpr)) {
        painter.save();
        painter.setClipRect(band);
        painter.setOpacity(std::clamp(presence, 0.0, 1.0));
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.translate(anchor);
        painter.scale(scale, scale);
        painter.translate(-anchor);
        painter.drawImage(QPointF(0, 0), m_frame);
        painter.restore();
    }
}
