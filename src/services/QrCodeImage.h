#pragma once

#include <QImage>
#include <QString>

#include <optional>

// The QR code of a text, as a black-on-white image for the Go Mobile panel.
namespace QrCodeImage {

// Pixels per module in each direction of the finished image.
inline constexpr int scale = 11;
// Light modules around the symbol, on each side, before scaling.
inline constexpr int border = 1;

// The code of the text's UTF-8 bytes at error-correction level M, one module
// per pixel with `border` light modules around it; nothing when the text is
// empty or too long for any QR code.
std::optional<QImage> modules(const QString& text);

// modules(text) scaled up by `scale` without smoothing, so each module is a
// sharp scale x scale square.
std::optional<QImage> forText(const QString& text);

} // namespace QrCodeImage
