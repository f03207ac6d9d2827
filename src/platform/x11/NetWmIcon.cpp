#include "platform/x11/NetWmIcon.h"

#include <QImage>
#include <QPixmap>

namespace {

// Larger pictures are not icons; refusing them also bounds the allocation.
constexpr quint32 largestSide = 1024;

} // namespace

QIcon iconFromNetWmIcon(std::span<const quint32> values)
{
    QIcon icon;
    while (values.size() >= 2) {
        const quint32 width = values[0];
        const quint32 height = values[1];
        values = values.subspan(2);
        if (width == 0 || height == 0 || width > largestSide || height > largestSide)
            break;
        const size_t pixels = size_t(width) * height;
        if (pixels > values.size())
            break;
        QImage image(int(width), int(height), QImage::Format_ARGB32);
        for (quint32 row = 0; row < height; ++row) {
            auto* line = reinterpret_cast<quint32*>(image.scanLine(int(row)));
            std::copy_n(values.begin() + ptrdiff_t(row) * width, width, line);
        }
        icon.addPixmap(QPixmap::fromImage(image));
        values = values.subspan(pixels);
    }
    return icon;
}
