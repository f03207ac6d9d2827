#include "ChangedPixels.h"

#include <cstdint>
#include <cstring>

void ChangedRows::add(int y, int left, int right)
{
    const QRect row(QPoint(left, y), QPoint(right, y));
    if (m_open) {
        // The rectangle grows down to this row, over any unchanged rows between.
        const QRect joined = m_open->united(row);
        const long long unchangedAdded = static_cast<long long>(joined.width()) * joined.height()
            - static_cast<long long>(m_open->width()) * m_open->height() - row.width();
        if (unchangedAdded < rectangleCostInPixels) {
            m_open = joined;
            m_openPixels += row.width();
            return;
        }
        close();
    }
    m_open = row;
    m_openPixels = row.width();
}

void ChangedRows::close()
{
    if (m_open)
        m_region += *m_open;
    m_open.reset();
    m_openPixels = 0;
}

QRegion ChangedRows::region()
{
    close();
    return m_region;
}

QRegion carryChangedPixels(const QImage& next, QImage& shown, const QRect& area)
{
    Q_ASSERT(next.depth() == 32 && shown.depth() == 32 && next.size() == shown.size());
    const QRect pixels = area & next.rect();
    if (pixels.isEmpty())
        return {};
    ChangedRows changed;
    const int width = pixels.width();
    for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
        const auto* from = reinterpret_cast<const std::uint32_t*>(next.constScanLine(y)) + pixels.left();
        auto* into = reinterpret_cast<std::uint32_t*>(shown.scanLine(y)) + pixels.left();
        if (std::memcmp(from, into, std::size_t(width) * 4) == 0)
            continue;
        int first = 0;
        while (from[first] == into[first])
            ++first;
        int last = width - 1;
        while (from[last] == into[last])
            --last;
        std::memcpy(into + first, from + first, std::size_t(last - first + 1) * 4);
        changed.add(y, pixels.left() + first, pixels.left() + last);
    }
    return changed.region();
}

QRegion pointsOfPixels(const QRegion& pixels, qreal dpr)
{
    QRegion points;
    for (const QRect& rect : pixels)
        points += QRectF(QPointF(rect.topLeft()) / dpr, QSizeF(rect.size()) / dpr).toAlignedRect();
    return points;
}

QRegion pixelsOfPoints(const QRegion& points, qreal dpr)
{
    QRegion pixels;
    for (const QRect& rect : points)
        pixels += QRectF(QPointF(rect.topLeft()) * dpr, QSizeF(rect.size()) * dpr).toAlignedRect();
    return pixels;
}
