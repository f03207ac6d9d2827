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

bool mayLeave(const QUrl& url)
{
    return url.isValid() && !url.host().isEmpty() && (url.scheme() == u"http" || url.scheme() == u"https");
}

bool sameOrigin(const QUrl& url, const QUrl& home)
{
    const auto defaultPort = [](const QUrl& address) {
        return address.scheme() == u"https" ? 443 : address.scheme() == u"http" ? 80 : -1;
    };
    return url.isValid() && home.isValid() && url.scheme() == home.scheme() && url.host() == home.host()
        && url.port(defaultPort(url)) == home.port(defaultPort(home));
}

bool UserClicks::spend(Clock::time_point at)
{
    const bool follows = m_unspent && at >= *m_unspent && at - *m_unspent <= lifetime;
    m_unspent.reset();
    return follows;
}

PageDialogs::Answer PageDialogs::ask(bool windowShown, bool dialogUp)
{
    if (windowShown && !dialogUp && m_shown < shownPerDocument) {
        ++m_shown;
        return Answer::show;
    }
    return m_refused++ > 0 && !windowShown ? Answer::endPage : Answer::refuse;
}

void PageDialogs::newDocument()
{
    m_shown = 0;
    m_refused = 0;
}

} // namespace WebWindowRules
