#pragma once

#include <QImage>
#include <QRect>
#include <QRegion>

#include <optional>

// Every rectangle a window repaints is cleared, drawn, sent to the X server
// and composited on its own, and each pixel in it costs again at each step;
// so a picture's changes are best sent as a few rectangles that carry
// little more than the pixels that really changed. One more rectangle costs
// about as much as this many pixels.
inline constexpr int rectangleCostInPixels = 1024;

// Gathers the pixels of a picture that changed, row by row from the top,
// into rectangles: a changed row joins the rectangle above it (across any
// unchanged rows between) as long as that adds fewer unchanged pixels than
// a rectangle costs.
class ChangedRows {
public:
    // Pixels left to right of row y changed; y never goes back up.
    void add(int y, int left, int right);
    // Everything added, in the picture's pixels.
    QRegion region();

private:
    void close();

    QRegion m_region;
    std::optional<QRect> m_open;
    long long m_openPixels = 0; // changed pixels in the open rectangle
};

// Copies area (in pixels) of next into shown, two pictures of one size and
// format, and answers where within area their pixels differed.
QRegion carryChangedPixels(const QImage& next, QImage& shown, const QRect& area);

// A region of a picture's pixels in points at ratio dpr, grown to whole points.
QRegion pointsOfPixels(const QRegion& pixels, qreal dpr);
// A region in points as the pixels it covers at ratio dpr.
QRegion pixelsOfPoints(const QRegion& points, qreal dpr);
