#pragma once

#include "HttpAnswer.h"
#include "HttpAnswerReader.h"

#include <QList>
#include <QNetworkCookieJar>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <optional>

class QTcpSocket;

// One request to a peer on the loopback interface (the local server, a
// browser's debugging endpoint), each over a connection of its own that the
// peer closes after its answer: a GET, or a POST of a JSON document. Qt's HTTP stack reads a head without bound and
// cannot always be stopped while it does; this reads the answer with
// HttpAnswerReader, so head and body stay within their caps, and abort()
// ends it at once, connecting, reading the head or the body. A gzip or
// deflate answer is asked for and decoded. A redirect is followed as
// Redirects allows. With a cookie jar, the request sends the jar's cookies
// for each address it asks and keeps those every answer sets. `finished`
// comes once, and never from within the constructor.
class LoopbackHttpRequest final : public QObject {
    Q_OBJECT

public:
    // A GET of address, or with json a POST of it.
    LoopbackHttpRequest(const QUrl& address, std::optional<QByteArray> json, qint64 largestAnswer,
                        QObject* parent = nullptr, QNetworkCookieJar* cookies = nullptr);

    // Ends the request with no answer, unless it has finished.
    void abort() { finish({}); }

Q_SIGNALS:
    void finished(const HttpAnswer& answer);

private:
    void send(const QUrl& address);
    void read();
    void takeAnswer();
    void dropConnection();
    void finish(const HttpAnswer& answer);

    std::optional<QByteArray> m_json;
    qint64 m_largestAnswer;
    QPointer<QNetworkCookieJar> m_cookies;
    // The addresses asked so far, the first one first.
    QList<QUrl> m_visited;
    QTcpSocket* m_socket = nullptr;
    std::optional<HttpAnswerReader> m_reader;
    bool m_finished = false;
};
