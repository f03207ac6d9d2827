#include "services/ChatContextPacket.h"
#include "support/QtPrinters.h"

#include "model/CompanionDestinations.h"

#include <QJsonDocument>
#include <QUrlQuery>

#include <gtest/gtest.h>

#include <random>

namespace {

QJsonObject object(const char* json) { return QJsonDocument::fromJson(QByteArray(json)).object(); }

QString packetOf(const char* json, const QString& request = QStringLiteral("What now?"))
{
    return ChatContextPacket::fromSnapshot(object(json), request);
}

QStringList linesOf(const char* json) { return packetOf(json).split(u'\n'); }

const char* fullSnapshot = R"({
  "refreshedAtIso": "2024-05-02T09:15:00Z",
  "accountsReceivable": {"summary": {"cashInMercury": "$48,200", "expectedRevenueMtd": 91000,
                                     "collectedRevenueMtd": 63250.5, "openAr": "$27,750",
                                     "expectedRemainingCollections": 0.1}},
  "payrollSummary": {"actualMtd": "$31,000"},
  "softwareSpendSummary": {"actualMtd": 2400},
  "customerSummary": {"total": 42, "unpaid": 3, "unpaidRevenue": "$5,100"},
  "validation": {"status": "Needs Review", "summary": {"updatedToday": 12, "needsReview": 2, "missing": 1}},
  "integrationHealth": [
    {"name": "Mercury", "state": "live", "detail": "synced 5 min ago", "connected": true},
    {"name": "Gusto", "state": "stale", "detail": "token expired", "connected": false}
  ],
  "unrelated": {"nested": [1, 2, 3]}
})";

} // namespace

TEST(ChatContextPacket, WritesEveryFigureOfAFullSnapshotInItsPlace)
{
    const QString expected = QString::fromUtf8(
        "VARADI OS 2.0 LIVE CONTEXT\n"
        "As of: 2024-05-02T09:15:00Z\n"
        "Cash in Mercury: $48,200\n"
        "Expected revenue MTD: 91000\n"
        "Collected revenue MTD: 63250.5\n"
        "Open A/R: $27,750\n"
        "Expected remaining collections: 0.1\n"
        "Payroll actual MTD: $31,000\n"
        "Software actual MTD: 2400\n"
        "Customers: 42; unpaid: 3; unpaid revenue: $5,100\n"
        "Validation: Needs Review; 12 updated, 2 review, 1 missing\n"
        "\n"
        "PROVIDER STATUS\n"
        "Mercury: live [ready] — synced 5 min ago\n"
        "Gusto: stale [not ready] — token expired\n"
        "\n"
        "RULES\n"
        "Treat only ready/live sources as current evidence. Preserve Missing, Needs Review, Not Verified, stale, "
        "and blocked wording. Never invent unavailable figures.\n"
        "\n"
        "REQUEST\n"
        "What now?");
    EXPECT_EQ(packetOf(fullSnapshot), expected);
}

TEST(ChatContextPacket, AnEmptySnapshotReadsMissingEverywhere)
{
    const QStringList lines = linesOf("{}");
    ASSERT_EQ(lines.size(), 20);
    EXPECT_EQ(lines[1], QStringLiteral("As of: Missing"));
    EXPECT_EQ(lines[9], QStringLiteral("Customers: Missing; unpaid: Missing; unpaid revenue: Missing"));
    EXPECT_EQ(lines[10], QStringLiteral("Validation: Missing; Missing updated, Missing review, Missing missing"));
    EXPECT_EQ(lines[13], QStringLiteral("Missing provider status"));
    EXPECT_EQ(lines.last(), QStringLiteral("What now?"));
    EXPECT_FALSE(packetOf("{}").endsWith(u'\n'));
}

TEST(ChatContextPacket, AMemberThatIsNoObjectLeavesItsFiguresMissing)
{
    const QStringList lines = linesOf(R"({"accountsReceivable": 12, "validation": {"status": "OK", "summary": []}})");
    for (int line = 2; line <= 6; ++line)
        EXPECT_TRUE(lines[line].endsWith(QStringLiteral(": Missing"))) << lines[line].toStdString();
    EXPECT_EQ(lines[10], QStringLiteral("Validation: OK; Missing updated, Missing review, Missing missing"));
}

TEST(ChatContextPacket, ValuesReadAsTheSnapshotWritesThem)
{
    const std::vector<std::pair<const char*, const char*>> cases{
        {R"("$1,000.00")", "$1,000.00"},
        {R"("")", ""},
        {"42", "42"},
        {"-7", "-7"},
        {"9007199254740993", "9007199254740993"},
        {"2.5", "2.5"},
        {"0.1", "0.1"},
        {"3.0", "3"},
        {"1e3", "1000"},
        {"1.5e-7", "1.5e-07"},
        {"true", "1"},
        {"false", "0"},
        {"null", "Missing"},
        {"{}", "Missing"},
        {"[1]", "Missing"},
    };
    for (const auto& [json, shown] : cases) {
        const QByteArray snapshot = QByteArray(R"({"refreshedAtIso": )") + json + "}";
        const QStringList lines =
            ChatContextPacket::fromSnapshot(QJsonDocument::fromJson(snapshot).object(), {}).split(u'\n');
        EXPECT_EQ(lines[1], QStringLiteral("As of: ") + QString::fromUtf8(shown)) << json;
    }
}

TEST(ChatContextPacket, OnlyTrueOrTheNumberOneMakesAProviderReady)
{
    const std::vector<std::pair<const char*, const char*>> cases{
        {"true", "ready"},          {"1", "ready"},        {"1.0", "ready"},
        {"false", "not ready"},     {"0", "not ready"},    {"2", "not ready"},
        {R"("true")", "not ready"}, {"null", "not ready"}, {"{}", "not ready"},
    };
    for (const auto& [json, state] : cases) {
        const QByteArray snapshot =
            QByteArray(R"({"integrationHealth": [{"name": "A", "state": "s", "detail": "d", "connected": )") + json
            + "}]}";
        const QStringList lines =
            ChatContextPacket::fromSnapshot(QJsonDocument::fromJson(snapshot).object(), {}).split(u'\n');
        EXPECT_EQ(lines[13], QStringLiteral("A: s [%1] — d").arg(QString::fromUtf8(state))) << json;
    }
    // A provider without "connected" (or anything else) still gets its line.
    EXPECT_EQ(linesOf(R"({"integrationHealth": [{}]})")[13], QStringLiteral("Missing: Missing [not ready] — Missing"));
}

TEST(ChatContextPacket, ProvidersMustBeAListOfObjectsOnly)
{
    for (const char* json : {R"({"integrationHealth": []})", R"({"integrationHealth": {"name": "A"}})",
                             R"({"integrationHealth": [{"name": "A"}, 3]})", R"({"integrationHealth": "all fine"})"})
        EXPECT_EQ(linesOf(json)[13], QStringLiteral("Missing provider status")) << json;
}

TEST(ChatContextPacket, TheFallbackSaysTheContextIsUnavailable)
{
    EXPECT_EQ(
        ChatContextPacket::fallback(QStringLiteral("Help")),
        QStringLiteral("VARADI OS LIVE CONTEXT\nLive context could not be loaded from the local Varadi OS server. "
                       "State that the dashboard context is unavailable and do not estimate.\n\nREQUEST\nHelp"));
    EXPECT_EQ(ChatContextPacket::standardRequest(),
              QStringLiteral("Review this live Varadi OS context and tell me what requires my attention now."));
}

TEST(ChatContextPacket, OnlyABodyWithAnObjectAtTheTopGivesAFullPacket)
{
    const QString request = QStringLiteral("R");
    EXPECT_EQ(ChatContextPacket::fromSnapshotBody(fullSnapshot, request), packetOf(fullSnapshot, request));
    EXPECT_EQ(ChatContextPacket::fromSnapshotBody("{}", request), packetOf("{}", request));
    for (const char* body : {"", "[]", "[{}]", "\"text\"", "42", "{", "{} {}", "<html>down</html>"})
        EXPECT_EQ(ChatContextPacket::fromSnapshotBody(QByteArray(body), request), ChatContextPacket::fallback(request))
            << body;
}

TEST(ChatContextPacket, ThePacketTravelsWholeAsTheOnlyQueryItem)
{
    const QString packet = packetOf(R"({"refreshedAtIso": "a+b & c=d #1 100% ?"})") + QStringLiteral(" é ✓");
    const QUrl page = ChatContextPacket::assistantPage(packet);
    EXPECT_TRUE(page.isValid());
    EXPECT_EQ(page.adjusted(QUrl::RemoveQuery), CompanionRoute::lumivoGPT().adjusted(QUrl::RemoveQuery));

    const QUrlQuery query(page);
    ASSERT_EQ(query.queryItems().size(), 1);
    EXPECT_EQ(query.queryItems().at(0).first, QStringLiteral("q"));
    EXPECT_EQ(query.queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded), packet);
    // A reader that takes "+" for a space must still get the packet back.
    const QByteArray encoded = page.toEncoded();
    EXPECT_FALSE(encoded.mid(encoded.indexOf('?')).contains('+'));
}

// Mutations of a real snapshot: any body gives a packet of one of the two
// shapes, and never crashes.
TEST(ChatContextPacket, AnyBodyGivesAPacketOrTheFallback)
{
    std::mt19937 random(7);
    const QByteArray seed(fullSnapshot);
    const QString request = QStringLiteral("R");
    for (int round = 0; round < 5000; ++round) {
        QByteArray body = seed;
        for (int i = 0, edits = 1 + round % 8; i < edits; ++i) {
            const int at = int(random() % size_t(body.size()));
            const char bytes[] = "{}[]\",:0123456789.eE-+tfnul \\\x80\xff";
            body[at] = bytes[random() % (sizeof bytes - 1)];
        }
        const QString packet = ChatContextPacket::fromSnapshotBody(body, request);
        EXPECT_TRUE(packet.startsWith(QStringLiteral("VARADI OS 2.0 LIVE CONTEXT\n"))
                    || packet == ChatContextPacket::fallback(request));
        EXPECT_TRUE(packet.endsWith(QStringLiteral("\nREQUEST\nR")));
    }
}
