#pragma once

#include "web/WebWindowRules.h"

#include <QPointer>
#include <QUrl>
#include <QWebEnginePage>

#include <functional>

class QDialog;
class QWidget;

// The page of a chat window, held to its own site and its own window. Its
// scripts open no windows; a page of another site, or a new window, goes to
// the default browser instead, and only a web address, one for each of the
// user's clicks. Its dialogs block only its window; after a document's
// second dialog the rest go unseen. Main thread only.
class ChatPage final : public QWebEnginePage {
    Q_OBJECT

public:
    // window holds the page and content its controls, which a dialog blocks.
    ChatPage(QWebEngineProfile& profile, QWidget& window, QWidget& content,
             std::function<void(const QUrl&)> openElsewhere);

    // The site whose pages open in the window: the one of the address the
    // window was last asked to show.
    void setHome(const QUrl& address) { m_home = address; }
    // The user clicked in the page (or pressed a key that follows a link).
    void userClicked();
    // The window is closing: a dialog on show goes, unanswered. A page that
    // keeps asking for dialogs with its window closed is ended; it loads
    // again when the window is shown.
    void windowClosing();

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    void javaScriptAlert(const QUrl& securityOrigin, const QString& message) override;
    bool javaScriptConfirm(const QUrl& securityOrigin, const QString& message) override;
    bool javaScriptPrompt(const QUrl& securityOrigin, const QString& message, const QString& defaultValue,
                          QString* result) override;

private:
    // Hands url to the default browser when it may leave and follows a click.
    void leave(const QUrl& url);
    // Whether a dialog asked for now is shown.
    bool dialogAllowed();
    // Shows dialog over the window until it is answered or the window closes.
    void run(QDialog& dialog);
    void end();

    QWidget& m_window;
    QWidget& m_content;
    std::function<void(const QUrl&)> m_openElsewhere;
    QUrl m_home;
    WebWindowRules::UserClicks m_clicks;
    WebWindowRules::PageDialogs m_dialogs;
    QPointer<QDialog> m_dialog;
    bool m_ending = false;
};
