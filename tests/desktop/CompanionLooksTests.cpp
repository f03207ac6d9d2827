// The built companion as a user sees it, at one and at two device pixels a
// point: the panel at rest, the tooltips its windows show on hover though
// they never take the focus, an alert, and both panels over a full-screen
// application. Every look is saved under screenshots/ for a person to see.
#include "RunningCompanion.h"
#include "StandInApplication.h"

#include "panel/CompanionAlertBubbleView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QToolTip>
#include <QWindow>

namespace {

// The screen's pixels in a rectangle of X coordinates.
QImage grabScreen(const QRect& area)
{
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// The same, kept as a picture for people to look at.
QImage captureScreen(const QRect& area, const QString& name)
{
    const QImage picture = grabScreen(area);
    QDir().mkpath(QStringLiteral(LUMIVO_BINARY_DIR "/screenshots"));
    picture.save(QStringLiteral(LUMIVO_BINARY_DIR "/screenshots/looks-%1.png").arg(name));
    return picture;
}

int pixelsUnlike(const QImage& picture, QRgb colour)
{
    int count = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            count += (picture.pixel(x, y) & 0xFFFFFF) != (colour & 0xFFFFFF);
    return count;
}

// The tooltip this process shows for text, as the screen shows it: the same
// Qt draws the companion's, so the two match pixel for pixel at one scale.
QImage referenceTooltip(const QString& text)
{
    QToolTip::showText(QPoint(200, 200), text);
    QWidget* label = nullptr;
    waitUntil([&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->inherits("QTipLabel") && widget->isVisible())
                label = widget;
        }
        return label != nullptr && label->windowHandle()->isExposed();
    });
    if (!label)
        return {};
    // On the screen as it paints now.
    label->repaint();
    const QImage picture = grabScreen(label->geometry());
    QToolTip::hideText();
    waitUntil([&] { return !QToolTip::isVisible(); });
    return picture;
}

// Hovers the point as a hand does, arriving from a little way off, and waits
// for the companion's tooltip.
std::optional<ShownWindow> hoverFor(const RunningCompanion& companion, const QPoint& point)
{
    moveMouse(point + QPoint(-6, 4));
    moveMouse(point);
    std::optional<ShownWindow> tooltip;
    waitUntil([&] { return (tooltip = companion.tooltip()).has_value(); }, 4000);
    return tooltip;
}

class CompanionLooks : public ::testing::TestWithParam<int> {
protected:
    int scale() const { return GetParam(); }
    QString named(const QString& look) const { return QStringLiteral("%1-%2x").arg(look).arg(scale()); }

    // The tooltip shows text: at one scale exactly as Qt draws it here, at two
    // the same label twice as large.
    void expectTooltip(const RunningCompanion& companion, const std::optional<ShownWindow>& tooltip,
                       const QString& text, const QRect& around)
    {
        ASSERT_TRUE(tooltip.has_value()) << "no tooltip for " << text.toStdString();
        const QImage reference = referenceTooltip(text);
        ASSERT_FALSE(reference.isNull());
        // Mapped, and painted once its corners show a tooltip's colours.
        EXPECT_TRUE(waitUntil([&] {
            const QImage now = grabScreen(tooltip->geometry);
            const auto lastPixel = [](const QImage& picture) {
                return picture.pixel(picture.width() - 1, picture.height() - 1);
            };
            return now.pixel(0, 0) == reference.pixel(0, 0) && lastPixel(now) == lastPixel(reference);
        }));
        const QImage shown =
            captureScreen(tooltip->geometry, named(QStringLiteral("tooltip-") + text.section(QLatin1Char(' '), 0, 0)));
        captureScreen(around.united(tooltip->geometry),
                      named(QStringLiteral("hovered-") + text.section(QLatin1Char(' '), 0, 0)));
        if (scale() == 1) {
            EXPECT_EQ(shown, reference) << "the tooltip does not read \"" << text.toStdString() << "\"";
        } else {
            EXPECT_NEAR(shown.width(), 2 * reference.width(), 4) << text.toStdString();
            EXPECT_NEAR(shown.height(), 2 * reference.height(), 4) << text.toStdString();
        }
        moveMouse(QPoint(100, 100));
        EXPECT_TRUE(waitUntil([&] { return !companion.tooltip().has_value(); })) << "the tooltip stayed";
    }
};

TEST_P(CompanionLooks, AtRestHoveredWithItsTooltipsWithAnAlertAndOverAFullScreenApplication)
{
    const int s = scale();
    moveMouse(QPoint(100, 100));
    CompanionSession session;
    session.setVariable(QStringLiteral("QT_SCALE_FACTOR"), QString::number(s));
    RunningCompanion companion(session);
    const std::optional<ShownWindow> panel = companion.waitForPanel();
    ASSERT_TRUE(panel.has_value());
    // The corner of the desktop's 3200 / s by 1200 / s points.
    ASSERT_EQ(panel->geometry, QRect(3200 - (24 + 330) * s, 1200 - (10 + 190) * s, 330 * s, 190 * s));
    // The mascot drawn.
    EXPECT_TRUE(waitUntil([&] { return pixelsUnlike(grabScreen(panel->geometry), qRgb(0, 0, 0)) > 2000 * s * s; }));
    const QImage rest = captureScreen(panel->geometry, named(QStringLiteral("panel-at-rest")));
    EXPECT_GT(pixelsUnlike(rest, qRgb(0, 0, 0)), 2000 * s * s);

    // The mascot stands in the right-hand 170 points, its centre about
    // halfway up.
    const QPoint mascot(panel->geometry.right() - 85 * s, panel->geometry.bottom() - 95 * s);
    expectTooltip(companion, hoverFor(companion, mascot), QStringLiteral("Click for controls or drag Vora anywhere"),
                  panel->geometry);

    const CompanionAlert alert(
        CompanionAlertSource::calendar,
        QStringLiteral("Board review moved to 3 pm: bring the quarterly numbers, the hiring plan and "
                       "the draft budget for next year"));
    ASSERT_EQ(startAnotherCopy(session,
                               {QStringLiteral("lumivo://notify?type=calendar&detail=")
                                + QString::fromUtf8(QUrl::toPercentEncoding(alert.detail()))}),
              0);
    std::optional<ShownWindow> alertPanel;
    ASSERT_TRUE(waitUntil([&] { return (alertPanel = companion.alertPanel()).has_value(); }));
    // A busy machine may show the window mapped but not yet drawn.
    EXPECT_TRUE(waitForStillPicture(alertPanel->geometry, 4000 * s * s));
    const QRect both = alertPanel->geometry.united(panel->geometry);
    captureScreen(both, named(QStringLiteral("alert")));
    EXPECT_GT(pixelsUnlike(captureScreen(alertPanel->geometry, named(QStringLiteral("alert-bubble"))), qRgb(0, 0, 0)),
              4000 * s * s);

    const CompanionAlertBubbleView::Layout layout = CompanionAlertBubbleView::layoutFor(alert);
    const auto onBubble = [&](const QRectF& item) {
        return alertPanel->geometry.topLeft() + (item.center() * s).toPoint();
    };
    expectTooltip(companion, hoverFor(companion, onBubble(layout.reply)), QStringLiteral("Reply"), both);
    expectTooltip(companion, hoverFor(companion, onBubble(layout.dismiss)), QStringLiteral("Dismiss"), both);

    // A video player goes full screen, white all over: both panels stay in
    // front of it, and it keeps the focus.
    StandInApplication player({QStringLiteral("--windows"), QStringLiteral("1"), QStringLiteral("--fullscreen"),
                               QStringLiteral("--report-presses")});
    ASSERT_TRUE(waitUntil([] { return grabScreen(QRect(5, 5, 1, 1)).pixel(0, 0) == qRgb(255, 255, 255); }))
        << "the full-screen window never came up";
    QString playerWindow;
    ASSERT_TRUE(waitUntil([&] { return !(playerWindow = activeWindow()).isEmpty(); }))
        << "the full-screen window never took the focus";
    const QRect mascotArea(panel->geometry.right() - 170 * s, panel->geometry.top(), 170 * s, 190 * s);
    // The panels step back in front of the full-screen window the window manager raised.
    EXPECT_TRUE(waitUntil([&] {
        return pixelsUnlike(grabScreen(mascotArea), qRgb(255, 255, 255)) > 2000 * s * s
            && pixelsUnlike(grabScreen(alertPanel->geometry), qRgb(255, 255, 255)) > 4000 * s * s;
    }));
    captureScreen(both, named(QStringLiteral("over-full-screen")));
    EXPECT_GT(pixelsUnlike(grabScreen(mascotArea), qRgb(255, 255, 255)), 2000 * s * s)
        << "the full-screen window covers the panel";
    EXPECT_GT(pixelsUnlike(grabScreen(alertPanel->geometry), qRgb(255, 255, 255)), 4000 * s * s)
        << "the full-screen window covers the alert panel";
    clickAt(QPoint(400, 400));
    // The window manager has dealt with the press by the time the window has
    // it; the companion, which hears every press, has once it has caught up.
    ASSERT_TRUE(waitUntil([&] { return player.presses() == 1; }));
    ASSERT_TRUE(runningCopyCaughtUp(session));
    EXPECT_TRUE(waitUntil([&] { return pixelsUnlike(grabScreen(mascotArea), qRgb(255, 255, 255)) > 2000 * s * s; }));
    EXPECT_EQ(activeWindow(), playerWindow);
    EXPECT_GT(pixelsUnlike(grabScreen(mascotArea), qRgb(255, 255, 255)), 2000 * s * s)
        << "covered once the full-screen window was clicked";
}

INSTANTIATE_TEST_SUITE_P(Scales, CompanionLooks, ::testing::Values(1, 2),
                         [](const auto& info) { return std::to_string(info.param) + "x"; });

} // namespace
