// The collapsed panel and the alert bubble on a real X11 desktop: each look
// is captured from the screen, saved for a person to see and checked for
// what must be there. Run at any scale (QT_SCALE_FACTOR): pictures taken at
// a ratio other than 1 are saved with "@<ratio>x" after their names.
#include "support/Backdrop.h"
#include "support/ModelTestKit.h"
#include "support/WaitUntil.h"

#include "model/ResourceBundle.h"
#include "panel/CompanionAlertBubbleView.h"
#include "panel/CompanionView.h"
#include "ui/AnimationDriver.h"

#include <QCursor>
#include <QDir>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class PanelScreenshots : public ::testing::Test {
protected:
    void SetUp() override
    {
        model = kit.makeModel();
        backdrop.setGeometry(100, 100, 700, 260);
        companion = new CompanionView(*model, environment, &backdrop);
        companion->setGeometry(20, 40, 330, 190);
        bubble = new CompanionAlertBubbleView(*model, bubbleEnvironment, &backdrop);
        bubble->move(390, 80);
        backdrop.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&backdrop));
        QCursor::setPos(900, 700);
        // The ambient motions run from the start; wait for the last sparkle to begin its twinkle.
        ASSERT_TRUE(waitUntil([&] {
            const FloatingSwirl* figure = companion->floatingSwirl();
            return figure
                && std::ranges::all_of(figure->frameAt({}, 1, environment.animations.now()).sparkleLit,
                                       [](double lit) { return lit > 0; });
        }));
    }

    // Waits until value has started to move and come to rest again.
    static bool movesAndRests(const AnimatedValue& value)
    {
        bool moved = false;
        return waitUntil([&] {
            moved = moved || value.isAnimating();
            return moved && !value.isAnimating();
        });
    }

    // Waits until the bubble has come fully in (1) or faded out (0).
    bool bubbleRestsAt(double presence)
    {
        return waitUntil([&] { return bubble->presence().target() == presence && !bubble->presence().isAnimating(); });
    }

    QImage capture(const QString& name)
    {
        // What the views show now, on the screen.
        backdrop.repaint();
        const QImage shot = backdrop.screenshot();
        QDir().mkpath(folder);
        const qreal ratio = shot.devicePixelRatio();
        const QString scale = ratio == 1 ? QString() : QStringLiteral("@%1x").arg(ratio);
        shot.save(folder + QStringLiteral("/") + name + scale + QStringLiteral(".png"));
        return shot;
    }

    // The device pixels of a shot that an area in points covers.
    static QRect devicePixels(const QImage& shot, const QRect& area)
    {
        const qreal ratio = shot.devicePixelRatio();
        return QRect(QPoint(qRound(area.left() * ratio), qRound(area.top() * ratio)),
                     QSize(qRound(area.width() * ratio), qRound(area.height() * ratio)));
    }

    // How many pixels of area (in points) differ visibly from the bare
    // backdrop, counted in points.
    static int paintedPixels(const QImage& shot, const QRect& area)
    {
        const QRect pixels = devicePixels(shot, area);
        const qreal ratio = shot.devicePixelRatio();
        return qRound(countPainted(shot, pixels) / (ratio * ratio));
    }

    static int countPainted(const QImage& shot, const QRect& pixels)
    {
        int count = 0;
        for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
            for (int x = pixels.left(); x <= pixels.right(); ++x) {
                const QColor pixel = shot.pixelColor(x, y);
                if (std::abs(pixel.red() - backdropColour.red()) + std::abs(pixel.green() - backdropColour.green())
                        + std::abs(pixel.blue() - backdropColour.blue())
                    > 24)
                    ++count;
            }
        }
        return count;
    }

    // The points of area with paint on them.
    static QRect paintedBounds(const QImage& shot, const QRect& area)
    {
        const QRect pixels = devicePixels(shot, area);
        QRect bounds;
        for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
            for (int x = pixels.left(); x <= pixels.right(); ++x) {
                if (countPainted(shot, QRect(x, y, 1, 1)))
                    bounds |= QRect(x, y, 1, 1);
            }
        }
        const qreal ratio = shot.devicePixelRatio();
        return QRect(QPoint(int(bounds.left() / ratio), int(bounds.top() / ratio)),
                     QPoint(int(bounds.right() / ratio), int(bounds.bottom() / ratio)));
    }

    QRect mascotArea() const { return companion->mascotFrame().toAlignedRect().translated(companion->pos()); }
    QRect bubbleArea() const { return bubble->geometry(); }

    ModelTestKit kit;
    std::unique_ptr<CompanionModel> model;
    const ResourceBundle bundle{QStringLiteral(LUMIVO_BINARY_DIR "/src/lumivo-companion.resources")};
    ViewEnvironment environment = ViewEnvironment::live(bundle);
    // The bubble runs on a clock of its own: its animations come to rest,
    // while the mascot's never do.
    AnimationDriver bubbleAnimations;
    ViewEnvironment bubbleEnvironment{bubbleAnimations, environment.scheduler, environment.uniform, bundle};
    Backdrop backdrop;
    CompanionView* companion = nullptr;
    CompanionAlertBubbleView* bubble = nullptr;
    const QString folder = QStringLiteral(LUMIVO_BINARY_DIR "/screenshots");
};

// One desktop per test: the looks of one view are captured in turn.
TEST_F(PanelScreenshots, CollapsedPanelAtRestHoveredAndMidWave)
{
    const QRect mascot = mascotArea();
    const int quarterOfFrame = mascot.width() * mascot.height() / 4;

    const QImage rest = capture(QStringLiteral("panel-at-rest"));
    EXPECT_GT(paintedPixels(rest, mascot), quarterOfFrame);
    // The panel's top strip, above the figure's reach, stays bare, and with
    // no alert the bubble's frame is empty.
    EXPECT_EQ(paintedPixels(rest, QRect(companion->x(), companion->y(), 330, 4)), 0);
    EXPECT_EQ(paintedPixels(rest, bubbleArea()), 0);

    QCursor::setPos(backdrop.mapToGlobal(mascot.center()));
    EXPECT_TRUE(movesAndRests(companion->figureScale()));
    EXPECT_TRUE(companion->botHovering());
    EXPECT_NEAR(companion->figureScale().value(), 1.05, 0.01);
    const QImage hovered = capture(QStringLiteral("panel-hovered"));
    EXPECT_GT(paintedPixels(hovered, mascot), quarterOfFrame);

    QCursor::setPos(900, 700);
    EXPECT_TRUE(movesAndRests(companion->figureScale()));
    EXPECT_FALSE(companion->botHovering());
    model->requestWave();
    // Near the first swing's height.
    EXPECT_TRUE(waitUntil([&] { return companion->waveRunning() && std::abs(companion->waveAngle().value()) > 10; }));
    EXPECT_TRUE(companion->waveRunning());
    EXPECT_GT(std::abs(companion->waveAngle().value()), 2);
    const QImage waving = capture(QStringLiteral("panel-mid-wave"));
    EXPECT_GT(paintedPixels(waving, mascot), quarterOfFrame);
}

TEST_F(PanelScreenshots, BubbleOfEachLengthStaysInsideTheAlertPanel)
{
    const QRect surroundings = bubbleArea().adjusted(-30, -30, 30, 30);

    model->enqueueAlert(CompanionAlertSource::call, QString());
    EXPECT_TRUE(bubbleRestsAt(1));
    const QImage shortShot = capture(QStringLiteral("bubble-empty-detail"));
    EXPECT_TRUE(bubble->currentLayout().detailLines.isEmpty());
    const QRect shortBounds = paintedBounds(shortShot, surroundings);
    EXPECT_TRUE(bubbleArea().contains(shortBounds)) << "painted outside the alert panel";
    EXPECT_GE(shortBounds.width(), 214);
    EXPECT_GE(shortBounds.height(), 45);
    const qreal shortHeight = bubble->currentLayout().bubble.height();

    model->dismissAlert(false);
    EXPECT_TRUE(bubbleRestsAt(0));
    EXPECT_EQ(paintedPixels(capture(QStringLiteral("bubble-gone")), surroundings), 0);

    model->enqueueAlert(CompanionAlertSource::agent,
                        QStringLiteral("The quarterly report agent finished drafting the board summary and needs "
                                       "your approval before it sends the numbers to every regional manager today"));
    EXPECT_TRUE(bubbleRestsAt(1));
    const QImage longShot = capture(QStringLiteral("bubble-long-detail"));
    const CompanionAlertBubbleView::Layout& layout = bubble->currentLayout();
    EXPECT_EQ(layout.detailLines.size(), 3);
    EXPECT_TRUE(layout.detailLines.last().endsWith(QChar(0x2026)));
    const QRect longBounds = paintedBounds(longShot, surroundings);
    EXPECT_TRUE(bubbleArea().contains(longBounds)) << "painted outside the alert panel";
    EXPECT_GT(layout.bubble.height(), shortHeight + 5);
    EXPECT_GE(longBounds.height(), shortBounds.height());

    // Under the pointer "Reply" lifts and glows magenta past its own frame.
    const QRect reply = layout.reply.toAlignedRect().translated(bubble->pos());
    QCursor::setPos(backdrop.mapToGlobal(reply.center()));
    // Its lift and glow spring on the bubble's clock.
    bool lifting = false;
    EXPECT_TRUE(waitUntil([&] {
        lifting = lifting || bubbleAnimations.isRunning();
        return lifting && !bubbleAnimations.isRunning();
    }));
    const QImage hovered = capture(QStringLiteral("bubble-reply-hovered"));
    const QRect besideReply(reply.left() - 1, reply.bottom() + 2, reply.width() + 2, 3);
    EXPECT_GT(paintedPixels(hovered, besideReply), paintedPixels(longShot, besideReply));
}

} // namespace
