#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <chrono>
#include <list>
#include <memory>
#include <optional>

#include <sys/types.h>

class QSocketNotifier;
class QTimer;

// A copy of the program that finds another copy of its edition running hands
// over what it was asked to open (or, with nothing to open, a plain reopen)
// through a local socket in the user's private runtime folder. A hand-over
// counts only when it came whole and its sender is still there to hear the
// running copy confirm it: one cut short, or whose sender gave up waiting,
// is dropped whole, so a copy that reports a failure has had nothing acted on.
namespace UrlHandoff {

// What a copy started with these arguments (its own name first) asks of the
// running copy: a reopen when it was given none, else the links among them.
// Arguments that are no valid link are refused; when all are, nothing is
// asked at all.
struct Request {
    bool reopen = false;
    QList<QUrl> urls;

    bool isEmpty() const { return !reopen && urls.isEmpty(); }
    bool operator==(const Request&) const = default;
};
Request requestFrom(const QStringList& arguments);

// One request on the wire: a line per address, a reopen line when it asks
// for one, and an end line last.
QByteArray encode(const Request& request);
// The request of a whole message; nothing when the message does not end
// with the end line (it was cut short). Other lines are skipped, and so are
// addresses that do not parse.
std::optional<Request> decode(const QByteArray& message);

// The socket of one edition in the given folder.
QString socketPath(const QString& folder, const QString& editionName);

// Whether the file at path is a socket owned by this user, closed to others.
bool isPrivateSocket(const QString& path);

enum class Delivery {
    delivered,   // the running copy confirmed it
    unavailable, // nobody listens, or the hand-over broke off: worth another try
    unsafe,      // the socket is not this user's private one: never sent
};
struct Outcome {
    Delivery delivery;
    QString problem; // why it was not delivered
};

// Sends request to the copy listening at path and waits for its
// confirmation, for at most timeout in all.
Outcome send(const QString& path, const Request& request, std::chrono::milliseconds timeout);

} // namespace UrlHandoff

// Listens for other copies' hand-overs and announces them in arrival order.
// It stays bounded whatever its clients do: a few connections at a time (a
// new one pushes out the oldest), a deadline and a size cap on each, a cap on
// the bytes all of them hold together (what arrives pushes out what the
// oldest hold), a backlog's worth of connections accepted per turn of the
// event loop, and a listening socket that is never given up, even when
// accepting fails.
class UrlHandoffReceiver final : public QObject {
    Q_OBJECT

public:
    static constexpr int largestConnectionCount = 8;
    // Twice the longest argument a command line may hold (128 KiB).
    static constexpr qsizetype largestMessage = 256 * 1024;
    // What all connections may hold together: two of the largest hand-overs.
    static constexpr qsizetype largestBuffered = 2 * largestMessage;
    static constexpr std::chrono::milliseconds readDeadline = std::chrono::seconds(2);

    // Which of the other connections, given what each holds (oldest first),
    // let go so that arriving bytes fit in budget beside held, what all of
    // them hold together: the oldest that hold anything, until it fits.
    static QList<int> connectionsToRelease(const QList<qsizetype>& othersOldestFirst, qsizetype held,
                                           qsizetype arriving, qsizetype budget);

    UrlHandoffReceiver();
    ~UrlHandoffReceiver() override;

    // Takes over path, replacing a socket of our own that a crashed copy left
    // behind. False, with problem() saying why, when the path belongs to
    // someone else, another copy answers there or it cannot be listened on.
    bool listen(const QString& path);
    QString problem() const { return m_problem; }
    // Stops listening and removes the socket file, if it is still ours.
    void close();

    bool isListening() const { return m_descriptor >= 0; }
    int connectionCount() const { return int(m_connections.size()); }
    // What the connections hold of hand-overs still arriving.
    qsizetype bufferedBytes() const;

Q_SIGNALS:
    void urlsReceived(const QList<QUrl>& urls);
    void reopenRequested();

private:
    class Connection;

    void acceptPending();
    void resumeAcceptingLater();
    // Reads what has arrived; true when the connection has ended.
    bool serve(Connection* connection);
    // Lets go of what older connections hold until arriving bytes fit beside it.
    void makeRoom(const Connection* reader, qsizetype arriving);
    void complete(Connection* connection);
    void drop(Connection* connection);

    QString m_path;
    QString m_problem;
    int m_descriptor = -1;
    dev_t m_socketDevice = 0;
    ino_t m_socketInode = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::unique_ptr<QTimer> m_resumeTimer;
    // Oldest first.
    std::list<Connection*> m_connections;
};
