#include "platform/desktop/ChromeDevTools.h"

#include "platform/Workspace.h"
#include "platform/desktop/KnownApplications.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QStandardPaths>

#include <memory>

namespace {

constexpr int answerTimeoutMs = 2000;
const QString chromePath = QStringLiteral("/Applications/Google Chrome.app");

std::optional<quint16> portNumber(const QString& text)
{
    bool valid = false;
    const uint port = text.trimmed().toUInt(&valid);
    if (!valid || port == 0 || port > 65535)
        return std::nullopt;
    return quint16(port);
}

// The file's first line is the port, the second the browser's own target.
std::optional<quint16> activePortIn(const QString& profileFolder)
{
    QFile file(QDir(profileFolder).filePath(QStringLiteral("DevToolsActivePort")));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return portNumber(QString::fromUtf8(file.readLine(64)));
}

QByteArray commandLineOf(qint32 processIdentifier)
{
    QFile file(QStringLiteral("/proc/%1/cmdline").arg(processIdentifier));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QUrl endpoint(quint16 port, const QString& path)
{
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(QStringLiteral("127.0.0.1"));
    url.setPort(port);
    url.setPath(path, QUrl::StrictMode);
    return url;
}

QNetworkRequest requestFor(const QUrl& url)
{
    QNetworkRequest request(url);
    request.setTransferTimeout(answerTimeoutMs);
    return request;
}

// The IDs of the page targets whose address passes the test; none when the
// answer is not a target list.
std::optional<QStringList> pagesToClose(const QByteArray& body, const BrowserTabs::AddressTest& closes)
{
    const QJsonDocument document = QJsonDocument::fromJson(body);
    if (!document.isArray())
        return std::nullopt;
    QStringList ids;
    for (const QJsonValue& target : document.array()) {
        const QJsonObject object = target.toObject();
        const QString id = object.value(QStringLiteral("id")).toString();
        if (object.value(QStringLiteral("type")).toString() == QLatin1String("page") && !id.isEmpty()
            && closes(object.value(QStringLiteral("url")).toString()))
            ids.append(id);
    }
    return ids;
}

} // namespace

QStringList ChromeDevTools::switchValues(const QByteArray& commandLine, QLatin1String name)
{
    QByteArray line = commandLine;
    while (line.endsWith('\0'))
        line.chop(1);
    const QByteArray prefix = "--" + QByteArray(name.data(), name.size()) + '=';
    QStringList values;
    // The browser takes the last of a repeated switch.
    if (line.contains('\0')) {
        const QList<QByteArray> arguments = line.split('\0');
        for (auto argument = arguments.rbegin(); argument != arguments.rend(); ++argument) {
            if (argument->startsWith(prefix) && argument->size() > prefix.size())
                values.append(QString::fromLocal8Bit(argument->mid(prefix.size())));
        }
        return values;
    }
    for (qsizetype at = line.lastIndexOf(prefix); at >= 0; at = at > 0 ? line.lastIndexOf(prefix, at - 1) : -1) {
        if (at > 0 && line.at(at - 1) != ' ')
            continue;
        const qsizetype start = at + prefix.size();
        qsizetype end = line.indexOf(" --", start);
        if (end < 0)
            end = line.size();
        for (qsizetype cut = end; cut > start; cut = line.lastIndexOf(' ', cut - 1))
            values.append(QString::fromLocal8Bit(line.mid(start, cut - start)));
    }
    return values;
}

ChromeDevTools::ChromeDevTools(const Workspace& workspace, QStringList profileFolders)
    : m_workspace(workspace)
    , m_profileFolders(std::move(profileFolders))
{
    // The endpoint is on this machine; no proxy stands between.
    m_network.setProxy(QNetworkProxy::NoProxy);
}

QStringList ChromeDevTools::standardProfileFolders()
{
    const QDir config(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    QStringList folders;
    for (const char* name : {"google-chrome", "google-chrome-beta", "google-chrome-unstable", "chromium"})
        folders.append(config.filePath(QString::fromLatin1(name)));
    return folders;
}

QList<quint16> ChromeDevTools::candidatePorts() const
{
    QList<std::optional<quint16>> found;
    if (const auto known = KnownApplications::withPath(chromePath)) {
        for (const RunningApplication& browser : m_workspace.runningApplications()) {
            if (browser.bundleIdentifier != known->identifier)
                continue;
            const QByteArray commandLine = commandLineOf(browser.processIdentifier);
            for (const QString& port : switchValues(commandLine, QLatin1String("remote-debugging-port")))
                found.append(portNumber(port));
            for (const QString& profile : switchValues(commandLine, QLatin1String("user-data-dir")))
                found.append(activePortIn(profile));
        }
    }
    for (const QString& folder : m_profileFolders)
        found.append(activePortIn(folder));

    QList<quint16> ports;
    for (const auto& port : found) {
        if (port && !ports.contains(*port))
            ports.append(*port);
    }
    return ports;
}

void ChromeDevTools::closeTabs(AddressTest closes, std::function<void(bool answered)> completion)
{
    closeTabsAt(candidatePorts(), std::move(closes), std::move(completion));
}

void ChromeDevTools::closeTabsAt(QList<quint16> ports, AddressTest closes, std::function<void(bool answered)> completion)
{
    if (ports.isEmpty()) {
        // Told later, as an answer would be.
        QMetaObject::invokeMethod(&m_network, [completion = std::move(completion)] { completion(false); }, Qt::QueuedConnection);
        return;
    }
    const quint16 port = ports.takeFirst();
    QNetworkReply* reply = m_network.get(requestFor(endpoint(port, QStringLiteral("/json/list"))));
    QObject::connect(reply, &QNetworkReply::finished, &m_network,
                     [this, reply, port, ports = std::move(ports), closes = std::move(closes), completion = std::move(completion)]() mutable {
                         reply->deleteLater();
                         const bool ok = reply->error() == QNetworkReply::NoError
                             && reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 200;
                         const std::optional<QStringList> ids = ok ? pagesToClose(reply->readAll(), closes) : std::nullopt;
                         if (!ids) {
                             closeTabsAt(std::move(ports), std::move(closes), std::move(completion));
                             return;
                         }
                         closeListedTabs(port, *ids, std::move(completion));
                     });
}

void ChromeDevTools::closeListedTabs(quint16 port, const QStringList& targetIds, std::function<void(bool answered)> completion)
{
    if (targetIds.isEmpty()) {
        completion(true);
        return;
    }
    // Done once every close has had its answer, whatever it was.
    auto remaining = std::make_shared<qsizetype>(targetIds.size());
    auto done = std::make_shared<std::function<void(bool)>>(std::move(completion));
    for (const QString& id : targetIds) {
        const QString path = QStringLiteral("/json/close/") + QString::fromLatin1(QUrl::toPercentEncoding(id));
        QNetworkReply* reply = m_network.get(requestFor(endpoint(port, path)));
        QObject::connect(reply, &QNetworkReply::finished, &m_network, [reply, remaining, done] {
            reply->deleteLater();
            if (--*remaining == 0)
                (*done)(true);
        });
    }
}
