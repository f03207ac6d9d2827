#include "WebWindowRules.h"

#include <algorithm>
#include <cmath>

namespace WebWindowRules {

bool grants(const QUrl& origin, Capture capture)
{
    const QString host = origin.host();
    return capture == Capture::microphone && (host == u"127.0.0.1" || host == u"localhost");
}

QRect coveringFrame(const QRect& available, double coverage)
{
    const double fraction = std::isnan(coverage) ? 0.4 : std::clamp(coverage, 0.4, 0.9);
    const QSize size(int(std::lround(available.width() * fraction)), int(std::lround(available.height() * fraction)));
    QRect frame(QPoint(), size);
    frame.moveCenter(available.center());
    return frame;
}

} // namespace WebWindowRules
