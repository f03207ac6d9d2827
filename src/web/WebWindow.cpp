#include "WebWindow.h"

#include "WebWindowRules.h"

#include <QScreen>
#include <QWidget>

void WebWindow::show(const QUrl& url, const QScreen* screen, double coverage)
{
    if (screen)
        window().setGeometry(WebWindowRules::coveringFrame(screen->availableGeometry(), coverage));
    show(url);
}
