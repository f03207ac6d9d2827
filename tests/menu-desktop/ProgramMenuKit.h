#pragma once

// The built program's opened menu on the private desktop, and a replica of
// that menu built in this process with the same edition, fonts, panels and
// readings: the replica tells where each of the program's controls lies,
// and shows what the program's card should show.

#include "desktop/RunningCompanion.h"
#include "support/ModelTestKit.h"

#include "menu/OpenedMenu.h"
#include "menu/panels/MenuPanels.h"
#include "model/ResourceBundle.h"
#include "panel/CompanionView.h"
#include "ui/AnimationDriver.h"

#include <QPainter>

#include <gtest/gtest.h>

class MenuMap {
public:
    MenuMap(CompanionEdition edition, const QStringList& personalApps, QSize panelSize)
    {
        model = kit.makeModel();
        model->personalApps.modify([&](QStringList& apps) { apps = personalApps; });
        view = std::make_unique<CompanionView>(*model, environment);
        view->resize(panelSize);
        menu = new OpenedMenu(*view, environment, edition, {}, menuPanels());
        view->hostMenu(menu);
        model->menuOpen = true;
        settle();
    }

    // The replica's readings and flags, set as the program's stand.
    CompanionModel& state() { return *model; }
    static void settle()
    {
        for (int turn = 0; turn < 3; ++turn)
            QCoreApplication::processEvents();
    }

    // A control's centre on the screen, in X coordinates.
    QPoint centreOf(const QString& name, const ShownWindow& panel) const
    {
        const MenuButton* control = menu->control(name);
        EXPECT_NE(control, nullptr) << name.toStdString();
        return control ? panel.geometry.topLeft() + control->mapTo(view.get(), control->rect().center()) : QPoint();
    }
    QRect card(const ShownWindow& panel) const
    {
        return menu->cardGeometry().toAlignedRect().translated(menu->pos() + panel.geometry.topLeft());
    }
    bool has(const QString& name) const { return menu->control(name) != nullptr; }

    // The replica's panel as the program's shows it on a desktop without a
    // compositor: over black.
    QImage picture() const
    {
        QImage shown(view->size(), QImage::Format_RGB32);
        shown.fill(Qt::black);
        QPainter painter(&shown);
        view->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
        return shown;
    }

private:
    ModelTestKit kit;
    const ResourceBundle bundle{QStringLiteral(LUMIVO_BINARY_DIR "/src/lumivo-companion.resources")};
    ViewEnvironment environment = ViewEnvironment::live(bundle);
    std::unique_ptr<CompanionModel> model;
    std::unique_ptr<CompanionView> view;
    OpenedMenu* menu = nullptr;
};

// The mascot of the panel, collapsed or opened to the left.
inline QPoint mascotOf(const ShownWindow& panel)
{
    return panel.geometry.width() == 516 ? QPoint(panel.geometry.right() - 105, panel.geometry.bottom() - 90)
                                         : QPoint(panel.geometry.right() - 85, panel.geometry.bottom() - 95);
}

inline bool isOpen(const RunningCompanion& companion)
{
    const std::optional<ShownWindow> panel = companion.panel();
    return panel && panel->geometry.width() == 516;
}

inline int differingPixels(const QImage& first, const QImage& second);

inline std::optional<ShownWindow> openMenu(const RunningCompanion& companion)
{
    const std::optional<ShownWindow> panel = companion.panel();
    if (!panel)
        return std::nullopt;
    if (!isOpen(companion))
        clickAt(mascotOf(*panel));
    if (!waitUntil([&] { return isOpen(companion); }))
        return std::nullopt;
    // The card has come in once its header row shows where a replica's does
    // (both editions head it alike). On its way, however long the program is
    // kept from animating it, some hundreds of pixels differ; at rest only the
    // title's glow and the buttons' sparks do, about a hundred at most.
    const std::optional<ShownWindow> opened = companion.panel();
    if (!opened)
        return std::nullopt;
    const MenuMap map(CompanionEdition::commandCenter, {}, opened->geometry.size());
    const QRect card = map.card(*opened);
    const int middle = map.centreOf(QStringLiteral("Close Vora controls"), *opened).y();
    const QRect header(card.left() + 12, middle - 12, card.width() - 24, 24);
    const QImage replica = map.picture().copy(header.translated(-opened->geometry.topLeft()));
    return waitUntil([&] { return differingPixels(grabDesktop(header), replica) < 200; }) ? opened : std::nullopt;
}

inline QImage captureScreen(const QRect& area, const QString& name)
{
    return captureDesktop(area, QStringLiteral("menu-program-") + name);
}

// How many pixels of two pictures of one size look different (the card's
// slow light may have moved a little between them).
inline int differingPixels(const QImage& first, const QImage& second)
{
    int differing = 0;
    for (int y = 0; y < first.height(); ++y) {
        for (int x = 0; x < first.width(); ++x) {
            const QColor a(first.pixel(x, y));
            const QColor b(second.pixel(x, y));
            differing +=
                std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())})
                > 48;
        }
    }
    return differing;
}

// The share of two pictures' pixels that look alike.
inline double alikeShare(const QImage& first, const QImage& second)
{
    return 1 - double(differingPixels(first, second)) / (first.width() * first.height());
}
