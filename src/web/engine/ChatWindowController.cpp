#include "ChatWindowController.h"

#include "ChatPage.h"
#include "web/WebWindowRules.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <QWidget>

namespace {

constexpr QSize minimumSize(420, 560);

WebWindowRules::Capture captureOf(QWebEnginePage::Feature feature)
{
    using Capture = WebWindowRules::Capture;
    switch (feature) {
    case QWebEnginePage::MediaAudioCapture: return Capture::microphone;
    case QWebEnginePage::MediaVideoCapture: return Capture::camera;
    case QWebEnginePage::MediaAudioVideoCapture: return Capture::cameraAndMicrophone;
    case QWebEnginePage::DesktopVideoCapture: return Capture::screen;
    case QWebEnginePage::DesktopAudioVideoCapture: return Capture::screenWithAudio;
    default: return Capture::other;
    }
}

// Pauses every audio and video element of the document and of the frames
// inside it that the script may reach. It runs in a world of its own, out
// of the page's scripts' reach.
const QString pauseAllMedia = QStringLiteral(R"(
(function pause(doc) {
    for (const media of doc.querySelectorAll('audio, video'))
        media.pause();
    for (const frame of doc.querySelectorAll('iframe, frame')) {
        try {
            if (frame.contentDocument)
                pause(frame.contentDocument);
        } catch (e) {
        }
    }
})(document);
)");

// A press of the mouse, or of a key that follows a link or presses a button.
bool isUserActivation(const QEvent& event)
{
    if (event.type() == QEvent::MouseButtonPress)
        return true;
    if (event.type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent&>(event).key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
}

QToolButton* navigationButton(QAction* action, const QIcon& icon, const QString& name)
{
    action->setIcon(icon);
    action->setToolTip(name);
    auto* button = new QToolButton;
    button->setDefaultAction(action);
    button->setAutoRaise(true);
    button->setAccessibleName(name);
    return button;
}

} // namespace

ChatWindowController::ChatWindowController(QWebEngineProfile& profile, const WebWindowSpec& spec)
    : m_window(std::make_unique<QWidget>(nullptr, Qt::Window | Qt::WindowStaysOnTopHint)),
      m_content(new QWidget(m_window.get())), m_webView(new QWebEngineView),
      m_page(new ChatPage(profile, *m_window, *m_content, spec.openElsewhere))
{
    m_page->setParent(m_webView);
    m_webView->setPage(m_page);
    // The page's input goes to a widget the view makes, and makes anew.
    m_webView->installEventFilter(this);
    connect(m_page, &QWebEnginePage::featurePermissionRequested, this, &ChatWindowController::decidePermission);
    // A page that could not be loaded (the local server was not up) or
    // whose renderer died shows nothing worth keeping: the next show()
    // loads it anew.
    connect(m_page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo& loading) {
        if (loading.status() == QWebEngineLoadingInfo::LoadFailedStatus && loading.url() == m_currentURL)
            m_currentURL.clear();
    });
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status) {
                if (status != QWebEnginePage::NormalTerminationStatus)
                    m_currentURL.clear();
            });

    // The buttons follow the page's own Back and Forward actions, which are
    // enabled exactly while the history can go that way.
    auto* bar = new QHBoxLayout;
    bar->setSpacing(2);
    bar->setContentsMargins(8, 0, 4, 0);
    bar->addWidget(navigationButton(m_page->action(QWebEnginePage::Back), spec.backIcon, QStringLiteral("Back")));
    bar->addWidget(
        navigationButton(m_page->action(QWebEnginePage::Forward), spec.forwardIcon, QStringLiteral("Forward")));
    bar->addStretch();

    auto* column = new QVBoxLayout(m_content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addLayout(bar);
    column->addWidget(m_webView, 1);
    auto* whole = new QVBoxLayout(m_window.get());
    whole->setContentsMargins(0, 0, 0, 0);
    whole->addWidget(m_content);

    m_window->setWindowTitle(spec.title);
    m_window->setMinimumSize(minimumSize);
    QRect frame(QPoint(), spec.size.expandedTo(minimumSize));
    const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        frame.moveCenter(screen->availableGeometry().center());
    m_window->setGeometry(frame);
    m_window->installEventFilter(this);
}

ChatWindowController::~ChatWindowController()
{
    // The window's last events must not reach a controller half torn down.
    m_window->removeEventFilter(this);
    m_webView->removeEventFilter(this);
    for (QObject* input : m_webView->children())
        input->removeEventFilter(this);
}

void ChatWindowController::show(const QUrl& url)
{
    if (m_currentURL != url || m_webView->url().isEmpty()) {
        m_page->setHome(url);
        m_webView->load(url);
        m_currentURL = url;
    }
    m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

bool ChatWindowController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window.get() && event->type() == QEvent::Close) {
        m_page->windowClosing();
        pauseMedia();
    } else if (watched == m_webView && event->type() == QEvent::ChildAdded) {
        static_cast<QChildEvent*>(event)->child()->installEventFilter(this);
    } else if (watched->parent() == m_webView && isUserActivation(*event)) {
        m_page->userClicked();
    }
    return false;
}

void ChatWindowController::decidePermission(const QUrl& origin, QWebEnginePage::Feature feature)
{
    const bool granted = WebWindowRules::grants(origin, captureOf(feature));
    m_page->setFeaturePermission(
        origin, feature, granted ? QWebEnginePage::PermissionGrantedByUser : QWebEnginePage::PermissionDeniedByUser);
}

void ChatWindowController::pauseMedia() { m_page->runJavaScript(pauseAllMedia, QWebEngineScript::ApplicationWorld); }
