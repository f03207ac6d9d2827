#include "MenuApplications.h"

std::optional<QIcon> MenuApplications::originalAppIcon(const QString& path) const
{
    if (path.isEmpty() || !exists(path))
        return std::nullopt;
    const QIcon found = icon(path);
    if (found.isNull())
        return std::nullopt;
    return found;
}
