// A second copy hands its addresses to the running one over a private socket,
// and the running copy stays reachable whatever its clients do.
#include "platform/desktop/UrlHandoff.h"
#include "support/QtPrinters.h"
#include "support/ResidentMemory.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <future>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace std::chrono_literals;
using UrlHandoff::Delivery;
using UrlHandoff::Request;

namespace {

const QUrl callLink(QStringLiteral("lumivo://notify?type=call&detail=Front%20desk"));

sockaddr_un addressOf(const QString& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    return address;
}

// A client socket of the test's own: connected (or refused) at once.
int connectRaw(const QString& path, bool blocking = false)
{
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | (blocking ? 0 : SOCK_NONBLOCK), 0);
    const sockaddr_un address = addressOf(path);
    if (::connect(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

// Writes data until it is all gone or the other side stops taking it; what was written.
qint64 writeAll(int descriptor, const QByteArray& data)
{
    qint64 written = 0;
    while (written < data.size()) {
        const ssize_t count =
            ::send(descriptor, data.constData() + written, size_t(data.size() - written), MSG_NOSIGNAL);
        if (count <= 0)
            break;
        written += count;
    }
    return written;
}

// The most this process has held resident since the last resetPeakResident().
qint64 peakResidentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return 0;
}
void resetPeakResident()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// Opens count connections one after another, all of them pushing what they
// can of size bytes each while the next ones open, none finishing its
// hand-over; then closes them all. Runs beside the receiver's thread.
void flood(const QString& path, int count, qsizetype size)
{
    const QByteArray payload(size, 'x');
    std::vector<std::pair<int, qsizetype>> clients; // descriptor, bytes sent
    while (int(clients.size()) < count) {
        const int client = connectRaw(path);
        if (client < 0) {
            ::usleep(1000); // the backlog is full until the receiver accepts
            continue;
        }
        clients.emplace_back(client, 0);
        for (auto& [descriptor, sent] : clients) {
            if (sent == size)
                continue;
            const ssize_t written =
                ::send(descriptor, payload.constData() + sent, size_t(size - sent), MSG_NOSIGNAL | MSG_DONTWAIT);
            // A connection the receiver let go takes no more.
            sent = written < 0 && errno != EAGAIN ? size : sent + std::max<ssize_t>(written, 0);
        }
    }
    for (const auto& [descriptor, sent] : clients)
        ::close(descriptor);
}

class UrlHandoffTest : public ::testing::Test {
protected:
    QString path() const { return m_folder.filePath(QStringLiteral("lumivo-companion.commandCenter.socket")); }

    // Leaves a socket file with nobody listening, as a crashed copy does.
    void leaveStaleSocket() const
    {
        const int descriptor = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const sockaddr_un address = addressOf(path());
        ASSERT_EQ(::bind(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        ::chmod(QFile::encodeName(path()).constData(), 0700);
        ::close(descriptor);
    }

    // Hands request over from another thread, as another process would,
    // while this thread's receiver answers.
    UrlHandoff::Outcome handOver(const Request& request, std::chrono::milliseconds timeout = 5s) const
    {
        std::future<UrlHandoff::Outcome> outcome = std::async(
            std::launch::async, [path = path(), request, timeout] { return UrlHandoff::send(path, request, timeout); });
        waitUntil([&] { return outcome.wait_for(0s) == std::future_status::ready; }, int(timeout.count()) + 2000);
        return outcome.get();
    }

    QTemporaryDir m_folder;
};

TEST(UrlHandoffRequest, ReopensWithoutArgumentsAndKeepsOnlyTheLinksThatParse)
{
    const QString program = QStringLiteral("lumivo-companion");
    EXPECT_EQ(UrlHandoff::requestFrom({program}), (Request{.reopen = true, .urls = {}}));
    const QString link = QString::fromUtf8(callLink.toEncoded());
    EXPECT_EQ(UrlHandoff::requestFrom({program, link}), (Request{.reopen = false, .urls = {callLink}}));

    // Links that all fail to parse ask nothing, not a reopen.
    const Request refused =
        UrlHandoff::requestFrom({program, QStringLiteral("lumivo://notify?type=call&detail=%ZZ"),
                                 QStringLiteral("/home/someone/file.txt"), QStringLiteral("not a link")});
    EXPECT_TRUE(refused.isEmpty());
    EXPECT_EQ(UrlHandoff::requestFrom({program, QStringLiteral("lumivo://notify?detail=%ZZ"), link}).urls,
              QList<QUrl>{callLink});

    // What goes over the wire comes back the same.
    const Request both{.reopen = true,
                       .urls = {callLink, QUrl(QStringLiteral("lumivo://notify?type=email&detail=a%0Ab"))}};
    EXPECT_EQ(UrlHandoff::decode(UrlHandoff::encode(both)), both);
    EXPECT_EQ(UrlHandoff::decode(UrlHandoff::encode({})), Request{});
}

TEST(UrlHandoffRequest, OnlyAMessageWhoseLastLineIsItsEndAsksAnything)
{
    const QByteArray whole = UrlHandoff::encode({.reopen = true, .urls = {callLink}});
    ASSERT_TRUE(whole.endsWith("\nend\n"));
    // Cut short anywhere, in the end line too.
    for (qsizetype length = 0; length < whole.size(); ++length)
        EXPECT_EQ(UrlHandoff::decode(whole.first(length)), std::nullopt) << whole.first(length).toStdString();
    for (const QByteArray& notWhole : {whole + "open lumivo://schedule\n", whole.chopped(1) + "\r\n",
                                       QByteArray("reopen\nxend\n"), QByteArray("reopen\n end\n")})
        EXPECT_EQ(UrlHandoff::decode(notWhole), std::nullopt) << notWhole.toStdString();
}

TEST_F(UrlHandoffTest, DeliversAddressesInOrderAndReopensWithoutAny)
{
    UrlHandoffReceiver receiver;
    ASSERT_TRUE(receiver.listen(path())) << receiver.problem().toStdString();
    EXPECT_TRUE(UrlHandoff::isPrivateSocket(path()));
    QSignalSpy urls(&receiver, &UrlHandoffReceiver::urlsReceived);
    QSignalSpy reopens(&receiver, &UrlHandoffReceiver::reopenRequested);

    const QList<QUrl> first{callLink, QUrl(QStringLiteral("lumivo://schedule"))};
    const QList<QUrl> second{QUrl(QStringLiteral("LUMIVO://NOTIFY?type=email&detail=a%0Ab"))};
    // Delivered means acted on: the running copy has announced it by then.
    EXPECT_EQ(handOver({.reopen = false, .urls = first}).delivery, Delivery::delivered);
    EXPECT_EQ(urls.count(), 1);
    EXPECT_EQ(handOver({.reopen = false, .urls = second}).delivery, Delivery::delivered);
    EXPECT_EQ(handOver({.reopen = true, .urls = {}}).delivery, Delivery::delivered);

    ASSERT_EQ(urls.count(), 2);
    EXPECT_EQ(urls.at(0).at(0).value<QList<QUrl>>(), first);
    // An encoded line break stays inside its address.
    EXPECT_EQ(urls.at(1).at(0).value<QList<QUrl>>(), second);
    EXPECT_EQ(reopens.count(), 1);
}

TEST_F(UrlHandoffTest, NobodyListeningMeansTheHandoffFails)
{
    EXPECT_EQ(handOver({.reopen = true, .urls = {}}).delivery, Delivery::unavailable);
    leaveStaleSocket();
    EXPECT_EQ(handOver({.reopen = true, .urls = {}}).delivery, Delivery::unavailable);
}

TEST_F(UrlHandoffTest, ASocketLeftByACrashedCopyIsTakenOverAndRemovedAtTheEnd)
{
    leaveStaleSocket();
    {
        UrlHandoffReceiver receiver;
        ASSERT_TRUE(receiver.listen(path()));
        QSignalSpy reopens(&receiver, &UrlHandoffReceiver::reopenRequested);
        EXPECT_EQ(handOver({.reopen = true, .urls = {}}).delivery, Delivery::delivered);
        EXPECT_EQ(reopens.count(), 1);
        receiver.close();
        EXPECT_FALSE(QFile::exists(path())) << "a clean quit leaves no socket behind";
    }

    // A copy that took the path over meanwhile keeps its socket.
    UrlHandoffReceiver earlier;
    ASSERT_TRUE(earlier.listen(path()));
    ASSERT_TRUE(QFile::remove(path()));
    UrlHandoffReceiver later;
    ASSERT_TRUE(later.listen(path()));
    earlier.close();
    EXPECT_TRUE(UrlHandoff::isPrivateSocket(path()));
}

TEST_F(UrlHandoffTest, TheSocketAppearsOnlyOnceItIsPrivateAndListening)
{
    // A second copy that looks while the first is starting must never find
    // a socket others could reach, nor one that nobody listens on.
    std::atomic<bool> starting = true;
    std::atomic<int> exposed = 0;
    std::thread watcher([&] {
        const QByteArray name = QFile::encodeName(path());
        while (starting) {
            struct stat status { };
            if (::lstat(name.constData(), &status) == 0 && (status.st_mode & (S_IRWXG | S_IRWXO)) != 0)
                ++exposed;
        }
    });
    for (int start = 0; start < 300; ++start) {
        UrlHandoffReceiver receiver;
        ASSERT_TRUE(receiver.listen(path())) << receiver.problem().toStdString();
    }
    starting = false;
    watcher.join();
    EXPECT_EQ(exposed, 0);
    EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::System | QDir::Files), QStringList()) << "nothing left behind";
}

TEST_F(UrlHandoffTest, ARunningCopysSocketIsNotTakenOver)
{
    UrlHandoffReceiver running;
    ASSERT_TRUE(running.listen(path()));
    UrlHandoffReceiver second;
    EXPECT_FALSE(second.listen(path()));
    EXPECT_FALSE(second.problem().isEmpty());
    EXPECT_TRUE(UrlHandoff::isPrivateSocket(path()));
}

TEST_F(UrlHandoffTest, RefusesSocketsOthersCanReachOrOwn)
{
    UrlHandoffReceiver receiver;
    ASSERT_TRUE(receiver.listen(path()));
    const QByteArray name = QFile::encodeName(path());

    ASSERT_EQ(::chmod(name.constData(), 0777), 0);
    EXPECT_FALSE(UrlHandoff::isPrivateSocket(path()));
    EXPECT_EQ(handOver({.reopen = true, .urls = {}}).delivery, Delivery::unsafe);

    ASSERT_EQ(::chmod(name.constData(), 0700), 0);
    if (::getuid() == 0) {
        // Only root can give a file away; that is how CI runs.
        ASSERT_EQ(::chown(name.constData(), 65534, 65534), 0);
        EXPECT_EQ(handOver({.reopen = true, .urls = {}}).delivery, Delivery::unsafe);
        UrlHandoffReceiver intruder;
        EXPECT_FALSE(intruder.listen(path())) << "another user's socket must not be removed";
        EXPECT_TRUE(QFile::exists(path()));
    }

    QFile plainFile(m_folder.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(plainFile.open(QIODevice::WriteOnly));
    EXPECT_FALSE(UrlHandoff::isPrivateSocket(plainFile.fileName()));
}

TEST_F(UrlHandoffTest, ActsOnlyOnWholeHandoversWhoseSenderWaitsAndIgnoresWhatIsNoHandoff)
{
    UrlHandoffReceiver receiver;
    ASSERT_TRUE(receiver.listen(path()));
    QSignalSpy urls(&receiver, &UrlHandoffReceiver::urlsReceived);
    QSignalSpy reopens(&receiver, &UrlHandoffReceiver::reopenRequested);

    // Each written whole, its sender waiting for the answer, but the last one, cut short.
    const QList<QByteArray> messages{
        QByteArrayLiteral("hello\nend\n"),
        QByteArrayLiteral("open \nend\n"),
        QByteArrayLiteral("open http://exa mple.com/\nend\n"),
        QByteArrayLiteral("open lumivo://notify?type=call&detail=%ZZ\nend\n"),
        QByteArrayLiteral("\xff\xfe\x00open\nend\n"),
        QByteArrayLiteral("open lumivo://notify?type=call\ngarbage\nend\n"),
        QByteArrayLiteral("open lumivo://schedule\nen"),
    };
    std::vector<int> clients;
    for (const QByteArray& message : messages) {
        clients.push_back(connectRaw(path()));
        ASSERT_EQ(writeAll(clients.back(), message), message.size());
        ::shutdown(clients.back(), SHUT_WR);
    }
    // Whole, from a sender that gave up before the receiver read it.
    const int gone = connectRaw(path());
    writeAll(gone, UrlHandoff::encode({.reopen = true, .urls = {QUrl(QStringLiteral("lumivo://schedule"))}}));
    ::close(gone);
    // Connections are taken in the order they came, each read to its end as
    // it is taken: once a later hand-over is confirmed, all have been judged.
    EXPECT_EQ(handOver({.reopen = false, .urls = {callLink}}).delivery, Delivery::delivered);
    ASSERT_EQ(urls.count(), 2);
    EXPECT_EQ(urls.at(0).at(0).value<QList<QUrl>>(), QList<QUrl>{QUrl(QStringLiteral("lumivo://notify?type=call"))});
    EXPECT_EQ(reopens.count(), 0);
    for (const int client : clients)
        ::close(client);
}

TEST_F(UrlHandoffTest, ConnectionsThatNeverSendCannotMakeItDeaf)
{
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    const rlimit previous = limit;
    limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, 4096);
    ::setrlimit(RLIMIT_NOFILE, &limit);
    if (limit.rlim_cur < 2200)
        GTEST_SKIP() << "too few descriptors allowed";

    UrlHandoffReceiver receiver;
    ASSERT_TRUE(receiver.listen(path()));
    QSignalSpy urls(&receiver, &UrlHandoffReceiver::urlsReceived);

    // 2,000 connections opened and held, none of them saying anything; the
    // ones the backlog has no room for are refused.
    std::vector<int> idle;
    for (int batch = 0; batch < 40; ++batch) {
        for (int index = 0; index < 50; ++index) {
            if (const int client = connectRaw(path()); client >= 0)
                idle.push_back(client);
        }
        QCoreApplication::processEvents();
    }
    // A hand-over behind them is taken once the receiver has been through them all.
    EXPECT_EQ(handOver({.reopen = false, .urls = {callLink}}).delivery, Delivery::delivered);
    EXPECT_EQ(urls.count(), 1);
    EXPECT_GT(idle.size(), 1000u);
    EXPECT_LE(receiver.connectionCount(), UrlHandoffReceiver::largestConnectionCount);
    EXPECT_TRUE(receiver.isListening());
    EXPECT_TRUE(UrlHandoff::isPrivateSocket(path()));

    // The idle ones that are still held are let go at their deadline.
    ASSERT_TRUE(waitUntil([&] { return receiver.connectionCount() == 0; }, 4000));
    for (const int client : idle)
        ::close(client);
    ::setrlimit(RLIMIT_NOFILE, &previous);
}

TEST_F(UrlHandoffTest, RunningOutOfDescriptorsOnlyDelaysAHandoff)
{
    UrlHandoffReceiver receiver;
    ASSERT_TRUE(receiver.listen(path()));
    QSignalSpy urls(&receiver, &UrlHandoffReceiver::urlsReceived);

    // A hand-over waiting in the backlog while the process has no descriptor left.
    const int client = connectRaw(path(), true);
    ASSERT_GE(client, 0);
    const QByteArray message = UrlHandoff::encode({.reopen = false, .urls = {callLink}});
    ASSERT_EQ(writeAll(client, message), message.size());
    ::shutdown(client, SHUT_WR);

    // The undefined-behaviour sanitizer checks the type of an object the
    // first time a member of its type is called on it, and needs a
    // descriptor to do so: make the calls the receiver makes when accepting
    // fails once, while descriptors are left.
    QSocketNotifier notifier(QSocketNotifier::Read);
    notifier.setEnabled(false);
    QTimer timer;
    timer.start(1h);
    timer.stop();

    // A few descriptors more than are open, then every one of them taken.
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    const rlimit previous = limit;
    limit.rlim_cur = std::min<rlim_t>(limit.rlim_cur, QDir(QStringLiteral("/proc/self/fd")).count() + 32);
    ::setrlimit(RLIMIT_NOFILE, &limit);
    std::vector<int> fillers;
    for (int filler; (filler = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
        fillers.push_back(filler);
    EXPECT_EQ(errno, EMFILE);
    // Time is the point: starved of descriptors through several of its pauses,
    // the receiver must neither deliver nor give up its socket.
    QTest::qWait(400);
    EXPECT_EQ(urls.count(), 0);
    EXPECT_TRUE(receiver.isListening());
    EXPECT_TRUE(UrlHandoff::isPrivateSocket(path())) << "the socket must outlive a failed accept";

    for (const int filler : fillers)
        ::close(filler);
    ::setrlimit(RLIMIT_NOFILE, &previous);
    EXPECT_TRUE(waitUntil([&] { return urls.count() == 1; }));
    char answer[8] = {};
    EXPECT_EQ(::read(client, answer, sizeof answer), 3);
    EXPECT_EQ(QByteArray(answer), QByteArray("ok\n"));
    ::close(client);
}

TEST_F(UrlHandoffTest, LargeSendersAreCutOffAndLeaveNothingBehind)
{
    UrlHandoffReceiver receiver;
    ASSERT_TRUE(receiver.listen(path()));
    QSignalSpy urls(&receiver, &UrlHandoffReceiver::urlsReceived);
    const QByteArray tenMegabytes(10'000'000, 'x');
    const QByteArray oneMegabyte(1'000'000, 'y');
    [[maybe_unused]] const qint64 residentBefore = residentBytes();

    // One client sending 10 MB is cut off near the cap.
    std::future<qint64> written = std::async(std::launch::async, [&] {
        const int client = connectRaw(path(), true);
        const qint64 count = writeAll(client, tenMegabytes);
        ::close(client);
        return count;
    });
    ASSERT_TRUE(waitUntil([&] { return written.wait_for(0s) == std::future_status::ready; }));
    EXPECT_LT(written.get(), 4'000'000) << "the receiver kept reading past its cap";

    // 50 clients sending 1 MB each at once.
    std::vector<std::thread> clients;
    std::atomic<int> finished = 0;
    for (int index = 0; index < 50; ++index) {
        clients.emplace_back([&] {
            if (const int client = connectRaw(path(), true); client >= 0) {
                writeAll(client, oneMegabyte);
                ::close(client);
            }
            ++finished;
        });
    }
    EXPECT_TRUE(waitUntil([&] { return finished == 50; }, 10000));
    for (std::thread& client : clients)
        client.join();

    EXPECT_EQ(handOver({.reopen = false, .urls = {callLink}}).delivery, Delivery::delivered);
    EXPECT_EQ(urls.count(), 1);
    EXPECT_EQ(urls.at(0).at(0).value<QList<QUrl>>(), QList<QUrl>{callLink});
#ifndef __SANITIZE_ADDRESS__
    // (The address sanitizer holds freed memory back on purpose.)
    EXPECT_LT(residentBytes() - residentBefore, 16 << 20) << "what the clients sent stayed in memory";
#endif
}

TEST(UrlHandoffReceiver, NewBytesPushOutWhatTheOldestConnectionsHold)
{
    constexpr qsizetype budget = 100;
    const struct {
        QList<qsizetype> others; // oldest first
        qsizetype held;          // by all, the reader included
        qsizetype arriving;
        QList<int> released;
    } cases[] = {
        {{}, 0, 100, {}},
        {{40, 30}, 90, 10, {}},
        {{40, 30}, 90, 11, {0}},
        {{40, 30}, 90, 60, {0, 1}},
        // Connections that hold nothing yet are kept: letting them go frees nothing.
        {{0, 40, 0, 30}, 90, 60, {1, 3}},
        {{0, 50, 20}, 80, 70, {1}},
        // The reader's own bytes are never the others' to free.
        {{10}, 100, 20, {0}},
    };
    for (const auto& [others, held, arriving, released] : cases) {
        EXPECT_EQ(UrlHandoffReceiver::connectionsToRelease(others, held, arriving, budget), released)
            << others.size() << " others, " << held << " held, " << arriving << " arriving";
    }
}

TEST_F(UrlHandoffTest, AFloodOfLargeHandoversHoldsLittleAndGivesItBack)
{
    UrlHandoffReceiver receiver;
    ASSERT_TRUE(receiver.listen(path()));
    QSignalSpy urls(&receiver, &UrlHandoffReceiver::urlsReceived);
    const qint64 residentBefore = residentBytes();
    resetPeakResident();

    // 950 connections sending 200 KB each (under the cap on one hand-over), three rounds.
    qsizetype mostBuffered = 0;
    for (int round = 0; round < 3; ++round) {
        std::future<void> flooding = std::async(std::launch::async, [path = path()] { flood(path, 950, 200 * 1024); });
        const auto floodEnded = [&] {
            mostBuffered = std::max(mostBuffered, receiver.bufferedBytes());
            return flooding.wait_for(0s) == std::future_status::ready;
        };
        waitUntil(floodEnded, 60000);
        ASSERT_EQ(flooding.wait_for(0s), std::future_status::ready);
    }
    EXPECT_LE(mostBuffered, UrlHandoffReceiver::largestBuffered);

    EXPECT_EQ(handOver({.reopen = false, .urls = {callLink}}).delivery, Delivery::delivered);
    EXPECT_EQ(urls.count(), 1);
#ifndef __SANITIZE_ADDRESS__
    // (The address sanitizer holds freed memory back on purpose.)
    EXPECT_LT(peakResidentBytes() - residentBefore, 32 << 20) << "the flood was held whole";
    EXPECT_LT(residentBytes() - residentBefore, 8 << 20) << "what the clients sent stayed in memory";
#endif
}

} // namespace
