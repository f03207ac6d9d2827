#include "platform/desktop/ChromeDevTools.h"

#include "model/LogCategories.h"
#include "platform/Workspace.h"
#include "platform/desktop/KnownApplications.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QSet>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <utility>

namespace {

// Long enough for a browser to answer; a silent port gives way to the next.
constexpr int answerTimeoutMs = 2000;
constexpr qint64 readAhead = 64 << 10;
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

} // namespace

// One press of the closer: each port in turn gives its target list, then a
// close request for each matching page, all within one deadline. Every port
// is asked, since a browser that lists none of the pages says nothing of
// the others. Answers are read as they arrive, so none can hold the event
// loop.
class ChromeDevTools::Closing final : public QObject {
public:
    Closing(QNetworkAccessManager& network, QList<quint16> ports, AddressTest closes,
            std::function<void(qsizetype)> completion)
        : QObject(&network), m_network(network), m_ports(std::move(ports)), m_closes(std::move(closes)),
          m_completion(std::move(completion))
    {
        m_deadline.setSingleShot(true);
        connect(&m_deadline, &QTimer::timeout, this, &Closing::finish);
        m_deadline.start(limits.deadline);
        // Told later, as an answer would be, even when there is no port to ask.
        QMetaObject::invokeMethod(this, &Closing::listNext, Qt::QueuedConnection);
    }

private:
    struct Answer {
        int status;
        QByteArray body;
    };
    using AnswerHandler = std::function<void(std::optional<Answer>)>;

    void listNext()
    {
        if (m_ports.isEmpty() || m_closesAsked >= limits.closes) {
            finish();
            return;
        }
        const quint16 port = m_ports.takeFirst();
        get(port, QStringLiteral("/json/list"), limits.listBytes, [this, port](std::optional<Answer> answer) {
            const std::optional<QStringList> ids = answer
                ? pagesToClose(answer->status, answer->body, m_closes, limits.closes - m_closesAsked)
                : std::nullopt;
            if (!ids)
                qCDebug(lcActions) << "Chrome's endpoint on port" << port << "did not list its tabs";
            closePages(port, ids.value_or(QStringList()));
        });
    }

    // Then the next port, once every close has had its answer.
    void closePages(quint16 port, const QStringList& ids)
    {
        if (ids.isEmpty()) {
            listNext();
            return;
        }
        m_closesAsked += ids.size();
        m_closesLeft = ids.size();
        for (const QString& id : ids) {
            const QString path = QStringLiteral("/json/close/") + QString::fromLatin1(QUrl::toPercentEncoding(id));
            get(port, path, limits.closeAnswerBytes, [this](const std::optional<Answer>& answer) {
                // Any other answer means the page was not there to close.
                if (answer && answer->status == 200)
                    ++m_closed;
                if (--m_closesLeft == 0)
                    listNext();
            });
        }
    }

    // Hands on the answer, or none when the request failed or the answer
    // outgrew `limit`.
    void get(quint16 port, const QString& path, qint64 limit, AnswerHandler handle)
    {
        QNetworkRequest request(endpoint(port, path));
        request.setTransferTimeout(answerTimeoutMs);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        QNetworkReply* reply = m_network.get(request);
        // The network thread reads no further ahead than this, so the answer
        // reaches the limit below while it arrives, not once it has ended.
        reply->setReadBufferSize(std::min(limit + 1, readAhead));
        m_inFlight.insert(reply);
        auto body = std::make_shared<QByteArray>();
        // Cut off as soon as the answer is longer than any the browser gives.
        const auto take = [reply, body, limit] {
            if (body->size() + reply->bytesAvailable() > limit) {
                reply->abort();
                return false;
            }
            body->append(reply->readAll());
            return true;
        };
        connect(reply, &QNetworkReply::readyRead, this, take);
        connect(reply, &QNetworkReply::finished, this, [this, reply, body, take, handle = std::move(handle)] {
            m_inFlight.remove(reply);
            reply->deleteLater();
            if (reply->error() != QNetworkReply::NoError || !take()) {
                handle(std::nullopt);
                return;
            }
            handle(Answer{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), *body});
        });
    }

    void finish()
    {
        if (!m_completion)
            return;
        m_deadline.stop();
        for (QNetworkReply* reply : std::exchange(m_inFlight, {})) {
            disconnect(reply, nullptr, this, nullptr);
            reply->abort();
            reply->deleteLater();
        }
        if (m_closed == 0)
            qCDebug(lcActions) << "no remote-debugging endpoint of Chrome closed a tab";
        deleteLater();
        std::exchange(m_completion, {})(m_closed);
    }

    QNetworkAccessManager& m_network;
    QList<quint16> m_ports;
    AddressTest m_closes;
    std::function<void(qsizetype)> m_completion;
    QTimer m_deadline;
    QSet<QNetworkReply*> m_inFlight;
    // Close requests sent, and those the browsers confirmed.
    qsizetype m_closesAsked = 0;
    qsizetype m_closed = 0;
    qsizetype m_closesLeft = 0;
};

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

std::optional<QStringList> ChromeDevTools::pagesToClose(int status, const QByteArray& body, const AddressTest& closes,
                                                        qsizetype limit)
{
    if (status != 200)
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(body);
    if (!document.isArray())
        return std::nullopt;
    QStringList ids;
    for (const QJsonValue& target : document.array()) {
        if (ids.size() >= limit)
            break;
        const QJsonObject object = target.toObject();
        const QString id = object.value(QStringLiteral("id")).toString();
        if (object.value(QStringLiteral("type")).toString() == QLatin1String("page") && !id.isEmpty()
            && closes(object.value(QStringLiteral("url")).toString()))
            ids.append(id);
    }
    return ids;
}

ChromeDevTools::ChromeDevTools(const Workspace& workspace, QStringList profileFolders)
    : m_workspace(workspace), m_profileFolders(std::move(profileFolders))
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

void ChromeDevTools::closeTabs(AddressTest closes, std::function<void(qsizetype closed)> completion)
{
    new Closing(m_network, candidatePorts(), std::move(closes), std::move(completion));
}
