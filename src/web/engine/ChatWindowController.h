#pragma once

#include "web/WebEngineModule.h"
#include "web/WebWindow.h"

#include <QObject>
#include <QWebEnginePage>

#include <memory>

class ChatPage;
class QWebEngineProfile;
class QWebEngineView;
class QWidget;

// A floating window around one web view: Back and Forward at its top
// leading edge, kept above other windows. Pages of the local server may use
// the microphone without asking; every other capture is refused. The page
// stays on its site and in its window (see ChatPage). Closing the window
// hides it and pauses the page's media. Main thread only.
class ChatWindowController final : public QObject, public WebWindow {
    Q_OBJECT

public:
    ChatWindowController(QWebEngineProfile& profile, const WebWindowSpec& spec);
    ~ChatWindowController() override;

    using WebWindow::show;
    void show(const QUrl& url) override;
    QUrl currentURL() const override { return m_currentURL; }
    QWidget& window() override { return *m_window; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void decidePermission(const QUrl& origin, QWebEnginePage::Feature feature);
    void pauseMedia();

    std::unique_ptr<QWidget> m_window;
    QWidget* m_content;        // the window's child: the buttons and the view
    QWebEngineView* m_webView; // the content's child
    ChatPage* m_page;          // the view's child
    QUrl m_currentURL;
};
