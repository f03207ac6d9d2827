#include "platform/desktop/ChromeDevTools.h"

#include "model/LogCategories.h"
#include "net/LoopbackHttpRequest.h"
#include "platform/Workspace.h"
#include "platform/desktop/KnownApplications.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QStandardPaths>
#include <QTimer>

#include <chrono>
#include <utility>

namespace {

// Long enough for a browser to answer a request; a silent port is given up
// after this rather than at the press's deadline.
constexpr std::chrono::milliseconds answerTimeout = std::chrono::seconds(2);
// Close requests in flight to one browser.
constexpr int closesAtOnce = 6;
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
// Only a regular file is read: opening a FIFO would wait for a writer.
std::optional<quint16> activePortIn(const QString& profileFolder)
{
    QFile file(QDir(profileFolder).filePath(QStringLiteral("DevToolsActivePort")));
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly))
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

// One press of the closer: every port at once gives its target list, then a
// close request for each matching page, all within one deadline. A silent
// port holds up none of the others. Answers are read as they arrive, within
// their caps, so none can hold the event loop.
class ChromeDevTools::Closing final : public QObject {
public:
    Closing(QObject* owner, const QList<quint16>& ports, AddressTest closes, Completion completion)
        : QObject(owner), m_closes(std::move(closes)), m_completion(std::move(completion))
    {
        m_deadline.setSingleShot(true);
        connect(&m_deadline, &QTimer::timeout, this, &Closing::finish);
        m_deadline.start(limits.deadline);
        for (const quint16 port : ports)
            list(port);
        // Told later, as an answer would be, even when there is no port to ask.
        if (ports.isEmpty())
            QMetaObject::invokeMethod(this, &Closing::finish, Qt::QueuedConnection);
    }

private:
    using AnswerHandler = std::function<void(const HttpAnswer&)>;

    void list(quint16 port)
    {
        get(port, QStringLiteral("/json/list"), limits.listBytes, [this, port](const HttpAnswer& answer) {
            // The lists that arrive first use up the closes one press allows.
            const std::optional<QStringList> ids = answer.status
                ? pagesToClose(*answer.status, answer.body, m_closes, limits.closes - m_closesAsked)
                : std::nullopt;
            if (!ids) {
                qCDebug(lcActions) << "Chrome's endpoint on port" << port << "did not list its tabs";
                return;
            }
            m_listed = true;
            m_closesAsked += ids->size();
            m_unclosed[port] += *ids;
            for (int started = 0; started < closesAtOnce; ++started)
                closeNext(port);
        });
    }

    // Each close has a connection of its own: a browser is sent a few at a
    // time, as HTTP stacks keep a few connections to one server, so that
    // hundreds of tabs take neither hundreds of sockets nor its backlog.
    void closeNext(quint16 port)
    {
        QStringList& unclosed = m_unclosed[port];
        if (unclosed.isEmpty())
            return;
        const QString id = unclosed.takeFirst();
        const QString path = QStringLiteral("/json/close/") + QString::fromLatin1(QUrl::toPercentEncoding(id));
        get(port, path, limits.closeAnswerBytes, [this, port](const HttpAnswer& answer) {
            // Any other answer means the page was not there to close.
            if (answer.isOK())
                ++m_closed;
            closeNext(port);
        });
    }

    // handle is told the answer, which has no status when the request
    // failed, outgrew `limit` or went unanswered too long.
    void get(quint16 port, const QString& path, qint64 limit, AnswerHandler handle)
    {
        auto* request = new LoopbackHttpRequest(endpoint(port, path), std::nullopt, limit, this);
        QTimer::singleShot(answerTimeout, request, &LoopbackHttpRequest::abort);
        m_inFlight.insert(request);
        connect(request, &LoopbackHttpRequest::finished, this,
                [this, request, handle = std::move(handle)](const HttpAnswer& answer) {
                    m_inFlight.remove(request);
                    request->deleteLater();
                    handle(answer);
                    if (m_inFlight.isEmpty())
                        finish();
                });
    }

    void finish()
    {
        if (!m_completion)
            return;
        m_deadline.stop();
        for (LoopbackHttpRequest* request : std::exchange(m_inFlight, {})) {
            disconnect(request, nullptr, this, nullptr);
            request->abort();
        }
        if (m_closed == 0)
            qCDebug(lcActions) << "no remote-debugging endpoint of Chrome closed a tab";
        deleteLater();
        std::exchange(m_completion, {})(m_listed ? std::optional(m_closed) : std::nullopt);
    }

    AddressTest m_closes;
    Completion m_completion;
    QTimer m_deadline;
    QSet<LoopbackHttpRequest*> m_inFlight;
    // The pages of each browser still to be asked to close.
    QHash<quint16, QStringList> m_unclosed;
    // Whether any endpoint listed its tabs; close requests sent, and those
    // the browsers confirmed.
    bool m_listed = false;
    qsizetype m_closesAsked = 0;
    qsizetype m_closed = 0;
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
}

QStringList ChromeDevTools::standardProfileFolders()
{
    const QDir config(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    QStringList folders;
    for (const char* name : {"google-chrome", "google-chrome-beta", "google-chrome-unstable", "chromium"})
        folders.append(config.filePath(QString::fromLatin1(name)));
    return folders;
}

ChromeDevTools::Endpoints ChromeDevTools::endpointsToAsk(const QList<std::optional<quint16>>& inProfileFolders,
                                                         const QList<std::optional<quint16>>& onCommandLines)
{
    Endpoints endpoints;
    QSet<quint16> named;
    for (const QList<std::optional<quint16>>* found : {&inProfileFolders, &onCommandLines}) {
        for (const std::optional<quint16>& port : *found) {
            if (!port || named.contains(*port))
                continue;
            named.insert(*port);
            if (endpoints.ports.size() < limits.endpoints)
                endpoints.ports.append(*port);
            else
                ++endpoints.leftOut;
        }
    }
    return endpoints;
}

ChromeDevTools::Endpoints ChromeDevTools::candidatePorts() const
{
    QList<std::optional<quint16>> inProfileFolders, onCommandLines;
    if (const auto known = KnownApplications::withPath(chromePath)) {
        for (const RunningApplication& browser : m_workspace.allWithBundleIdentifier(known->identifier)) {
            const QByteArray commandLine = commandLineOf(browser.processIdentifier);
            for (const QString& port : switchValues(commandLine, QLatin1String("remote-debugging-port")))
                onCommandLines.append(portNumber(port));
            for (const QString& profile : switchValues(commandLine, QLatin1String("user-data-dir")))
                inProfileFolders.append(activePortIn(profile));
        }
    }
    for (const QString& folder : m_profileFolders)
        inProfileFolders.append(activePortIn(folder));
    return endpointsToAsk(inProfileFolders, onCommandLines);
}

void ChromeDevTools::closeTabs(AddressTest closes, Completion completion)
{
    const Endpoints endpoints = candidatePorts();
    if (endpoints.leftOut > 0)
        qCWarning(lcActions) << "asking" << endpoints.ports.size() << "of Chrome's remote-debugging ports, not the"
                             << endpoints.leftOut << "others named";
    new Closing(&m_presses, endpoints.ports, std::move(closes), std::move(completion));
}
