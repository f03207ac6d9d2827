// How the alert loop saves the last seen id: once per answer, however long,
// and never lost or half-written when the disk is full.

#include "ServicesTestKit.h"

#include <QJsonArray>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const QString key = LocalServerPolling::latestNotificationIDKey;

QByteArray feedOfIDs(qint64 first, qint64 last)
{
    QJsonArray alerts;
    for (qint64 id = first; id <= last; ++id)
        alerts.append(QJsonObject{{QStringLiteral("id"), id},
                                  {QStringLiteral("type"), QStringLiteral("email")},
                                  {QStringLiteral("detail"), QStringLiteral("Invoice %1").arg(id)}});
    return QJsonDocument(QJsonObject{{QStringLiteral("notifications"), alerts}}).toJson(QJsonDocument::Compact);
}

bool pollAlerts(ServicesTestKit& kit)
{
    return finishes([&](auto done) { kit.polling().pollCompanionNotifications(done); });
}

// Counts the times a file in a folder is written anew (settings are written
// to a temporary file that then takes the settings file's name). The moves
// from the temporary names keep the kernel from merging the moves onto the
// settings file's name.
class Rewrites {
public:
    Rewrites(const QString& folder, const QString& name) : m_name(QFile::encodeName(name))
    {
        m_descriptor = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        ::inotify_add_watch(m_descriptor, QFile::encodeName(folder).constData(), IN_MOVED_FROM | IN_MOVED_TO);
    }
    ~Rewrites() { ::close(m_descriptor); }

    int count()
    {
        alignas(inotify_event) char buffer[64 * 1024];
        for (ssize_t length; (length = ::read(m_descriptor, buffer, sizeof buffer)) > 0;) {
            for (char* at = buffer; at < buffer + length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                if ((event->mask & IN_MOVED_TO) && event->len > 0 && m_name == event->name)
                    ++m_count;
                at += sizeof(inotify_event) + event->len;
            }
        }
        return m_count;
    }

private:
    int m_descriptor = -1;
    QByteArray m_name;
    int m_count = 0;
};

// Writes of more than a byte fail while it lives, as on a full disk.
class FullDisk {
public:
    FullDisk()
    {
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_previous);
        rlimit full = m_previous;
        full.rlim_cur = 1;
        ::setrlimit(RLIMIT_FSIZE, &full);
    }
    ~FullDisk()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = nullptr;
};

} // namespace

TEST(AlertSaving, TenThousandAlertsInOneAnswerAreSavedWithOneWrite)
{
    ServicesTestKit kit({.storedSettings = QJsonObject{{key, 1}}});
    kit.server.answer("GET", "/api/companion/notifications", TestResponse::json(feedOfIDs(2, 10001)));
    Rewrites rewrites(QFileInfo(kit.modelKit.settingsPath).path(), QFileInfo(kit.modelKit.settingsPath).fileName());

    bool done = false;
    kit.polling().pollCompanionNotifications([&] { done = true; });
    // (Queueing 10,000 alerts takes many seconds under the sanitizers.)
    ASSERT_TRUE(waitUntil([&] { return done; }, 120000));
    EXPECT_EQ(kit.polling().latestNotificationID(), 10001);
    EXPECT_EQ(kit.storedSettings().value(key).toInteger(), 10001);
    EXPECT_EQ(rewrites.count(), 1);
    EXPECT_EQ(kit.model->activeAlert.get()->detail(), QStringLiteral("Invoice 2"));
}

TEST(AlertSaving, AnIdThatAFullDiskKeptOutIsWrittenAtTheNextSave)
{
    ServicesTestKit kit({.storedSettings = QJsonObject{{key, 1}}});
    kit.server.answerInTurn("GET", "/api/companion/notifications",
                            {TestResponse::json(feedOfIDs(2, 3)), TestResponse::json(feedOfIDs(4, 4))});
    {
        FullDisk full;
        ASSERT_TRUE(pollAlerts(kit));
        EXPECT_EQ(kit.polling().latestNotificationID(), 3);
        // The file keeps its last whole version, never a part of a new one.
        EXPECT_EQ(kit.storedSettings().value(key).toInteger(), 1);
    }
    // Any later save writes what is waiting; so does the one at shutdown.
    kit.settings->sync();
    EXPECT_EQ(kit.storedSettings().value(key).toInteger(), 3);
    {
        FullDisk full;
        ASSERT_TRUE(pollAlerts(kit));
    }
    kit.model->setGoogleOpensSeparately(false);
    EXPECT_EQ(kit.storedSettings().value(key).toInteger(), 4);
    EXPECT_EQ(kit.storedSettings().value(CompanionModel::googleSeparateKey), QJsonValue(false));
}

TEST(AlertSaving, AnAnswerCutShortByShutdownKeepsWhatItRaised)
{
    ServicesTestKit kit({.storedSettings = QJsonObject{{key, 1}}});
    kit.server.answer("GET", "/api/companion/notifications", TestResponse::json(feedOfIDs(2, 5001)));
    bool done = false;
    kit.polling().pollCompanionNotifications([&] { done = true; });
    ASSERT_TRUE(waitUntil([&] { return kit.polling().latestNotificationID() > 1; }));
    kit.polling().cancelAll();
    const qint64 raised = kit.polling().latestNotificationID();
    // The rest of the answer would be raised a slice per turn of the event loop.
    ASSERT_TRUE(roundTrip(kit.services->http));
    EXPECT_LT(raised, 5001) << "the whole answer went through in one turn";
    EXPECT_EQ(kit.polling().latestNotificationID(), raised) << "raising went on after shutdown";
    EXPECT_FALSE(done);

    // Shutdown writes the settings: the next run asks for what came after.
    kit.settings->sync();
    EXPECT_EQ(kit.storedSettings().value(key).toInteger(), raised);
}
