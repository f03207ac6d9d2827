#include "LoopbackHttpRequest.h"

#include "Redirects.h"

#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkProxy>
#include <QTcpSocket>

namespace {

// How much of an answer the socket reads ahead of the reader.
constexpr qint64 readAhead = 64 * 1024;

QByteArray requestFor(const QUrl& address, const std::optional<QByteArray>& json, const QList<QNetworkCookie>& cookies)
{
    QByteArray target = address.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
    if (!target.startsWith('/'))
        target.prepend('/');
    QByteArray request = (json ? "POST " : "GET ") + target + " HTTP/1.1\r\n";
    // Host and port only: a user name and password in the address must not leak into it.
    request += "Host: " + address.adjusted(QUrl::RemoveUserInfo).authority(QUrl::FullyEncoded).toLatin1() + "\r\n";
    request += "Connection: close\r\n";
    request += "Accept-Encoding: gzip, deflate\r\n";
    if (!cookies.isEmpty()) {
        QList<QByteArray> pairs;
        for (const QNetworkCookie& cookie : cookies)
            pairs.append(cookie.toRawForm(QNetworkCookie::NameAndValueOnly));
        request += "Cookie: " + pairs.join("; ") + "\r\n";
    }
    if (json) {
        request += "content-type: application/json\r\n";
        request += "Content-Length: " + QByteArray::number(json->size()) + "\r\n";
    }
    return request + "\r\n" + json.value_or(QByteArray());
}

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

} // namespace

LoopbackHttpRequest::LoopbackHttpRequest(const QUrl& address, std::optional<QByteArray> json, qint64 largestAnswer,
                                         QObject* parent, QNetworkCookieJar* cookies)
    : QObject(parent), m_json(std::move(json)), m_largestAnswer(largestAnswer), m_cookies(cookies)
{
    // A connection refused at once must not finish the request before its
    // caller has even heard of it.
    QMetaObject::invokeMethod(
        this, [this, address] { send(address); }, Qt::QueuedConnection);
}

void LoopbackHttpRequest::send(const QUrl& address)
{
    if (m_finished)
        return;
    dropConnection();
    m_visited.append(address);
    m_reader.emplace(m_largestAnswer);
    m_socket = new QTcpSocket(this);
    m_socket->setProxy(QNetworkProxy::NoProxy);
    m_socket->setReadBufferSize(readAhead);
    const QList<QNetworkCookie> cookies = m_cookies ? m_cookies->cookiesForUrl(address) : QList<QNetworkCookie>();
    connect(m_socket, &QTcpSocket::connected, this,
            [this, request = requestFor(address, m_json, cookies)] { m_socket->write(request); });
    connect(m_socket, &QTcpSocket::readyRead, this, &LoopbackHttpRequest::read);
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        read();
        // Gone once the answer was taken or refused.
        if (!m_socket)
            return;
        // The server's close ends a body that runs to it; any other error
        // ends the request without an answer.
        if (error == QAbstractSocket::RemoteHostClosedError && m_reader->end() == HttpAnswerReader::State::complete)
            takeAnswer();
        else
            finish({});
    });
    m_socket->connectToHost(address.host(), quint16(address.port(80)));
}

void LoopbackHttpRequest::read()
{
    if (!m_socket)
        return;
    HttpAnswerReader::State state = m_reader->state();
    while (state == HttpAnswerReader::State::reading && m_socket->bytesAvailable() > 0)
        state = m_reader->read(m_socket->read(readAhead));
    if (state == HttpAnswerReader::State::complete)
        takeAnswer();
    else if (state == HttpAnswerReader::State::refused)
        finish({});
}

void LoopbackHttpRequest::takeAnswer()
{
    // Also from a redirect, before the request goes on.
    if (m_cookies) {
        for (const QByteArray& cookie : m_reader->cookies())
            m_cookies->setCookiesFromUrl(QNetworkCookie::parseCookies(cookie), m_visited.constLast());
    }
    const int status = m_reader->status();
    if (!isRedirect(status) || m_reader->location().isEmpty()) {
        finish({status, m_reader->body()});
        return;
    }
    const QUrl target = m_visited.constLast().resolved(QUrl::fromEncoded(m_reader->location()));
    if (!Redirects::follows(m_visited, target)) {
        finish({});
        return;
    }
    // As browsers do: a See Other, and a POST moved for good or found
    // elsewhere, are asked again with a GET.
    if (status == 303 || status == 301 || status == 302)
        m_json.reset();
    // Not from inside the old socket's signal.
    QMetaObject::invokeMethod(
        this, [this, target] { send(target); }, Qt::QueuedConnection);
    dropConnection();
}

void LoopbackHttpRequest::dropConnection()
{
    if (QTcpSocket* socket = std::exchange(m_socket, nullptr)) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
}

void LoopbackHttpRequest::finish(const HttpAnswer& answer)
{
    if (std::exchange(m_finished, true))
        return;
    dropConnection();
    Q_EMIT finished(answer);
}
