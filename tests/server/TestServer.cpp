#include "TestServer.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <optional>

namespace {

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 201: return "Created";
    case 204: return "No Content";
    case 302: return "Found";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

QByteArray routeKey(const QByteArray& method, const QByteArray& path) { return method + ' ' + path; }

// One whole request at the front of `buffer`, which it then leaves out;
// nothing while the request is still incomplete.
std::optional<TestRequest> takeRequest(QByteArray& buffer)
{
    const qsizetype headEnd = buffer.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return std::nullopt;
    const QList<QByteArray> lines = buffer.left(headEnd).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');

    TestRequest request;
    request.method = requestLine.value(0);
    const QByteArray target = requestLine.value(1);
    const qsizetype question = target.indexOf('?');
    request.path = question < 0 ? target : target.left(question);
    request.query = question < 0 ? QByteArray() : target.mid(question + 1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
    }
    const qsizetype length = request.headers.value("content-length", "0").toLongLong();
    const qsizetype bodyStart = headEnd + 4;
    if (buffer.size() < bodyStart + length)
        return std::nullopt;
    request.body = buffer.mid(bodyStart, length);
    buffer.remove(0, bodyStart + length);
    return request;
}

} // namespace

TestServer::TestServer(quint16 port, QObject* parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &TestServer::accept);
    m_server.listen(QHostAddress::LocalHost, port);
}

TestServer::~TestServer() { m_server.close(); }

QUrl TestServer::origin() const { return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port())); }

void TestServer::on(const QByteArray& method, const QByteArray& path, Handler handler)
{
    m_routes.insert(routeKey(method, path), std::move(handler));
}

void TestServer::answer(const QByteArray& method, const QByteArray& path, TestResponse response)
{
    on(method, path, [response](const TestRequest&) { return response; });
}

void TestServer::answerInTurn(const QByteArray& method, const QByteArray& path, std::vector<TestResponse> responses)
{
    auto queue = std::make_shared<std::deque<TestResponse>>(responses.begin(), responses.end());
    on(method, path, [queue](const TestRequest&) {
        const TestResponse next = queue->front();
        if (queue->size() > 1)
            queue->pop_front();
        return next;
    });
}

std::vector<TestRequest> TestServer::requestsTo(const QByteArray& path) const
{
    std::vector<TestRequest> matching;
    std::copy_if(m_requests.begin(), m_requests.end(), std::back_inserter(matching),
                 [&](const TestRequest& request) { return request.path == path; });
    return matching;
}

void TestServer::releaseHeld(const TestResponse& response)
{
    const std::vector<QTcpSocket*> held = std::exchange(m_held, {});
    for (QTcpSocket* socket : held) {
        if (socket->state() == QAbstractSocket::ConnectedState)
            respond(socket, response);
    }
}

int TestServer::heldCount() const
{
    return int(std::count_if(m_held.begin(), m_held.end(),
                             [](QTcpSocket* socket) { return socket->state() == QAbstractSocket::ConnectedState; }));
}

void TestServer::accept()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        socket->setParent(this);
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_buffers.remove(socket);
            m_held.erase(std::remove(m_held.begin(), m_held.end(), socket), m_held.end());
            socket->deleteLater();
        });
    }
}

void TestServer::read(QTcpSocket* socket)
{
    QByteArray& buffer = m_buffers[socket];
    buffer.append(socket->readAll());
    // One request per connection: every answer closes it.
    std::optional<TestRequest> request = takeRequest(buffer);
    if (!request)
        return;
    m_requests.push_back(*request);

    const Handler handler = m_routes.value(routeKey(request->method, request->path));
    if (!request->headers.value("cookie").contains(m_sessionCookie))
        respond(socket, {TestResponse::Kind::answer, 401, {}, "application/json", {{"Set-Cookie", m_sessionCookie}}});
    else
        respond(socket, handler ? handler(*request) : TestResponse::withStatus(404));
}

void TestServer::respond(QTcpSocket* socket, const TestResponse& response)
{
    switch (response.kind) {
    case TestResponse::Kind::hold: m_held.push_back(socket); return;
    case TestResponse::Kind::hangUp: socket->abort(); return;
    case TestResponse::Kind::endless: {
        // Chunks of 64 KiB.
        static const QByteArray chunk = "10000\r\n" + QByteArray(0x10000, ' ') + "\r\n";
        streamWithoutEnd(socket,
                         "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nTransfer-Encoding: chunked\r\n"
                         "Connection: close\r\n\r\n",
                         chunk, 0);
        return;
    }
    case TestResponse::Kind::endlessHead:
        streamWithoutEnd(socket, "HTTP/1.1 200 OK\r\n", "X-Filler: 0123456789\r\n", response.pauseMs);
        return;
    case TestResponse::Kind::endlessContinue:
        streamWithoutEnd(socket, {}, "HTTP/1.1 100 Continue\r\n\r\n", response.pauseMs);
        return;
    case TestResponse::Kind::trickle: trickle(socket, response); return;
    case TestResponse::Kind::answer:
    case TestResponse::Kind::truncated: break;
    }
    TestResponse sent = response;
    if (m_compressing) {
        sent.body = qCompress(response.body).mid(4);
        sent.headers.emplaceBack("Content-Encoding", "deflate");
    }
    const bool cut = sent.kind == TestResponse::Kind::truncated;
    socket->write(head(sent) + (cut ? sent.body.left(sent.body.size() / 2) : sent.body));
    socket->disconnectFromHost();
}

QByteArray TestServer::head(const TestResponse& response)
{
    QByteArray message =
        "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reasonPhrase(response.status) + "\r\n";
    message += "Content-Type: " + response.contentType + "\r\n";
    message += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    for (const auto& [name, value] : response.headers)
        message += name + ": " + value + "\r\n";
    return message + "Connection: close\r\n\r\n";
}

void TestServer::trickle(QTcpSocket* socket, const TestResponse& response)
{
    socket->write(head(response) + response.body.left(1));
    auto* pace = new QTimer(socket);
    const auto sent = std::make_shared<qsizetype>(std::min<qsizetype>(1, response.body.size()));
    connect(pace, &QTimer::timeout, socket, [socket, body = response.body, sent] {
        if (socket->state() != QAbstractSocket::ConnectedState)
            return;
        if (*sent < body.size())
            socket->write(body.mid((*sent)++, 1));
        else
            socket->disconnectFromHost();
    });
    pace->start(response.pauseMs);
}

void TestServer::streamWithoutEnd(QTcpSocket* socket, const QByteArray& start, const QByteArray& piece, int pauseMs)
{
    constexpr qint64 bound = qint64(1) << 30;
    socket->write(start);
    ++m_endlessCount;
    const auto sent = std::make_shared<qint64>(0);
    const auto send = [this, socket, piece, sent] {
        socket->write(piece);
        *sent += piece.size();
        m_endlessBytes += piece.size();
    };
    const auto stopAtTheBound = [socket, sent] {
        if (*sent >= bound)
            socket->disconnectFromHost();
    };
    connect(socket, &QTcpSocket::disconnected, this, [this] { --m_endlessCount; });
    if (pauseMs > 0) {
        auto* pace = new QTimer(socket);
        connect(pace, &QTimer::timeout, socket, [socket, send, stopAtTheBound] {
            if (socket->state() != QAbstractSocket::ConnectedState)
                return;
            send();
            stopAtTheBound();
        });
        pace->start(pauseMs);
        return;
    }
    // A few pieces ahead of the client, written as fast as it takes them.
    const qint64 ahead = std::max<qint64>(4 * piece.size(), 0x10000);
    const auto more = [socket, sent, send, stopAtTheBound, ahead] {
        while (socket->bytesToWrite() < ahead && *sent < bound)
            send();
        stopAtTheBound();
    };
    connect(socket, &QTcpSocket::bytesWritten, this, more);
    more();
}
