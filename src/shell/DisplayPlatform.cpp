#include "shell/DisplayPlatform.h"

#include <QList>

namespace DisplayPlatform {

std::optional<QByteArray> choose(const QByteArray& display, const QByteArray& requestedPlatforms)
{
    if (display.trimmed().isEmpty())
        return std::nullopt;
    const QByteArray first = requestedPlatforms.split(';').constFirst().trimmed();
    // Without a request Qt itself picks Wayland on a Wayland session.
    if (first.isEmpty() || first.startsWith("wayland"))
        return QByteArrayLiteral("xcb");
    return std::nullopt;
}

} // namespace DisplayPlatform
