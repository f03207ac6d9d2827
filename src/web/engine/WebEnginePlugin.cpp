#include "WebEnginePlugin.h"

#include "ChatWindowController.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QNetworkCookie>
#include <QOpenGLContext>
#include <QQuickWindow>
#include <QThread>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

namespace {

constexpr int cookieWriteWaitMs = 1000;

WebEnginePlugin* instance = nullptr;

// When the profile's cookie database was last written; none before it exists.
QDateTime cookiesWritten(const QString& database)
{
    const QFileInfo file(database);
    return file.exists() ? file.lastModified().toUTC() : QDateTime();
}

// Whether a write of the database since `before` has finished: SQLite empties
// its rollback journal as the last step of a transaction.
bool cookiesCommittedSince(const QString& database, const QDateTime& before)
{
    return cookiesWritten(database) != before && QFileInfo(database + QStringLiteral("-journal")).size() == 0;
}

} // namespace

WebEnginePlugin::WebEnginePlugin()
{
    instance = this;
    // Without OpenGL (an X server without GLX, or Qt told to use none) the
    // pages and the views that show them are drawn in software.
    const QOpenGLContext* shared = QOpenGLContext::globalShareContext();
    if (!shared || !shared->isValid())
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}

WebEnginePlugin::~WebEnginePlugin() { instance = nullptr; }

void WebEnginePlugin::useProfile(const QString& storageName)
{
    if (m_storageName.isEmpty())
        m_storageName = storageName;
}

std::unique_ptr<WebWindow> WebEnginePlugin::makeWindow(const WebWindowSpec& spec)
{
    return std::make_unique<ChatWindowController>(profile(), spec);
}

QWebEngineProfile& WebEnginePlugin::profile()
{
    if (!m_profile) {
        // A named profile keeps cookies and storage on disk, under the
        // user's data folder (…/lumivo-companion/QtWebEngine/<name>).
        m_profile =
            std::make_unique<QWebEngineProfile>(m_storageName.isEmpty() ? QStringLiteral("default") : m_storageName);
        const auto noteChange = [this](const QNetworkCookie& cookie) {
            if (!cookie.isSessionCookie())
                m_lastLastingCookieChange = QDateTime::currentDateTimeUtc();
        };
        connect(m_profile->cookieStore(), &QWebEngineCookieStore::cookieAdded, this, noteChange);
        connect(m_profile->cookieStore(), &QWebEngineCookieStore::cookieRemoved, this, noteChange);
        // Registered after the engine's own clean-up, so it runs before it.
        qAddPostRoutine(endProfileBeforeEngine);
    }
    return *m_profile;
}

void WebEnginePlugin::shutDown()
{
    if (!m_profile)
        return;
    // The engine writes cookies to its database in batches, every half
    // minute; ending the profile writes what is pending, on a thread of the
    // engine's. The program leaves without waiting for the engine, so wait
    // here, briefly, when the database has not seen the latest change.
    const QString database = QDir(m_profile->persistentStoragePath()).filePath(QStringLiteral("Cookies"));
    const QDateTime before = cookiesWritten(database);
    const bool pending =
        m_lastLastingCookieChange.isValid() && !(before.isValid() && before >= m_lastLastingCookieChange);
    m_profile.reset();
    QElapsedTimer waited;
    waited.start();
    while (pending && !cookiesCommittedSince(database, before) && !waited.hasExpired(cookieWriteWaitMs)) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 5);
        QThread::msleep(5);
    }
}

// The profile has to end before the engine does, as the application object
// goes; the windows and their pages are gone by then.
void WebEnginePlugin::endProfileBeforeEngine()
{
    if (instance)
        instance->m_profile.reset();
}
