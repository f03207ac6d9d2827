// What the polls tell the log: a local server that stops answering is
// reported once, however many polls meet it, and once again when it answers;
// every request is a debug message only when the logging rules ask for them.

#include "ServicesTestKit.h"

#include <QLoggingCategory>

#include <algorithm>

#include <gtest/gtest.h>

namespace {

// The messages of the lumivo.polling category while it lives, each as
// "<kind>: <text>", under the given logging rules.
class PollingLog {
public:
    explicit PollingLog(const QString& rules)
    {
        QLoggingCategory::setFilterRules(rules);
        s_current = this;
        m_previous = qInstallMessageHandler(&PollingLog::record);
    }
    ~PollingLog()
    {
        qInstallMessageHandler(m_previous);
        s_current = nullptr;
        QLoggingCategory::setFilterRules({});
    }

    QStringList messages;

    qsizetype countOf(const QString& prefix) const
    {
        return std::count_if(messages.begin(), messages.end(),
                             [&](const QString& line) { return line.startsWith(prefix); });
    }

private:
    static void record(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        if (qstrcmp(context.category, "lumivo.polling") != 0)
            return;
        static const char* const kinds[] = {"debug", "warning", "critical", "fatal", "info"};
        s_current->messages.append(QString::fromLatin1(kinds[type]) + QStringLiteral(": ") + text);
    }

    static inline PollingLog* s_current = nullptr;
    QtMessageHandler m_previous = nullptr;
};

TEST(PollingLog, ALocalServerThatStopsAnsweringIsReportedOnceAndOnceAgainWhenItAnswers)
{
    const struct {
        const char* rules;
        qsizetype debugMessages;
    } cases[] = {
        {"", 0},
        {"lumivo.polling.debug=true", 6},
    };
    for (const auto& [rules, debugMessages] : cases) {
        SCOPED_TRACE(rules);
        ServicesTestKit kit;
        bool down = true;
        kit.server.on("GET", "/api/companion/notifications", [&](const TestRequest&) {
            return down ? TestResponse::hungUp() : TestResponse::json(R"({"notifications":[]})");
        });
        kit.server.answer("GET", "/api/companion/agent-usage", TestResponse::hungUp());
        PollingLog log(QString::fromLatin1(rules));

        for (int poll = 0; poll < 2; ++poll) {
            ASSERT_TRUE(finishes([&](auto done) { kit.polling().pollCompanionNotifications(done); }));
            ASSERT_TRUE(finishes([&](auto done) { kit.polling().pollAgentUsage(done); }));
        }
        EXPECT_EQ(log.countOf(QStringLiteral("warning: the local server at http://127.0.0.1:4173 does not answer")), 1)
            << log.messages.join(u'\n').toStdString();
        EXPECT_EQ(log.countOf(QStringLiteral("info: ")), 0);

        // It answers again, then goes on answering: said once.
        down = false;
        ASSERT_TRUE(finishes([&](auto done) { kit.polling().pollCompanionNotifications(done); }));
        ASSERT_TRUE(finishes([&](auto done) { kit.polling().pollCompanionNotifications(done); }));
        EXPECT_EQ(log.countOf(QStringLiteral("info: the local server at http://127.0.0.1:4173 answers again")), 1)
            << log.messages.join(u'\n').toStdString();
        EXPECT_EQ(log.countOf(QStringLiteral("warning: ")), 1);
        EXPECT_EQ(log.countOf(QStringLiteral("debug: ")), debugMessages) << log.messages.join(u'\n').toStdString();
    }
}

} // namespace
