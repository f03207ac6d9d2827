#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

#include <memory>

class QLocalServer;
class QLocalSocket;

// A copy of the program that finds another copy of its edition running hands
// over what it was asked to open (or, with nothing to open, a plain reopen)
// through a local socket that only the user can reach, then exits.
namespace UrlHandoff {

// The socket of one edition in the user's runtime folder.
QString socketPath(const QString& editionName);

// Sends the addresses (an empty list asks for a reopen) to the copy
// listening at path. False when nobody listens there, or when the socket is
// not a socket of this user's own that only they can reach.
bool send(const QString& path, const QList<QUrl>& urls);

// Whether the file at path is a socket owned by this user, closed to others.
bool isPrivateSocket(const QString& path);

} // namespace UrlHandoff

// Listens for other copies' hand-overs and announces them in arrival order.
class UrlHandoffReceiver final : public QObject {
    Q_OBJECT
public:
    UrlHandoffReceiver();
    ~UrlHandoffReceiver() override;

    // Takes over path, replacing a socket of our own that a crashed copy
    // left behind. False when the path belongs to someone else or cannot be
    // listened on.
    bool listen(const QString& path);

Q_SIGNALS:
    void urlsReceived(const QList<QUrl>& urls);
    void reopenRequested();

private:
    void accept();
    void read(QLocalSocket* socket);

    std::unique_ptr<QLocalServer> m_server;
};
