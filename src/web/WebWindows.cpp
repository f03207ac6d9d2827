#include "WebWindows.h"

#include "WebEngineLoader.h"
#include "WebEngineModule.h"
#include "WebPages.h"
#include "model/CompanionModel.h"
#include "model/MenuSettling.h"
#include "platform/Applications.h"
#include "platform/WindowTitles.h"
#include "services/CompanionServices.h"
#include "ui/Symbols.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPixmap>

namespace {

constexpr QSize chatSize(480, 760);
constexpr QSize funnelSize(1180, 820);
constexpr int navigationIconSize = 16;

// A navigation button's picture, drawn from the symbol table in the
// desktop's text colour; an empty icon when the symbol cannot be drawn.
// The views load the symbol font when the companion starts.
QIcon symbolIcon(QStringView name)
{
    const QPainterPath glyph = Symbols::path(name, navigationIconSize);
    if (glyph.isEmpty())
        return {};
    QIcon icon;
    for (const qreal ratio : {1.0, 2.0}) {
        QPixmap pixmap(QSize(navigationIconSize, navigationIconSize) * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(navigationIconSize / 2.0, navigationIconSize / 2.0);
        painter.fillPath(glyph, QGuiApplication::palette().color(QPalette::ButtonText));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

WebWindows::WebWindows(Environment environment) : m_environment(std::move(environment))
{
    if (m_environment.engineFolders.isEmpty())
        m_environment.engineFolders = WebEngineLoader::moduleFolders();
    // The profile writes its cookies to disk as it ends, which needs every
    // page gone first; the program leaves without running destructors.
    m_quitting = QObject::connect(qApp, &QCoreApplication::aboutToQuit, [this] { closeForQuit(); });
}

WebWindows::~WebWindows() { QObject::disconnect(m_quitting); }

void WebWindows::fillModelHooks()
{
    CompanionModel& model = m_environment.model;
    model.openChat = m_lifetime.guard([this] { openChatWork(); });
    model.openTalk = m_lifetime.guard([this] { openTalkWork(); });
    model.openZorivirReport = m_lifetime.guard([this] { openZorivirFunnel(std::nullopt); });
    model.openZorivirPlan = m_lifetime.guard([this] { openZorivirFunnel(QStringLiteral("solutions")); });
}

void WebWindows::openChatWork()
{
    afterMenuSettles([page = WebPages::chat()](WebWindows& windows) { windows.showInChatWindow(page); });
}

void WebWindows::openTalkWork()
{
    afterMenuSettles([page = WebPages::talk()](WebWindows& windows) { windows.showInChatWindow(page); });
}

void WebWindows::openZorivirFunnel(const std::optional<QString>& stage)
{
    afterMenuSettles([page = WebPages::funnel(stage)](WebWindows& windows) { windows.showInZorivirWindow(page); });
}

void WebWindows::openCodexAction(const QString& prompt) { showInChatWindow(WebPages::codexAction(prompt)); }

void WebWindows::openChatWithContext()
{
    m_environment.services.openChatWithContext(m_lifetime.guard([this](const QUrl& page) { showInChatWindow(page); }));
}

void WebWindows::afterMenuSettles(std::function<void(WebWindows&)> work)
{
    openAfterMenuSettles(m_environment.model, m_environment.scheduler,
                         m_lifetime.guard([this, work = std::move(work)] { work(*this); }));
}

void WebWindows::showInChatWindow(const QUrl& page) { showIn(m_chatWindow, chatTitle, chatSize, page); }

void WebWindows::showInZorivirWindow(const QUrl& page) { showIn(m_zorivirWindow, funnelTitle, funnelSize, page); }

void WebWindows::showIn(std::unique_ptr<WebWindow>& window, const QString& title, QSize size, const QUrl& page)
{
    const QUrl address = m_environment.addresses.resolve(page);
    if (!window) {
        WebEngineModule* module = engine();
        if (!module) {
            // Without the engine the page still opens, in the browser.
            m_environment.applications.openURL(address);
            return;
        }
        Applications& applications = m_environment.applications;
        window = module->makeWindow({
            .title = title,
            .size = size,
            .backIcon = symbolIcon(u"chevron.left"),
            .forwardIcon = symbolIcon(u"chevron.right"),
            .openElsewhere = [&applications](const QUrl& url) { applications.openURL(url); },
        });
    }
    window->show(address);
    showExactTitle(window->window(), title);
}

WebEngineModule* WebWindows::engine()
{
    WebEngineModule* module = WebEngineLoader::load(m_environment.engineFolders);
    if (module)
        module->useProfile(m_environment.edition.rawValue());
    return module;
}

void WebWindows::closeForQuit()
{
    if (!m_chatWindow && !m_zorivirWindow)
        return;
    m_chatWindow.reset();
    m_zorivirWindow.reset();
    if (WebEngineModule* module = WebEngineLoader::load(m_environment.engineFolders))
        module->shutDown();
}
