#include "platform/desktop/UrlHandoff.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// One line per address; a lone reopen line when there is none.
const QByteArray reopenLine = QByteArrayLiteral("reopen");
const QByteArray openPrefix = QByteArrayLiteral("open ");
// Bounds what a misbehaving client can make us hold.
constexpr qint64 largestMessage = 1 << 20;
constexpr int handoffTimeoutMs = 2000;

QByteArray encode(const QList<QUrl>& urls)
{
    if (urls.isEmpty())
        return reopenLine + '\n';
    QByteArray message;
    for (const QUrl& url : urls)
        message += openPrefix + url.toEncoded() + '\n';
    return message;
}

} // namespace

namespace UrlHandoff {

QString socketPath(const QString& editionName)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return QDir(folder).filePath(QStringLiteral("lumivo-companion.%1.socket").arg(editionName));
}

bool isPrivateSocket(const QString& path)
{
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return false;
    return S_ISSOCK(status.st_mode) && status.st_uid == ::getuid() && (status.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

bool send(const QString& path, const QList<QUrl>& urls)
{
    if (!isPrivateSocket(path))
        return false;
    QLocalSocket socket;
    socket.connectToServer(path, QIODevice::WriteOnly);
    if (!socket.waitForConnected(handoffTimeoutMs))
        return false;
    socket.write(encode(urls));
    if (!socket.waitForBytesWritten(handoffTimeoutMs))
        return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(handoffTimeoutMs);
    return true;
}

} // namespace UrlHandoff

UrlHandoffReceiver::UrlHandoffReceiver() = default;

UrlHandoffReceiver::~UrlHandoffReceiver() = default;

bool UrlHandoffReceiver::listen(const QString& path)
{
    // Qt's listen replaces whatever is at path, so look first: only a socket
    // of our own that nobody answers on (left by a copy that crashed) goes.
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
        if (!UrlHandoff::isPrivateSocket(path))
            return false;
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.waitForConnected(200))
            return false;
        QLocalServer::removeServer(path);
    }
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server.get(), &QLocalServer::newConnection, this, &UrlHandoffReceiver::accept);
    return m_server->listen(path);
}

void UrlHandoffReceiver::accept()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            read(socket);
            socket->deleteLater();
        });
        connect(socket, &QLocalSocket::readyRead, this, [socket] {
            if (socket->bytesAvailable() > largestMessage)
                socket->abort();
        });
        if (socket->state() != QLocalSocket::ConnectedState) {
            read(socket);
            socket->deleteLater();
        }
    }
}

// A hand-over is complete when the other copy hangs up.
void UrlHandoffReceiver::read(QLocalSocket* socket)
{
    if (socket->bytesAvailable() > largestMessage)
        return;
    const QList<QByteArray> lines = socket->readAll().split('\n');
    QList<QUrl> urls;
    bool reopen = false;
    for (const QByteArray& line : lines) {
        if (line == reopenLine) {
            reopen = true;
        } else if (line.startsWith(openPrefix)) {
            const QUrl url = QUrl::fromEncoded(line.mid(openPrefix.size()), QUrl::StrictMode);
            if (url.isValid())
                urls.append(url);
        }
    }
    if (!urls.isEmpty())
        Q_EMIT urlsReceived(urls);
    else if (reopen)
        Q_EMIT reopenRequested();
}
