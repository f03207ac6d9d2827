#include "ChatPage.h"

#include <QEventLoop>
#include <QInputDialog>
#include <QMessageBox>
#include <QTimer>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineSettings>
#include <QWidget>

namespace {

using Clock = WebWindowRules::UserClicks::Clock;

// Dialogs wait in event loops of their own, and nested loops end innermost
// first: with two up, answering the outer one would leave its page waiting
// on the other's. So the whole program shows one at a time.
bool dialogUp = false;

QString titleFor(const char* kind, const QUrl& origin)
{
    return QStringLiteral("Javascript %1 - %2").arg(QLatin1String(kind), origin.toString());
}

} // namespace

ChatPage::ChatPage(QWebEngineProfile& profile, QWidget& window, QWidget& content,
                   std::function<void(const QUrl&)> openElsewhere)
    : QWebEnginePage(&profile), m_window(window), m_content(content), m_openElsewhere(std::move(openElsewhere))
{
    // Without a click, the engine refuses a script's new window itself; links
    // of schemes it does not know never leave for the desktop.
    settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings()->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
    // Left unanswered, the request makes no view or window here.
    connect(this, &QWebEnginePage::newWindowRequested, this, [this](QWebEngineNewWindowRequest& request) {
        if (request.isUserInitiated())
            leave(request.requestedUrl());
    });
    connect(this, &QWebEnginePage::loadStarted, this, [this] { m_dialogs.newDocument(); });
}

void ChatPage::userClicked() { m_clicks.clicked(Clock::now()); }

void ChatPage::windowClosing()
{
    if (m_dialog)
        m_dialog->reject();
}

bool ChatPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    if (!isMainFrame || type == NavigationTypeBackForward || WebWindowRules::sameOrigin(url, m_home))
        return true;
    leave(url);
    return false;
}

void ChatPage::leave(const QUrl& url)
{
    if (WebWindowRules::mayLeave(url) && m_clicks.spend(Clock::now()) && m_openElsewhere)
        m_openElsewhere(url);
}

void ChatPage::javaScriptAlert(const QUrl& securityOrigin, const QString& message)
{
    if (!dialogAllowed())
        return;
    QMessageBox box(QMessageBox::Information, titleFor("Alert", securityOrigin), message, QMessageBox::Ok, &m_window);
    box.setTextFormat(Qt::PlainText);
    run(box);
}

bool ChatPage::javaScriptConfirm(const QUrl& securityOrigin, const QString& message)
{
    if (!dialogAllowed())
        return false;
    QMessageBox box(QMessageBox::Question, titleFor("Confirm", securityOrigin), message,
                    QMessageBox::Ok | QMessageBox::Cancel, &m_window);
    box.setTextFormat(Qt::PlainText);
    run(box);
    return box.clickedButton() == box.button(QMessageBox::Ok);
}

bool ChatPage::javaScriptPrompt(const QUrl& securityOrigin, const QString& message, const QString& defaultValue,
                                QString* result)
{
    if (!dialogAllowed())
        return false;
    QInputDialog input(&m_window);
    input.setWindowTitle(titleFor("Prompt", securityOrigin));
    input.setLabelText(message);
    input.setTextValue(defaultValue);
    run(input);
    if (input.result() != QDialog::Accepted)
        return false;
    *result = input.textValue();
    return true;
}

bool ChatPage::dialogAllowed()
{
    using Answer = WebWindowRules::PageDialogs::Answer;
    const Answer answer = m_dialogs.ask(m_window.isVisible() && !m_window.isMinimized(), dialogUp);
    if (answer == Answer::endPage && !std::exchange(m_ending, true)) {
        // Not while the engine waits for this answer.
        QTimer::singleShot(0, this, &ChatPage::end);
    }
    return answer == Answer::show;
}

void ChatPage::run(QDialog& dialog)
{
    // Not modal: a window that a modal dialog blocks ignores its close button.
    dialog.setWindowModality(Qt::NonModal);
    m_content.setEnabled(false);
    m_dialog = &dialog;
    dialogUp = true;
    QEventLoop waiting;
    connect(&dialog, &QDialog::finished, &waiting, &QEventLoop::quit);
    dialog.show();
    waiting.exec();
    dialogUp = false;
    m_content.setEnabled(true);
}

void ChatPage::end()
{
    m_ending = false;
    // A hidden page may be discarded: its renderer ends, and with it whatever
    // the page was running. Its history stays; showing it loads it anew.
    if (!isVisible())
        setLifecycleState(LifecycleState::Discarded);
}
