#include "HuluPicture.h"

#include "model/ResourceBundle.h"

#include <QByteArray>

namespace {

// A 96 x 96 picture with an alpha channel: a bright green lowercase h on a
// black rounded square, carried in the program as PNG in base64 text.
constexpr char huluPicture[] = "iVBORw0KGgoAAAANSUhEUgAAAGAAAABgCAYAAADimHc4AAACpUlEQVR42u2dvW4TQRSFR0hIkMKy\n"
                               "QBEBUWwbUfEGK6ooJQ0S1SollSXo6OAF8gb7BMgvgOSeJjWVSx5js2e1tpy1Dcz+zB1rviudJtmZ\n"
                               "JOfT3nvnxtI45x9ZrUWtZa1VrSpxrVovFq03k0VR6w7D/6m71qvRIq+1xlhvrVvvese8VomRg1W2\n"
                               "XnqbT7oZNy3NMf8EIGC+MQRyfpiacLTbwaAwOtgd0WqGbVH3DlkYE1YPDmsUXpuCvJ3tYIiNmtnR\n"
                               "AiPMJO+bSR5m2EjeM1I2HmVjhLEwIQkAr/989xIAAAAAAAAAAAAAAAAAAAAAAMAYwKPZk+rp1WU1\n"
                               "/3Zdnf+4qS5+fd5bo6/pe3pGz2oNAAYCOPvwtnpefvRev5HWag8AeBo3+/KuevX7a2/ju9Je2jPC\n"
                               "tyJOAFNJaUrpCQDGenb7Ppa3IU0A0oufn2KAkC6ATW14/OYlAKwhGL4JADBORwDYLcwAMJZBiwqA\n"
                               "7jkhcCo6LQAqmIdmPbuzoqEnaJ2YATBglKBnhowytA4AnQ6lT6+uNVrb52cGHODFDWBoe6i1fSBo\n"
                               "ipo8gLFOqdqjTzoKVIzjBTBmMdRekbakcQIYezygvXzfAnVUyQKY4o/Xnj6/g/69mSyAKV5/7el7\n"
                               "KEsWwBQFUHtG+OmMtD6WAgAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA\n"
                               "AAAAAAAAAAAAAAAAAAAAAJw8AASAaAGsMMFM8p4rTAzVXGHCJT52ai7xyTDCTPK+CS5yC6/tRW6K\n"
                               "AkOCq3CdWGNKMK3dgcgxJphydyRKzJlcpftLcKX59IWXe+VjNh8IEZi/C4GaME7O9za/2x3RovZr\n"
                               "NXM3YhSkpf9ON4WbMLJ2iLRklL0dKS9bTzJfM+8BROfcXJkgn+8AAAAASUVORK5CYII=\n";

} // namespace

const std::optional<QImage>& huluOriginalImage()
{
    static const std::optional<QImage> picture = []() -> std::optional<QImage> {
        const QByteArray text = QByteArray(huluPicture).replace('\n', QByteArray());
        const QByteArray::FromBase64Result png =
            QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
        const QImage image = png ? decodePng(*png) : QImage();
        if (image.isNull())
            return std::nullopt;
        return image;
    }();
    return picture;
}
