#include "QrCodeImage.h"

#include <qrencode.h>

#include <memory>

namespace QrCodeImage {

std::optional<QImage> modules(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    if (bytes.isEmpty())
        return std::nullopt;

    // Encoded as bytes with their length, so no byte of the text ends it early.
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeData(int(bytes.size()), reinterpret_cast<const unsigned char*>(bytes.constData()), 0,
                          QR_ECLEVEL_M),
        &QRcode_free);
    if (!code)
        return std::nullopt;

    const int width = code->width;
    QImage image(width + 2 * border, width + 2 * border, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    image.fill(0);
    for (int y = 0; y < width; ++y) {
        for (int x = 0; x < width; ++x) {
            // Bit 0 of each module byte marks a dark module.
            if (code->data[y * width + x] & 1)
                image.setPixel(x + border, y + border, 1);
        }
    }
    return image;
}

std::optional<QImage> forText(const QString& text)
{
    const std::optional<QImage> symbol = modules(text);
    if (!symbol)
        return std::nullopt;
    return symbol->scaled(symbol->size() * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

} // namespace QrCodeImage
