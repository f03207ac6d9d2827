#pragma once

#include <QUrl>

class QScreen;
class QWidget;

// One of the companion's floating web windows: a titled window around one
// web page, with Back and Forward buttons. Closing it only hides it and
// pauses the page's media; the page and its history stay for the next show.
// Main thread only.
class WebWindow {
public:
    virtual ~WebWindow() = default;

    // Loads url unless it is the address last shown here and a page is on
    // show (so the user's navigation inside the window survives showing the
    // same page again), then brings the window to the front and activates it.
    virtual void show(const QUrl& url) = 0;

    // Sizes the window to coverage (0.4 to 0.9) of the screen's available
    // area, centred on it, then show(url); without a screen only show(url).
    void show(const QUrl& url, const QScreen* screen, double coverage);

    // The address show() last loaded; empty before the first.
    virtual QUrl currentURL() const = 0;

    virtual QWidget& window() = 0;
};
