#pragma once

#include "AddressMap.h"
#include "model/Scheduler.h"
#include "net/BoundedCookieJar.h"
#include "net/HttpAnswer.h"
#include "net/LoopbackHttpRequest.h"

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <chrono>
#include <functional>
#include <optional>

class QNetworkRequest;

// A request in flight. Cancelling it aborts the transfer; its completion is
// then never called. An empty or finished handle cancels nothing.
class HttpCall {
public:
    HttpCall() = default;
    void cancel();

private:
    friend class HttpClient;
    explicit HttpCall(QNetworkReply* reply) : m_reply(reply) { }
    explicit HttpCall(LoopbackHttpRequest* request) : m_loopbackRequest(request) { }
    QPointer<QNetworkReply> m_reply;
    QPointer<LoopbackHttpRequest> m_loopbackRequest;
};

// HTTP for the companion's services, on the main thread: one request per
// call, nothing cached, every completion delivered on the main thread, and
// never once `context` is gone. Each answer is capped in size, and each
// request gives up after its time-out, whatever it is waiting for, measured
// on the scheduler from the moment it is sent, so tests can move that clock.
// A redirect is followed only within the origin the request was sent to,
// and never in a circle; one that is refused counts as no answer.
//
// Requests to the local server (plain http to a loopback address, as the
// program writes it, before the address map sends it elsewhere) go over
// LoopbackHttpRequest, each on a connection of its own, so its head is
// capped too and a stuck one holds back no other; the weather service and
// any other address go through QNetworkAccessManager. Each keeps its
// servers' cookies for the run in a jar of its own, so another service's
// cookies never push out the local server's.
class HttpClient final : public QObject {
    Q_OBJECT

public:
    using Completion = std::function<void(const HttpAnswer&)>;
    using Duration = std::chrono::milliseconds;

    // How long a request may take when its caller names no time-out: the
    // minute a request waits by default on the platform the companion
    // started on.
    static constexpr Duration defaultTimeout = std::chrono::seconds(60);
    // The largest answer a request takes when its caller names no other: a
    // few megabytes, far above any feed of the local server. An answer that
    // grows past its cap is cut off and counts as no answer.
    static constexpr qint64 largestFeedAnswer = 4 * 1024 * 1024;
    HttpClient(Scheduler& scheduler, AddressMap addresses, QObject* parent = nullptr);

    HttpCall get(const QObject* context, const QUrl& address, Completion completion, Duration timeout = defaultTimeout,
                 qint64 largestAnswer = largestFeedAnswer);
    // A POST of a JSON document, with the header content-type: application/json.
    HttpCall postJson(const QObject* context, const QUrl& address, const QByteArray& body, Completion completion,
                      Duration timeout = defaultTimeout, qint64 largestAnswer = largestFeedAnswer);

private:
    QNetworkRequest requestFor(const QUrl& address) const;
    HttpCall track(const QObject* context, QNetworkReply* reply, Completion completion, Duration timeout,
                   qint64 largestAnswer);
    HttpCall sendOverLoopback(const QObject* context, const QUrl& address, std::optional<QByteArray> json,
                              Completion completion, Duration timeout, qint64 largestAnswer);

    Scheduler& m_scheduler;
    AddressMap m_addresses;
    QNetworkAccessManager m_network;
    BoundedCookieJar m_loopbackCookies;
};
