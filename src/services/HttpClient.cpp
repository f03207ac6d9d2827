#include "HttpClient.h"

#include <QHostAddress>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <memory>

namespace {

// The errors QNetworkReply reports for a complete answer whose status is not
// a success (4xx and 5xx); a status that came with any other error belongs
// to an answer that did not arrive whole.
bool isStatusError(QNetworkReply::NetworkError error)
{
    return (error >= QNetworkReply::ContentAccessDenied && error <= QNetworkReply::UnknownContentError)
        || (error >= QNetworkReply::InternalServerError && error <= QNetworkReply::UnknownServerError);
}

// How much of an answer the network reads ahead of us.
constexpr qint64 readAhead = 256 * 1024;

HttpAnswer answerOf(const QNetworkReply& reply, const QByteArray& body)
{
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QNetworkReply::NetworkError error = reply.error();
    if (!status.isValid() || (error != QNetworkReply::NoError && !isStatusError(error)))
        return {};
    return {status.toInt(), body};
}

// The local server, as the program writes its address.
bool isLocalServer(const QUrl& address)
{
    return address.scheme() == u"http" && QHostAddress(address.host()).isLoopback();
}

// Ends transfer (a QNetworkReply or a LoopbackHttpRequest) with no answer
// once timeout has passed, unless it is gone by then.
template <class Transfer>
ScheduledWork abortAfter(Scheduler& scheduler, HttpClient::Duration timeout, Transfer* transfer)
{
    return scheduler.schedule(timeout, [watched = QPointer<Transfer>(transfer)] {
        if (watched)
            watched->abort();
    });
}

template <class Transfer>
void cancelTransfer(QPointer<Transfer>& handle)
{
    if (Transfer* transfer = handle.data()) {
        handle.clear();
        transfer->disconnect();
        transfer->abort();
        transfer->deleteLater();
    }
}

} // namespace

void HttpCall::cancel()
{
    cancelTransfer(m_reply);
    cancelTransfer(m_loopbackRequest);
}

HttpClient::HttpClient(Scheduler& scheduler, AddressMap addresses, QObject* parent)
    : QObject(parent), m_scheduler(scheduler), m_addresses(std::move(addresses))
{
    // Every request goes where its address says, without a proxy of the
    // environment's choosing in between (the local server is on loopback).
    m_network.setProxy(QNetworkProxy::NoProxy);
    m_network.setCookieJar(new BoundedCookieJar(&m_network));
}

QNetworkRequest HttpClient::requestFor(const QUrl& address) const
{
    QNetworkRequest request(m_addresses.resolve(address));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    return request;
}

HttpCall HttpClient::get(const QObject* context, const QUrl& address, Completion completion, Duration timeout,
                         qint64 largestAnswer)
{
    if (isLocalServer(address))
        return sendOverLoopback(context, address, std::nullopt, std::move(completion), timeout, largestAnswer);
    return track(context, m_network.get(requestFor(address)), std::move(completion), timeout, largestAnswer);
}

HttpCall HttpClient::postJson(const QObject* context, const QUrl& address, const QByteArray& body,
                              Completion completion, Duration timeout, qint64 largestAnswer)
{
    if (isLocalServer(address))
        return sendOverLoopback(context, address, body, std::move(completion), timeout, largestAnswer);
    QNetworkRequest request = requestFor(address);
    request.setRawHeader("content-type", "application/json");
    return track(context, m_network.post(request, body), std::move(completion), timeout, largestAnswer);
}

HttpCall HttpClient::track(const QObject* context, QNetworkReply* reply, Completion completion, Duration timeout,
                           qint64 largestAnswer)
{
    // Aborting makes the reply finish with OperationCanceledError: no answer.
    ScheduledWork deadline = abortAfter(m_scheduler, timeout, reply);
    // The answer is taken as it arrives, and the request ends once it grows
    // past its cap; the network reads ahead only a little, so an answer
    // without end never fills the memory.
    reply->setReadBufferSize(readAhead);
    // A reply that was cut off (aborted) is closed: nothing more is read.
    const auto body = std::make_shared<QByteArray>();
    const auto take = [reply, body, largestAnswer] {
        if (!reply->isOpen())
            return;
        const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
        body->append(reply->readAll());
        if (body->size() > largestAnswer || (announced.isValid() && announced.toLongLong() > largestAnswer))
            reply->abort();
    };
    connect(reply, &QNetworkReply::metaDataChanged, reply, take);
    connect(reply, &QNetworkReply::readyRead, reply, take);
    const auto visited = std::make_shared<QList<QUrl>>(QList<QUrl>{reply->url()});
    connect(reply, &QNetworkReply::redirected, reply, [reply, visited](const QUrl& target) {
        if (!Redirects::follows(*visited, target)) {
            reply->abort();
            return;
        }
        visited->append(target);
        Q_EMIT reply->redirectAllowed();
    });
    // Without a living context the reply is still cleaned up, but nobody hears of it.
    connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
    connect(reply, &QNetworkReply::finished, context,
            [reply, body, deadline, completion = std::move(completion)]() mutable {
                deadline.cancel();
                if (reply->isOpen())
                    body->append(reply->readAll());
                const HttpAnswer answer = answerOf(*reply, *body);
                if (completion)
                    completion(answer);
            });
    return HttpCall(reply);
}

HttpCall HttpClient::sendOverLoopback(const QObject* context, const QUrl& address, std::optional<QByteArray> json,
                                      Completion completion, Duration timeout, qint64 largestAnswer)
{
    // The local server's cookies in a jar of their own: the services behind
    // Qt's stack are other hosts, and their cookies push none of these out.
    auto* request =
        new LoopbackHttpRequest(m_addresses.resolve(address), std::move(json), largestAnswer, this, &m_loopbackCookies);
    ScheduledWork deadline = abortAfter(m_scheduler, timeout, request);
    connect(request, &LoopbackHttpRequest::finished, request, &QObject::deleteLater);
    connect(request, &LoopbackHttpRequest::finished, context,
            [deadline, completion = std::move(completion)](const HttpAnswer& answer) mutable {
                deadline.cancel();
                if (completion)
                    completion(answer);
            });
    return HttpCall(request);
}
