#include "platform/desktop/UrlHandoff.h"

#include "model/LogCategories.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

using namespace std::chrono_literals;

namespace {

const QByteArray reopenLine = QByteArrayLiteral("reopen");
const QByteArray openPrefix = QByteArrayLiteral("open ");
// The sender's last line: no address line (each starts with openPrefix) can be
// taken for it, nor a piece of one, since an encoded address holds no line break.
const QByteArray endLine = QByteArrayLiteral("end\n");
// The running copy's answer to a whole hand-over, just before it acts on it.
const QByteArray confirmation = QByteArrayLiteral("ok\n");
constexpr int listenBacklog = 64;
// How long accepting pauses when the process is out of descriptors or memory.
constexpr auto acceptPause = 100ms;

QString systemError(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// A socket descriptor closed when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int descriptor) : m_descriptor(descriptor) { }
    ~Descriptor()
    {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_descriptor; }
    int release() { return std::exchange(m_descriptor, -1); }

private:
    int m_descriptor;
};

Descriptor streamSocket() { return Descriptor(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)); }

// The address of path, or nothing when the path does not fit in one.
std::optional<sockaddr_un> addressOf(const QString& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty() || name.size() >= qsizetype(sizeof address.sun_path))
        return std::nullopt;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    return address;
}

int connectTo(const Descriptor& socket, const sockaddr_un& address)
{
    return ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
}

// Waits until descriptor is ready for events; false when the deadline passed first.
bool waitFor(int descriptor, short events, const QDeadlineTimer& deadline)
{
    for (;;) {
        pollfd entry{descriptor, events, 0};
        const int ready = ::poll(&entry, 1, int(std::min<qint64>(deadline.remainingTime(), 60'000)));
        if (ready > 0)
            return true;
        if (ready == 0 && deadline.hasExpired())
            return false;
        if (ready < 0 && errno != EINTR)
            return false;
    }
}

// A hand-over that fails says why in the log as well as to its caller; one
// that may succeed at the next try only in debug messages.
UrlHandoff::Outcome logged(const QString& path, UrlHandoff::Outcome outcome)
{
    switch (outcome.delivery) {
    case UrlHandoff::Delivery::delivered: qCDebug(lcHandoff).noquote() << "handed over to the copy at" << path; break;
    case UrlHandoff::Delivery::unavailable: qCDebug(lcHandoff).noquote() << outcome.problem; break;
    case UrlHandoff::Delivery::unsafe: qCWarning(lcHandoff).noquote() << outcome.problem; break;
    }
    return outcome;
}

// Whether a copy answers at address (a full backlog means one listens).
bool answers(const sockaddr_un& address)
{
    const Descriptor probe = streamSocket();
    return connectTo(probe, address) == 0 || errno == EAGAIN || errno == EINPROGRESS;
}

} // namespace

namespace UrlHandoff {

Request requestFrom(const QStringList& arguments)
{
    if (arguments.size() <= 1)
        return {.reopen = true, .urls = {}};
    Request request;
    for (const QString& argument : arguments.mid(1)) {
        const QUrl url(argument, QUrl::StrictMode);
        if (url.isValid() && !url.scheme().isEmpty() && !url.isLocalFile())
            request.urls.append(url);
    }
    return request;
}

QByteArray encode(const Request& request)
{
    QByteArray message;
    for (const QUrl& url : request.urls)
        message += openPrefix + url.toEncoded() + '\n';
    if (request.reopen)
        message += reopenLine + '\n';
    return message + endLine;
}

std::optional<Request> decode(const QByteArray& message)
{
    if (message != endLine && !message.endsWith('\n' + endLine))
        return std::nullopt;
    Request request;
    for (const QByteArray& line : message.first(message.size() - endLine.size()).split('\n')) {
        if (line == reopenLine) {
            request.reopen = true;
        } else if (line.startsWith(openPrefix)) {
            const QUrl url = QUrl::fromEncoded(line.mid(openPrefix.size()), QUrl::StrictMode);
            if (url.isValid())
                request.urls.append(url);
        }
    }
    return request;
}

QString socketPath(const QString& folder, const QString& editionName)
{
    return QDir(folder).filePath(QStringLiteral("lumivo-companion.%1.socket").arg(editionName));
}

bool isPrivateSocket(const QString& path)
{
    struct stat status { };
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return false;
    return S_ISSOCK(status.st_mode) && status.st_uid == ::geteuid() && (status.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

namespace {

Outcome sendUnlogged(const QString& path, const Request& request, std::chrono::milliseconds timeout)
{
    const QDeadlineTimer deadline(timeout);
    const std::optional<sockaddr_un> address = addressOf(path);
    if (!address)
        return {Delivery::unsafe, QStringLiteral("the socket path %1 is too long").arg(path)};
    struct stat status { };
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return {Delivery::unavailable, QStringLiteral("nobody listens at %1").arg(path)};
    if (!isPrivateSocket(path))
        return {Delivery::unsafe, QStringLiteral("%1 is not a private socket of this user").arg(path)};

    std::optional<Descriptor> socket;
    while (!socket) {
        Descriptor attempt = streamSocket();
        if (connectTo(attempt, *address) == 0) {
            socket.emplace(attempt.release());
        } else if (errno == EAGAIN) {
            // The running copy's backlog is full: wait for a place.
            if (deadline.hasExpired())
                return {Delivery::unavailable, QStringLiteral("the running copy did not take the connection in time")};
            ::usleep(10'000);
        } else if (errno == ENOENT || errno == ECONNREFUSED) {
            return {Delivery::unavailable, QStringLiteral("nobody listens at %1").arg(path)};
        } else {
            return {Delivery::unavailable, systemError(errno)};
        }
    }

    const QByteArray message = encode(request);
    for (qsizetype sent = 0; sent < message.size();) {
        if (!waitFor(socket->get(), POLLOUT, deadline))
            return {Delivery::unavailable, QStringLiteral("the running copy did not take the links in time")};
        const ssize_t count =
            ::send(socket->get(), message.constData() + sent, size_t(message.size() - sent), MSG_NOSIGNAL);
        if (count < 0 && errno != EAGAIN && errno != EINTR)
            return {Delivery::unavailable, QStringLiteral("the running copy hung up: %1").arg(systemError(errno))};
        sent += std::max<ssize_t>(count, 0);
    }
    ::shutdown(socket->get(), SHUT_WR);

    QByteArray answer;
    while (answer.size() < confirmation.size()) {
        if (!waitFor(socket->get(), POLLIN, deadline))
            return {Delivery::unavailable, QStringLiteral("the running copy did not confirm in time")};
        char buffer[16];
        const ssize_t count = ::read(socket->get(), buffer, sizeof buffer);
        if (count == 0 || (count < 0 && errno != EAGAIN && errno != EINTR))
            break;
        answer.append(buffer, std::max<ssize_t>(count, 0));
    }
    if (!answer.startsWith(confirmation))
        return {Delivery::unavailable, QStringLiteral("the running copy hung up without confirming")};
    return {Delivery::delivered, {}};
}

} // namespace

Outcome send(const QString& path, const Request& request, std::chrono::milliseconds timeout)
{
    return logged(path, sendUnlogged(path, request, timeout));
}

} // namespace UrlHandoff

// One client's hand-over while it arrives.
class UrlHandoffReceiver::Connection final : public QObject {
public:
    Connection(int descriptor, QObject* parent)
        : QObject(parent), descriptor(descriptor), notifier(descriptor, QSocketNotifier::Read)
    {
        deadline.setSingleShot(true);
    }
    ~Connection() override { close(); }

    // Ends the connection and lets go of what it holds at once; the object
    // itself may be in the middle of a signal of its own, so it goes later.
    void close()
    {
        received = QByteArray();
        if (descriptor < 0)
            return;
        notifier.setEnabled(false);
        deadline.stop();
        ::close(descriptor);
        descriptor = -1;
    }

    int descriptor;
    QByteArray received;
    QSocketNotifier notifier;
    QTimer deadline;
};

UrlHandoffReceiver::UrlHandoffReceiver() = default;

UrlHandoffReceiver::~UrlHandoffReceiver() { close(); }

bool UrlHandoffReceiver::listen(const QString& path)
{
    close();
    m_problem.clear();
    const std::optional<sockaddr_un> address = addressOf(path);
    if (!address) {
        m_problem = QStringLiteral("the socket path %1 is too long").arg(path);
        return false;
    }
    const QByteArray name = QFile::encodeName(path);

    // Binding needs the path free: only a socket of our own that nobody
    // answers on (left by a copy that crashed) is removed.
    struct stat status { };
    if (::lstat(name.constData(), &status) == 0) {
        if (!UrlHandoff::isPrivateSocket(path)) {
            m_problem = QStringLiteral("%1 is not a private socket of this user").arg(path);
            return false;
        }
        if (answers(*address)) {
            m_problem = QStringLiteral("another copy listens at %1").arg(path);
            return false;
        }
        ::unlink(name.constData());
    }

    // The socket is made under a name of its own and appears at path only
    // once it is private and listening: a copy that looks at path sooner
    // would take it for a socket others can reach, or find nobody listening.
    const QString pending = path + QStringLiteral(".%1").arg(::getpid());
    const std::optional<sockaddr_un> pendingAddress = addressOf(pending);
    const QByteArray pendingName = QFile::encodeName(pending);
    Descriptor listening = streamSocket();
    ::unlink(pendingName.constData());
    if (!pendingAddress
        || ::bind(listening.get(), reinterpret_cast<const sockaddr*>(&*pendingAddress), sizeof *pendingAddress) != 0
        || ::chmod(pendingName.constData(), S_IRWXU) != 0 || ::listen(listening.get(), listenBacklog) != 0
        || ::rename(pendingName.constData(), name.constData()) != 0 || ::lstat(name.constData(), &status) != 0) {
        m_problem = QStringLiteral("cannot listen at %1: %2").arg(path, systemError(errno));
        ::unlink(pendingName.constData());
        return false;
    }
    m_path = path;
    m_socketDevice = status.st_dev;
    m_socketInode = status.st_ino;
    m_descriptor = listening.release();
    m_notifier = std::make_unique<QSocketNotifier>(m_descriptor, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &UrlHandoffReceiver::acceptPending);
    m_resumeTimer = std::make_unique<QTimer>();
    m_resumeTimer->setSingleShot(true);
    connect(m_resumeTimer.get(), &QTimer::timeout, this, [this] {
        m_notifier->setEnabled(true);
        acceptPending();
    });
    return true;
}

void UrlHandoffReceiver::close()
{
    while (!m_connections.empty())
        drop(m_connections.front());
    if (m_descriptor < 0)
        return;
    m_resumeTimer.reset();
    m_notifier.reset();
    ::close(m_descriptor);
    m_descriptor = -1;
    // A later copy may have taken the path over since: leave its socket be.
    struct stat status { };
    const QByteArray name = QFile::encodeName(m_path);
    if (::lstat(name.constData(), &status) == 0 && status.st_dev == m_socketDevice && status.st_ino == m_socketInode)
        ::unlink(name.constData());
}

QList<int> UrlHandoffReceiver::connectionsToRelease(const QList<qsizetype>& othersOldestFirst, qsizetype held,
                                                    qsizetype arriving, qsizetype budget)
{
    QList<int> released;
    for (int index = 0; index < othersOldestFirst.size() && held + arriving > budget; ++index) {
        if (othersOldestFirst[index] > 0) {
            released.append(index);
            held -= othersOldestFirst[index];
        }
    }
    return released;
}

qsizetype UrlHandoffReceiver::bufferedBytes() const
{
    qsizetype held = 0;
    for (const Connection* connection : m_connections)
        held += connection->received.size();
    return held;
}

void UrlHandoffReceiver::acceptPending()
{
    // A backlog's worth at a time, so that a flood of connections cannot keep
    // the event loop (and the deadlines it runs) waiting.
    for (int accepted = 0; accepted < listenBacklog; ++accepted) {
        const int descriptor = ::accept4(m_descriptor, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (descriptor < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            // Out of descriptors or memory, the waiting connection stays in
            // the backlog: try again shortly rather than spin or give up.
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                resumeAcceptingLater();
            return;
        }
        if (m_connections.size() >= size_t(largestConnectionCount)) {
            // Room for the newcomer: the oldest goes, unless it has just finished.
            Connection* oldest = m_connections.front();
            if (!serve(oldest))
                drop(oldest);
        }
        auto* connection = new Connection(descriptor, this);
        m_connections.push_back(connection);
        connect(&connection->notifier, &QSocketNotifier::activated, this, [this, connection] { serve(connection); });
        connect(&connection->deadline, &QTimer::timeout, this, [this, connection] { drop(connection); });
        connection->deadline.start(readDeadline);
        // A quick client has often sent everything already.
        serve(connection);
    }
}

void UrlHandoffReceiver::resumeAcceptingLater()
{
    m_notifier->setEnabled(false);
    m_resumeTimer->start(acceptPause);
}

bool UrlHandoffReceiver::serve(Connection* connection)
{
    char chunk[16 * 1024];
    for (;;) {
        const ssize_t count = ::read(connection->descriptor, chunk, sizeof chunk);
        if (count > 0) {
            if (connection->received.size() + count > largestMessage) {
                drop(connection);
                return true;
            }
            makeRoom(connection, count);
            connection->received.append(chunk, count);
        } else if (count == 0) {
            // The other copy has said all it will.
            complete(connection);
            return true;
        } else if (errno != EINTR) {
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return false;
            drop(connection);
            return true;
        }
    }
}

void UrlHandoffReceiver::makeRoom(const Connection* reader, qsizetype arriving)
{
    QList<Connection*> others;
    QList<qsizetype> held;
    for (Connection* connection : m_connections) {
        if (connection != reader) {
            others.append(connection);
            held.append(connection->received.size());
        }
    }
    for (const int index : connectionsToRelease(held, bufferedBytes(), arriving, largestBuffered))
        drop(others[index]);
}

void UrlHandoffReceiver::complete(Connection* connection)
{
    m_connections.remove(connection);
    const std::optional<UrlHandoff::Request> request = UrlHandoff::decode(connection->received);
    // Confirmed before it is acted on: a sender that gave up waiting has
    // closed its socket, the confirmation cannot reach it, and it has told
    // its user that the hand-over failed.
    const bool confirmed = request
        && ::send(connection->descriptor, confirmation.constData(), size_t(confirmation.size()),
                  MSG_NOSIGNAL | MSG_DONTWAIT)
            == confirmation.size();
    connection->close();
    connection->deleteLater();
    if (!confirmed) {
        qCDebug(lcHandoff) << (request ? "dropped a hand-over whose sender had left" : "dropped a hand-over cut short");
        return;
    }
    if (!request->urls.isEmpty())
        Q_EMIT urlsReceived(request->urls);
    else if (request->reopen)
        Q_EMIT reopenRequested();
}

void UrlHandoffReceiver::drop(Connection* connection)
{
    m_connections.remove(connection);
    connection->close();
    connection->deleteLater();
}
