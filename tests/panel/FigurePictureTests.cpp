#include "ViewTestKit.h"

#include "panel/FigurePicture.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <functional>

namespace {

class FigurePictureTest : public ::testing::TestWithParam<qreal> {
protected:
    qreal ratio() const { return GetParam(); }
    FigurePicture::Place place() const { return {QPointF(245, 105), QSizeF(330, 190), ratio()}; }

    QImage blank() const
    {
        QImage image(QSize(330, 190) * ratio(), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio());
        image.fill(Qt::transparent);
        return image;
    }
    QImage shown(const FigurePicture& picture) const
    {
        QImage image = blank();
        QPainter painter(&image);
        picture.paint(painter, QRegion(0, 0, 330, 190));
        return image;
    }
    QImage paintedAfresh(const FloatingSwirl::Frame& frame)
    {
        QImage image = blank();
        QPainter painter(&image);
        figure.paint(painter, place().centre, frame, QRectF(0, 0, 330, 190));
        return image;
    }

    // How many pixels of two pictures differ by more than a couple of
    // levels in some channel. A picture drawn unfiltered at a turn or a
    // scale (a burst, a sparkle) picks its source pixels from where a
    // clipped span starts, so a few may.
    static constexpr int fewPixels = 12;
    static int visiblyDifferent(const QImage& first, const QImage& second)
    {
        int count = 0;
        for (int y = 0; y < first.height(); ++y) {
            for (int x = 0; x < first.width(); ++x) {
                const QRgb a = first.pixel(x, y);
                const QRgb b = second.pixel(x, y);
                int largest = 0;
                for (const int shift : {0, 8, 16, 24})
                    largest = std::max(largest, std::abs(int((a >> shift) & 0xff) - int((b >> shift) & 0xff)));
                count += largest > 2;
            }
        }
        return count;
    }
    // Every pixel that differs between the pictures lies in changed (points).
    void expectChangesWithin(const QImage& before, const QImage& after, const QRegion& changed, const char* what) const
    {
        for (int y = 0; y < after.height(); ++y) {
            for (int x = 0; x < after.width(); ++x) {
                if (before.pixel(x, y) != after.pixel(x, y)) {
                    ASSERT_TRUE(changed.contains(QPoint(int(x / ratio()), int(y / ratio()))))
                        << what << ": a changed pixel at " << x << ", " << y << " was not told";
                }
            }
        }
    }

    ViewTestKit kit;
    FloatingSwirl figure{kit.environment, [] {}};
};

// Composed frame after frame, each only where it may differ, the picture
// shows what painting the frame afresh shows, and tells every pixel that
// changed.
TEST_P(FigurePictureTest, ComposedFrameAfterFrameShowsWhatAFreshPaintShowsAndTellsWhatChanged)
{
    using Change = std::function<void(FloatingSwirl::Frame&)>;
    const std::vector<std::pair<const char*, Change>> changes{
        {"the swirl turned", [](auto& frame) { frame.turn -= 1.07; }},
        {"a sparkle lit", [](auto& frame) { frame.sparkleLit[1] = 0.7; }},
        {"a burst set off",
         [](auto& frame) {
             frame.burstStates[2] = {true, 0.2};
         }},
        {"the burst flew on with the ring",
         [](auto& frame) {
             frame.burstStates[2] = {true, 0.5};
             frame.ringTurn -= 1;
         }},
        {"the shadow turned", [](auto& frame) { frame.shadowTurn -= 3.2; }},
        {"the breath grew", [](auto& frame) { frame.glowStep = 4; }},
        {"the figure rose", [](auto& frame) { frame.lift = -2; }},
        {"the pointer came on",
         [](auto& frame) {
             frame.scale = 1.05;
             frame.brightness = 0.06;
         }},
        {"the burst ended", [](auto& frame) { frame.burstStates[2] = {}; }},
    };
    FigurePicture picture;
    FloatingSwirl::Frame frame = FloatingSwirl::snapped({}, ratio());
    picture.compose(figure, frame, place());
    for (const auto& [what, change] : changes) {
        const QImage before = shown(picture);
        change(frame);
        const QRegion changed = picture.compose(figure, frame, place());
        const QImage after = shown(picture);
        EXPECT_LE(visiblyDifferent(after, paintedAfresh(frame)), fewPixels) << what;
        expectChangesWithin(before, after, changed, what);
        EXPECT_FALSE(changed.isEmpty()) << what;
    }
}

TEST_P(FigurePictureTest, ATurnOfTheSwirlRepaintsLessThanTheSwirlsSquare)
{
    FigurePicture picture;
    FloatingSwirl::Frame frame = FloatingSwirl::snapped({}, ratio());
    picture.compose(figure, frame, place());
    frame.turn = -1.07;
    const QRect square = figure.changedArea(FloatingSwirl::snapped({}, ratio()), frame);
    long long repainted = 0;
    for (const QRect& rect : picture.compose(figure, frame, place()))
        repainted += rect.width() * rect.height();
    EXPECT_LT(repainted, square.width() * square.height());
    EXPECT_TRUE(picture.compose(figure, frame, place()).isEmpty()) << "the same frame again";
}

// When the mascot moves (the menu opens beside it), the figure is drawn
// afresh at its new place and leaves nothing at the old one.
TEST_P(FigurePictureTest, AMovedFigureRepaintsItsOldPlaceAndItsNewOne)
{
    FigurePicture picture;
    const FloatingSwirl::Frame frame = FloatingSwirl::snapped({}, ratio());
    picture.compose(figure, frame, place());
    FigurePicture::Place moved = place();
    moved.centre -= QPointF(20, 0);
    const QRegion changed = picture.compose(figure, frame, moved);
    // The old picture reached from 106 points left of the old centre to the view's edge.
    EXPECT_TRUE((QRegion(245 - 106, 0, 330 - (245 - 106), 190) - changed).isEmpty());
    EXPECT_LE(visiblyDifferent(shown(picture),
                               [&] {
                                   QImage image = blank();
                                   QPainter painter(&image);
                                   figure.paint(painter, moved.centre, frame, QRectF(0, 0, 330, 190));
                                   return image;
                               }()),
              fewPixels);
}

INSTANTIATE_TEST_SUITE_P(AtEachPixelDensity, FigurePictureTest, ::testing::Values(1.0, 2.0));

} // namespace
