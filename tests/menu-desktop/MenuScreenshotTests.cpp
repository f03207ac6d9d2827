// The opened menu on a real X11 desktop, as the panel hosts it: each look is
// captured from the screen, saved for a person to see and checked for what
// must be there.
#include "support/ModelTestKit.h"

#include "menu/OpenedMenu.h"
#include "model/ResourceBundle.h"
#include "ui/AnimationDriver.h"

#include <QCursor>
#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QRandomGenerator>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QColor backdropColour(38, 44, 58);

class Backdrop final : public QWidget {
public:
    Backdrop() { setWindowFlags(Qt::FramelessWindowHint); }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), backdropColour); }
};

class MenuScreenshots : public ::testing::Test {
protected:
    void open(CompanionEdition edition)
    {
        model = kit.makeModel();
        backdrop.setGeometry(100, 100, 560, 640);
        companion = new CompanionView(*model, environment, &backdrop);
        companion->setGeometry(20, 20, 516, 590);
        menu = new OpenedMenu(*companion, environment, edition, {});
        companion->hostMenu(menu);
        backdrop.show();
        QCursor::setPos(1200, 1000);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&backdrop));
        model->menuOpen = true;
        QTest::qWait(1200);
    }

    QImage capture(const QString& name)
    {
        QTest::qWait(80);
        const QImage shot = QGuiApplication::primaryScreen()
                                ->grabWindow(0, backdrop.x(), backdrop.y(), backdrop.width(), backdrop.height())
                                .toImage()
                                .convertToFormat(QImage::Format_RGB32);
        QDir().mkpath(folder);
        shot.save(folder + QStringLiteral("/menu-") + name + QStringLiteral(".png"));
        return shot;
    }

    ModelTestKit kit;
    std::unique_ptr<CompanionModel> model;
    const ResourceBundle bundle{QStringLiteral(LUMIVO_BINARY_DIR "/src/lumivo-companion.resources")};
    ViewEnvironment environment{
        .animations = AnimationDriver::main(),
        .scheduler = Scheduler::main(),
        .uniform = [](double low, double high) { return low + QRandomGenerator::global()->generateDouble() * (high - low); },
        .resources = bundle,
    };
    Backdrop backdrop;
    CompanionView* companion = nullptr;
    OpenedMenu* menu = nullptr;
    const QString folder = QStringLiteral(LUMIVO_BINARY_DIR "/screenshots");
};

TEST_F(MenuScreenshots, CommandCenterMenu)
{
    open(CompanionEdition::commandCenter);
    EXPECT_TRUE(menu->isShowing());
    capture(QStringLiteral("command-center-light"));
}

} // namespace
