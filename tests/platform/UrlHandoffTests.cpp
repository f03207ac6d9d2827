// A second copy hands its addresses to the running one over a private socket.
#include "platform/desktop/UrlHandoff.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

class UrlHandoffTest : public ::testing::Test {
protected:
    QString path() const { return m_folder.filePath(QStringLiteral("lumivo-companion.commandCenter.socket")); }

    // Leaves a socket file with nobody listening, as a crashed copy does.
    void leaveStaleSocket() const
    {
        const int descriptor = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path());
        std::memcpy(address.sun_path, name.constData(), static_cast<size_t>(name.size()));
        ASSERT_EQ(::bind(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::chmod(name.constData(), 0700);
        ::close(descriptor);
    }

    // Everything the receiver announced, once the event loop has run.
    static void settle(UrlHandoffReceiver& receiver, QSignalSpy& spy, int expected)
    {
        for (int attempt = 0; attempt < 100 && spy.count() < expected; ++attempt)
            spy.wait(20);
        Q_UNUSED(receiver);
    }

    QTemporaryDir m_folder;
};

TEST_F(UrlHandoffTest, DeliversAddressesInOrderAndReopensWithoutAny)
{
    UrlHandoffReceiver receiver;
    ASSERT_TRUE(receiver.listen(path()));
    EXPECT_TRUE(UrlHandoff::isPrivateSocket(path()));
    QSignalSpy urls(&receiver, &UrlHandoffReceiver::urlsReceived);
    QSignalSpy reopens(&receiver, &UrlHandoffReceiver::reopenRequested);

    const QList<QUrl> first {QUrl(QStringLiteral("lumivo://notify?type=call&detail=Front%20desk")), QUrl(QStringLiteral("lumivo://schedule"))};
    const QList<QUrl> second {QUrl(QStringLiteral("LUMIVO://NOTIFY?type=email&detail=a%0Ab"))};
    EXPECT_TRUE(UrlHandoff::send(path(), first));
    EXPECT_TRUE(UrlHandoff::send(path(), second));
    EXPECT_TRUE(UrlHandoff::send(path(), {}));
    settle(receiver, urls, 2);
    settle(receiver, reopens, 1);

    ASSERT_EQ(urls.count(), 2);
    EXPECT_EQ(urls.at(0).at(0).value<QList<QUrl>>(), first);
    // An encoded line break stays inside its address.
    EXPECT_EQ(urls.at(1).at(0).value<QList<QUrl>>(), second);
    EXPECT_EQ(reopens.count(), 1);
}

TEST_F(UrlHandoffTest, NobodyListeningMeansTheHandoffFails)
{
    EXPECT_FALSE(UrlHandoff::send(path(), {}));
    leaveStaleSocket();
    EXPECT_FALSE(UrlHandoff::send(path(), {}));
}

TEST_F(UrlHandoffTest, ASocketLeftByACrashedCopyIsTakenOver)
{
    leaveStaleSocket();
    UrlHandoffReceiver receiver;
    ASSERT_TRUE(receiver.listen(path()));
    QSignalSpy reopens(&receiver, &UrlHandoffReceiver::reopenRequested);
    EXPECT_TRUE(UrlHandoff::send(path(), {}));
    settle(receiver, reopens, 1);
    EXPECT_EQ(reopens.count(), 1);
}

TEST_F(UrlHandoffTest, ARunningCopysSocketIsNotTakenOver)
{
    UrlHandoffReceiver running;
    ASSERT_TRUE(running.listen(path()));
    UrlHandoffReceiver second;
    EXPECT_FALSE(second.listen(path()));
    EXPECT_TRUE(UrlHandoff::isPrivateSocket(path()));
}

TEST_F(UrlHandoffTest, RefusesSocketsOthersCanReachOrOwn)
{
    UrlHandoffReceiver receiver;
    ASSERT_TRUE(receiver.listen(path()));
    const QByteArray name = QFile::encodeName(path());

    ASSERT_EQ(::chmod(name.constData(), 0777), 0);
    EXPECT_FALSE(UrlHandoff::isPrivateSocket(path()));
    EXPECT_FALSE(UrlHandoff::send(path(), {}));

    ASSERT_EQ(::chmod(name.constData(), 0700), 0);
    if (::getuid() == 0) {
        // Only root can give a file away; that is how CI runs.
        ASSERT_EQ(::chown(name.constData(), 65534, 65534), 0);
        EXPECT_FALSE(UrlHandoff::send(path(), {}));
        UrlHandoffReceiver intruder;
        EXPECT_FALSE(intruder.listen(path())) << "another user's socket must not be removed";
        EXPECT_TRUE(QFile::exists(path()));
    }

    QFile plainFile(m_folder.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(plainFile.open(QIODevice::WriteOnly));
    EXPECT_FALSE(UrlHandoff::isPrivateSocket(plainFile.fileName()));
}

TEST_F(UrlHandoffTest, IgnoresWhatIsNotAHandoff)
{
    UrlHandoffReceiver receiver;
    ASSERT_TRUE(receiver.listen(path()));
    QSignalSpy urls(&receiver, &UrlHandoffReceiver::urlsReceived);
    QSignalSpy reopens(&receiver, &UrlHandoffReceiver::reopenRequested);

    const QList<QByteArray> messages {
        QByteArrayLiteral("hello\n"),
        QByteArrayLiteral("open \n"),
        QByteArrayLiteral("open http://exa mple.com/\n"),
        QByteArray(3 << 20, 'x'),
        QByteArrayLiteral("\xff\xfe\x00open"),
        QByteArrayLiteral("open lumivo://notify?type=call\ngarbage\n"),
    };
    for (const QByteArray& message : messages) {
        QLocalSocket socket;
        socket.connectToServer(path());
        ASSERT_TRUE(socket.waitForConnected(2000));
        socket.write(message);
        socket.waitForBytesWritten(2000);
        socket.disconnectFromServer();
    }
    settle(receiver, urls, 1);
    for (int turn = 0; turn < 10; ++turn)
        urls.wait(20);

    ASSERT_EQ(urls.count(), 1);
    EXPECT_EQ(urls.at(0).at(0).value<QList<QUrl>>(), QList<QUrl> {QUrl(QStringLiteral("lumivo://notify?type=call"))});
    EXPECT_EQ(reopens.count(), 0);
}

} // namespace
