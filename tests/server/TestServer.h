#pragma once

// A small HTTP/1.1 server on the loopback interface that stands in for the
// local business server and the weather service: each route answers as the
// test scripts it, every request is recorded, and an answer can be held back,
// cut off or refused to test the clients' failure paths.

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QTcpServer>
#include <QUrl>
#include <QUrlQuery>

#include <deque>
#include <functional>
#include <vector>

class QTcpSocket;

struct TestRequest {
    QByteArray method;
    QByteArray path;                       // as sent, still percent-encoded
    QByteArray query;                      // as sent, without the "?"
    QHash<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;

    QUrlQuery queryItems() const { return QUrlQuery(QString::fromUtf8(query)); }
    QString queryValue(const QString& key) const { return queryItems().queryItemValue(key, QUrl::FullyDecoded); }
};

struct TestResponse {
    enum class Kind {
        answer,          // a whole answer
        hold,            // no answer until the test releases it (or the client gives up)
        hangUp,          // the connection is closed without an answer
        truncated,       // the status line and headers, half the body, then the connection closes
        endless,         // a chunked body that goes on until the client leaves (or 1 GiB is sent)
        trickle,         // the status line, headers and first byte of the body, then the rest one byte per pause
        endlessHead,     // the status line, then header lines without end, never the blank line
        endlessContinue, // interim "100 Continue" answers without end
    };

    Kind kind = Kind::answer;
    int status = 200;
    QByteArray body;
    QByteArray contentType = "application/json";
    // Further header lines, as name and value.
    QList<std::pair<QByteArray, QByteArray>> headers = {};
    // Between the bytes of a trickled body, and between the lines of an
    // endless head or the interim answers (0: as fast as the client reads).
    int pauseMs = 0;

    static TestResponse json(QByteArray body, int status = 200)
    {
        return {Kind::answer, status, std::move(body), "application/json"};
    }
    static TestResponse text(QByteArray body, int status = 200)
    {
        return {Kind::answer, status, std::move(body), "text/plain; charset=utf-8"};
    }
    static TestResponse html(QByteArray body)
    {
        return {Kind::answer, 200, std::move(body), "text/html; charset=utf-8"};
    }
    static TestResponse withStatus(int code) { return {Kind::answer, code, {}, "application/json"}; }
    static TestResponse held() { return of(Kind::hold); }
    static TestResponse hungUp() { return of(Kind::hangUp); }
    static TestResponse cutOff(QByteArray body) { return {Kind::truncated, 200, std::move(body), "application/json"}; }
    static TestResponse withoutEnd() { return of(Kind::endless); }
    static TestResponse headWithoutEnd(int pauseMs = 0)
    {
        return {Kind::endlessHead, 200, {}, "application/json", {}, pauseMs};
    }
    static TestResponse continueWithoutEnd(int pauseMs = 0)
    {
        return {Kind::endlessContinue, 100, {}, {}, {}, pauseMs};
    }
    static TestResponse trickled(QByteArray body, int pauseMs)
    {
        return {Kind::trickle, 200, std::move(body), "application/json", {}, pauseMs};
    }
    static TestResponse redirect(QByteArray location, int status = 302)
    {
        return {Kind::answer, status, {}, "text/plain; charset=utf-8", {{"Location", std::move(location)}}};
    }

private:
    static TestResponse of(Kind kind)
    {
        TestResponse response;
        response.kind = kind;
        return response;
    }
};

class TestServer final : public QObject {
    Q_OBJECT

public:
    using Handler = std::function<TestResponse(const TestRequest&)>;

    // Listens on 127.0.0.1 at the given port, or at a free one for 0.
    explicit TestServer(quint16 port = 0, QObject* parent = nullptr);
    ~TestServer() override;

    bool isListening() const { return m_server.isListening(); }
    quint16 port() const { return m_server.serverPort(); }
    // "http://127.0.0.1:<port>"
    QUrl origin() const;

    // Scripts a route; a later script of the same method and path replaces it.
    void on(const QByteArray& method, const QByteArray& path, Handler handler);
    void answer(const QByteArray& method, const QByteArray& path, TestResponse response);
    // Answers with each response in turn, then keeps giving the last one.
    void answerInTurn(const QByteArray& method, const QByteArray& path, std::vector<TestResponse> responses);

    // Every request received, oldest first; a route nobody scripted answers 404.
    const std::vector<TestRequest>& requests() const { return m_requests; }
    std::vector<TestRequest> requestsTo(const QByteArray& path) const;
    int countOf(const QByteArray& path) const { return int(requestsTo(path).size()); }

    // Whole answers deflated unasked; a cookie every request must bring back (else 401, setting it).
    void setCompressing(bool compressing) { m_compressing = compressing; }
    void setSessionCookie(QByteArray cookie) { m_sessionCookie = std::move(cookie); }

    // Answers every held request with `response`.
    void releaseHeld(const TestResponse& response);
    // Requests being held whose client is still connected.
    int heldCount() const;
    // Bytes sent so far in answers without end (bodies, heads or interim
    // answers), and how many such answers are still being sent.
    qint64 endlessBytesSent() const { return m_endlessBytes; }
    int endlessCount() const { return m_endlessCount; }

private:
    void accept();
    void read(QTcpSocket* socket);
    void respond(QTcpSocket* socket, const TestResponse& response);
    // Writes start, then piece over and over until the client leaves (or
    // 1 GiB is sent): one piece per pause, or as fast as the client reads.
    void streamWithoutEnd(QTcpSocket* socket, const QByteArray& start, const QByteArray& piece, int pauseMs);
    void trickle(QTcpSocket* socket, const TestResponse& response);
    // The status line and headers of an answer with a whole body.
    static QByteArray head(const TestResponse& response);

    QTcpServer m_server;
    QHash<QByteArray, Handler> m_routes; // "METHOD path"
    QHash<QTcpSocket*, QByteArray> m_buffers;
    std::vector<TestRequest> m_requests;
    std::vector<QTcpSocket*> m_held;
    bool m_compressing = false;
    QByteArray m_sessionCookie;
    qint64 m_endlessBytes = 0;
    int m_endlessCount = 0;
};
