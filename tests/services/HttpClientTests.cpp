#include "ServicesTestKit.h"
#include "support/HeardMessages.h"

#include "net/BoundedCookieJar.h"
#include "net/HttpAnswerReader.h"

#include <QTcpSocket>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

class HttpClientTest : public ::testing::Test {
protected:
    // Asks the test server for `path` and waits for the answer.
    std::optional<HttpAnswer> fetch(const QByteArray& path)
    {
        std::optional<HttpAnswer> answer;
        http.get(&context, server.origin().resolved(QUrl(QString::fromUtf8(path))),
                 [&](const HttpAnswer& received) { answer = received; });
        if (!waitUntil([&] { return answer.has_value(); }))
            return std::nullopt;
        return answer;
    }

    QUrl at(const char* path) const { return server.origin().resolved(QUrl(QString::fromLatin1(path))); }

    ManualScheduler scheduler;
    TestServer server;
    // The weather service's address reaches the test server through Qt's HTTP stack.
    HttpClient http{scheduler, addressesOf(server.origin())};
    QObject context;
};

} // namespace

TEST_F(HttpClientTest, GivesTheStatusAndBodyOfAWholeAnswer)
{
    server.answer("GET", "/ok", TestResponse::json("{\"a\": 1}"));
    server.answer("GET", "/missing", TestResponse::json("{\"error\": \"no\"}", 404));
    server.answer("GET", "/broken", TestResponse::withStatus(500));
    server.answer("GET", "/empty", TestResponse::withStatus(204));

    const auto ok = fetch("/ok");
    ASSERT_TRUE(ok);
    EXPECT_TRUE(ok->isOK());
    EXPECT_EQ(ok->body, QByteArray("{\"a\": 1}"));

    const auto missing = fetch("/missing");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 404);
    EXPECT_FALSE(missing->isOK());
    EXPECT_EQ(fetch("/broken")->status, 500);
    EXPECT_EQ(fetch("/empty")->status, 204);
}

TEST_F(HttpClientTest, AnAnswerThatDoesNotArriveWholeIsNoAnswer)
{
    server.answer("GET", "/cut", TestResponse::cutOff("{\"bots\": []}"));
    server.answer("GET", "/gone", TestResponse::hungUp());

    const auto cut = fetch("/cut");
    ASSERT_TRUE(cut);
    EXPECT_FALSE(cut->status.has_value());
    const auto gone = fetch("/gone");
    ASSERT_TRUE(gone);
    EXPECT_FALSE(gone->status.has_value());
}

TEST_F(HttpClientTest, NoServerIsNoAnswer)
{
    // A port that was free a moment ago and that nobody listens on now.
    QUrl address;
    {
        TestServer closed;
        address = closed.origin().resolved(QUrl(QStringLiteral("/x")));
    }
    std::optional<HttpAnswer> answer;
    http.get(&context, address, [&](const HttpAnswer& received) { answer = received; });
    ASSERT_TRUE(waitUntil([&] { return answer.has_value(); }));
    EXPECT_FALSE(answer->status.has_value());
}

TEST_F(HttpClientTest, GivesUpWhenItsTimeOutPassesOnTheSchedulerWhateverItWaitsFor)
{
    server.answer("GET", "/held", TestResponse::held());
    server.answer("GET", "/head", TestResponse::headWithoutEnd(20));
    server.answer("GET", "/interim", TestResponse::continueWithoutEnd(20));
    server.answer("GET", "/body", TestResponse::trickled(QByteArray(1000, ' '), 20));
    server.answer("GET", "/", TestResponse::held());
    // Meanwhile six requests, as many connections as HTTP stacks commonly keep to one server, are stuck.
    server.answer("GET", "/stuck", TestResponse::trickled(QByteArray(100000, ' '), 20));
    for (int stuck = 0; stuck < 6; ++stuck)
        http.get(&context, at("/stuck"), {}, 1h);
    // A listener whose one place in its queue is taken: a connection to it stays in the making.
    QTcpServer full;
    full.setListenBacklogSize(0);
    ASSERT_TRUE(full.listen(QHostAddress::LocalHost));
    full.pauseAccepting();
    QTcpSocket queued;
    queued.connectToHost(QHostAddress::LocalHost, full.serverPort());
    ASSERT_TRUE(queued.waitForConnected(5000));
    const auto reached = [&](const std::function<bool()>& state) { return waitUntil(state) && roundTrip(http); };
    const auto isHeld = [&] { return server.heldCount() == 1; };
    // Past the first line or interim answer.
    qint64 sentBefore = 0;
    const auto streams = [&] { return server.endlessCount() == 1 && server.endlessBytesSent() > sentBefore; };
    const struct {
        const char* state;
        QUrl address;
        std::function<bool()> reach;
    } cases[] = {
        {"connecting", QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(full.serverPort())),
         [&] { return reached([] { return true; }); }},
        {"waiting for the head", at("/held"), [&] { return reached(isHeld); }},
        {"reading the head", at("/head"), [&] { return reached(streams); }},
        {"reading interim answers", at("/interim"), [&] { return reached(streams); }},
        {"reading the body", at("/body"), [&] { return reached([&] { return server.countOf("/body") == 1; }); }},
        {"waiting through Qt", WeatherText::serviceAddress(), [&] { return reached(isHeld); }},
    };
    for (const auto& c : cases) {
        sentBefore = server.endlessBytesSent();
        std::optional<HttpAnswer> answer;
        http.get(
            &context, c.address, [&](const HttpAnswer& received) { answer = received; }, 8s);
        ASSERT_TRUE(c.reach()) << c.state;
        scheduler.advance(7999ms);
        EXPECT_FALSE(answer.has_value()) << c.state;
        scheduler.advance(1ms);
        ASSERT_TRUE(waitUntil([&] { return answer.has_value(); })) << c.state;
        EXPECT_FALSE(answer->status.has_value()) << c.state;
        // The server sees the client leave.
        EXPECT_TRUE(waitUntil([&] { return server.heldCount() == 0 && server.endlessCount() == 0; })) << c.state;
    }
}

TEST_F(HttpClientTest, TheDefaultTimeOutIsAMinute)
{
    server.answer("GET", "/slow", TestResponse::held());
    std::optional<HttpAnswer> answer;
    http.get(&context, server.origin().resolved(QUrl(QStringLiteral("/slow"))),
             [&](const HttpAnswer& received) { answer = received; });
    ASSERT_TRUE(waitUntil([&] { return server.heldCount() == 1; }));
    scheduler.advance(59s);
    ASSERT_TRUE(roundTrip(http));
    EXPECT_FALSE(answer.has_value());
    scheduler.advance(1s);
    EXPECT_TRUE(waitUntil([&] { return answer.has_value(); }));
}

TEST_F(HttpClientTest, ACancelledCallOrAGoneContextHearsNothing)
{
    server.answer("GET", "/slow", TestResponse::held());
    const QUrl slow = server.origin().resolved(QUrl(QStringLiteral("/slow")));

    server.answer("GET", "/", TestResponse::held());

    int heard = 0;
    HttpCall call = http.get(&context, slow, [&](const HttpAnswer&) { ++heard; });
    HttpCall throughQt = http.get(&context, WeatherText::serviceAddress(), [&](const HttpAnswer&) { ++heard; });
    auto shortLived = std::make_unique<QObject>();
    http.get(shortLived.get(), slow, [&](const HttpAnswer&) { ++heard; });
    ASSERT_TRUE(waitUntil([&] { return server.heldCount() == 3; }));

    call.cancel();
    call.cancel();
    throughQt.cancel();
    shortLived.reset();
    server.releaseHeld(TestResponse::json("{}"));
    scheduler.advance(1h);
    ASSERT_TRUE(roundTrip(http));
    EXPECT_EQ(heard, 0);
}

TEST_F(HttpClientTest, PostsJsonWithItsContentType)
{
    server.answer("POST", "/things", TestResponse::withStatus(201));
    std::optional<HttpAnswer> answer;
    http.postJson(&context, server.origin().resolved(QUrl(QStringLiteral("/things"))), "{\"id\":\"x\"}",
                  [&](const HttpAnswer& received) { answer = received; });
    ASSERT_TRUE(waitUntil([&] { return answer.has_value(); }));
    EXPECT_EQ(answer->status, 201);
    ASSERT_EQ(server.requests().size(), 1u);
    const TestRequest& request = server.requests().front();
    EXPECT_EQ(request.method, QByteArray("POST"));
    EXPECT_EQ(request.headers.value("content-type"), QByteArray("application/json"));
    EXPECT_EQ(request.body, QByteArray("{\"id\":\"x\"}"));
}

namespace {

TestResponse redirectTo(const QUrl& address)
{
    TestResponse response = TestResponse::withStatus(302);
    response.headers = {{"location", address.toEncoded()}};
    return response;
}

} // namespace

TEST_F(HttpClientTest, FollowsARedirectOnlyWithinItsOriginKeepingItsCookiesAndNeverInACircle)
{
    TestServer elsewhere;
    const QByteArray feed = "/api/companion/notifications";
    elsewhere.answer("GET", feed, TestResponse::json("{\"notifications\": []}"));
    // To an address with a user name in it, with a cookie set on the way.
    TestResponse toHere =
        TestResponse::redirect("http://someone:secret@" + server.origin().authority().toUtf8() + "/here");
    toHere.headers.emplaceBack("Set-Cookie", "seen=1");
    server.answer("GET", "/moved", toHere);
    server.answer("GET", "/here", TestResponse::json("{\"a\": 1}"));
    server.answer("GET", "/away", redirectTo(elsewhere.origin().resolved(QUrl(QString::fromUtf8(feed)))));
    server.answer("GET", "/circle", redirectTo(server.origin().resolved(QUrl(QStringLiteral("/circle")))));

    const auto moved = fetch("/moved");
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->body, QByteArray("{\"a\": 1}"));
    const TestRequest redirected = server.requestsTo("/here").front();
    EXPECT_EQ(redirected.headers.value("cookie"), "seen=1");
    EXPECT_EQ(redirected.headers.value("host"), server.origin().authority().toUtf8());
    const auto away = fetch("/away");
    ASSERT_TRUE(away);
    EXPECT_FALSE(away->status.has_value());
    EXPECT_EQ(elsewhere.requests().size(), 0U);
    const auto circle = fetch("/circle");
    ASSERT_TRUE(circle);
    EXPECT_FALSE(circle->status.has_value());
    EXPECT_EQ(server.countOf("/circle"), 1);
    // A jar full of the weather service's cookies pushes out none of the local server's, nor reaches it.
    TestResponse weather = TestResponse::text("+1");
    for (int n = 0; n < BoundedCookieJar::mostCookies; ++n)
        weather.headers.emplaceBack("Set-Cookie", "w" + QByteArray::number(n) + "=1");
    server.answer("GET", "/", weather);
    bool answered = false;
    http.get(&context, WeatherText::serviceAddress(), [&](const HttpAnswer&) { answered = true; });
    ASSERT_TRUE(waitUntil([&] { return answered; }));
    ASSERT_TRUE(fetch("/here"));
    EXPECT_EQ(server.requestsTo("/here").back().headers.value("cookie"), "seen=1");
}

TEST(BoundedCookieJar, HoldsTheNewestFewDozenOnceTheExpiredAreGoneAndIgnoresWhatTheRulesIgnore)
{
    // Puts cookies back as they were held, whether they have expired since or not.
    struct : BoundedCookieJar {
        using BoundedCookieJar::allCookies;
        using BoundedCookieJar::setAllCookies;
    } jar;
    const QUrl server(QStringLiteral("http://127.0.0.1:4173/"));
    for (int n = 0; n < 1000; ++n)
        jar.setCookiesFromUrl({QNetworkCookie("c" + QByteArray::number(n), "1")}, server);
    jar.setCookiesFromUrl({QNetworkCookie("c950", "2")}, server); // a replacement pushes out nothing
    EXPECT_EQ(jar.allCookies().value(0).name(), "c936");
    jar.setCookiesFromUrl({QNetworkCookie("new", "1")}, server); // the one set longest ago gives way
    EXPECT_EQ(jar.allCookies().value(0).name(), "c937");
    QList<QNetworkCookie> expiring = jar.allCookies();
    for (qsizetype n = 1; n < expiring.size(); ++n) // all but the one set longest ago have expired
        expiring[n].setExpirationDate(QDateTime::currentDateTimeUtc().addSecs(-1));
    jar.setAllCookies(expiring);
    // Control characters but a tab, in a name or a value, and more than 4,096 bytes of both are ignored.
    const QByteArray big(BoundedCookieJar::largestCookie - 1, 'x');
    const QByteArray nul("a\0b", 3);
    for (const QNetworkCookie& cookie :
         {QNetworkCookie("cr", "a\rx-injected: 1"), QNetworkCookie("nul", nul), QNetworkCookie("del", "a\x7f"),
          QNetworkCookie("a\rb", "1"), QNetworkCookie(nul, "1"), QNetworkCookie("a\x7f", "1"),
          QNetworkCookie("tab", "a\tb"), QNetworkCookie("b", big), QNetworkCookie("bb", big)})
        jar.setCookiesFromUrl({cookie}, server);
    QList<QByteArray> held;
    for (const QNetworkCookie& cookie : jar.cookiesForUrl(server))
        held.append(cookie.name());
    EXPECT_EQ(held, QList<QByteArray>({"c937", "tab", "b"}));
}

TEST(HttpRedirects, LeadOnlyToNewAddressesOfTheFirstOriginAndNotTooFar)
{
    const auto at = [](const char* address) { return QUrl(QString::fromLatin1(address)); };
    const QUrl feed = at("http://127.0.0.1:4173/api/companion/notifications?after=3");
    const QUrl moved = at("http://127.0.0.1:4173/api/v2/notifications?after=3");
    QList<QUrl> longChain{feed};
    for (int hop = 1; hop < Redirects::longestChain; ++hop)
        longChain.append(QUrl(QStringLiteral("http://127.0.0.1:4173/hop/%1").arg(hop)));
    const struct {
        QList<QUrl> visited;
        QUrl target;
        bool follows;
    } cases[] = {
        {{feed}, moved, true},
        {{feed}, at("http://127.0.0.2:4173/api/companion/notifications?after=3"), false},
        {{feed}, at("http://localhost:4173/api/companion/notifications?after=3"), false},
        {{feed}, at("http://127.0.0.1:4174/api/companion/notifications?after=3"), false},
        {{feed}, at("https://127.0.0.1:4173/api/companion/notifications?after=3"), false},
        {{feed}, at("http://127.0.0.1:4173/api/companion/notifications?after=3#again"), false},
        {{feed, moved}, feed, false},
        {{at("https://wttr.in/?format=%25t&u")}, at("https://wttr.in:443/?format=%25t&u&m"), true},
        {{at("http://127.0.0.1/")}, at("http://127.0.0.1:80/x"), true},
        {longChain, moved, true},
        {longChain + QList<QUrl>{at("http://127.0.0.1:4173/last")}, moved, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Redirects::follows(c.visited, c.target), c.follows) << c.target.toString().toStdString();
}

TEST_F(HttpClientTest, NothingIsReadFromAnAnswerOnceItIsCutOff)
{
    server.answer("GET", "/big", TestResponse::json(QByteArray(4096, ' ')));
    server.answer("GET", "/endless", TestResponse::withoutEnd());
    server.answer("GET", "/away", redirectTo(QUrl(QStringLiteral("http://127.0.0.2/"))));
    server.answer("GET", "/slow", TestResponse::held());
    server.answer("GET", "/endless-head", TestResponse::headWithoutEnd());
    server.answer("GET", "/endless-interim", TestResponse::continueWithoutEnd());
    HeardMessages heard;
    for (const QByteArray path : {"/big", "/endless", "/away", "/slow", "/endless-head", "/endless-interim"}) {
        std::optional<HttpAnswer> answer;
        http.get(
            &context, server.origin().resolved(QUrl(QString::fromUtf8(path))),
            [&](const HttpAnswer& received) { answer = received; }, HttpClient::defaultTimeout, 1024);
        if (path == "/slow") {
            ASSERT_TRUE(waitUntil([&] { return server.heldCount() == 1; }));
            scheduler.advance(HttpClient::defaultTimeout);
        }
        ASSERT_TRUE(waitUntil([&] { return answer.has_value(); })) << path.constData();
        EXPECT_FALSE(answer->status.has_value()) << path.constData();
        EXPECT_TRUE(waitUntil([&] { return server.endlessCount() == 0; })) << path.constData();
    }
    EXPECT_EQ(heard.messages(), QStringList());
}

namespace {

// A head of exactly size bytes, line ends included, announcing an empty body.
QByteArray headOfSize(qsizetype size)
{
    const QByteArray start = "HTTP/1.1 200 OK\r\nX-Filler: ";
    const QByteArray end = "\r\nContent-Length: 0\r\n\r\n";
    return start + QByteArray(size - start.size() - end.size(), 'a') + end;
}

} // namespace

TEST(HttpAnswerReader, FramesTheBodySkipsInterimAnswersAndRefusesWhatIsNotHttpOrTooLarge)
{
    using State = HttpAnswerReader::State;
    const QByteArray ok = "HTTP/1.1 200 OK\r\n";
    const QByteArray chunked = ok + "Transfer-Encoding: gzip, chunked\r\n\r\n";
    const auto encoded = [&](const char* coding) { return ok + "Content-Encoding: " + coding + "\r\n\r\n"; };
    const QByteArray gzipped = QByteArray::fromHex("1f8b0800000000000203cb48cdc9c9070086a6103605000000"); // "hello"
    const QByteArray ab = QByteArray::fromHex("1f8b08000000000002034b4c02006d48839e02000000");
    const QByteArray cd = QByteArray::fromHex("1f8b08000000000002034b4e0100da8fd64502000000");
    const QByteArray ef = QByteArray::fromHex("1f8b08000000000002034b4d0300704982fd02000000");
    const QByteArray longChunk = "1;" + QByteArray(20000, 'x') + "\r\na\r\n";
    const struct {
        QByteArray bytes;
        bool closed;
        State state;
        QByteArray body = {};
        int status = 200;
    } cases[] = {
        {ok + "Content-Length: 5\r\n\r\nhello, and more", false, State::complete, "hello"},
        {ok + "Content-Length: 5\r\n\r\nhel", true, State::refused},
        {chunked + "5;x=y\r\nhello\r\n1\r\n!\r\n0\r\nX-Sum: 1\r\n\r\n", false, State::complete, "hello!"},
        {chunked + "5\r\nhello\r\n", true, State::refused},
        {chunked + "5\r\nhelloX\r\n", false, State::refused},
        {chunked + "-5\r\n", false, State::refused},
        {"HTTP/1.0 200 OK\n\nto close", false, State::reading},
        {"HTTP/1.0 200 OK\n\nto close", true, State::complete, "to close"},
        {ok + "Transfer-Encoding: gzip\r\nContent-Length: 2\r\n\r\nto close", true, State::complete, "to close"},
        {"HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 103 Early Hints\r\nLink: </a>\r\n\r\n"
         "HTTP/1.1 201 Created\r\nContent-Length: 2\r\n\r\nok",
         false, State::complete, "ok", 201},
        {"HTTP/1.1 204 No Content\r\n\r\n", false, State::complete, {}, 204},
        {ok + "Content-Length:\r\n  2\r\n\r\nok", false, State::complete, "ok"},
        // Over the body's cap of 8 bytes, refused before the body comes.
        {ok + "Content-Length: 9\r\n\r\n", false, State::refused},
        {chunked + "5\r\nhello\r\n4\r\n", false, State::refused},
        {ok + "\r\n123456789", false, State::refused},
        {"SSH-2.0-OpenSSH_9.2\r\n", false, State::refused},
        {"HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\n\r\n", false, State::refused},
        {ok + "Content-Length: 2\r\nContent-Length: 3\r\n\r\nok", false, State::refused},
        {ok + "Content-Length: +2\r\n\r\nok", false, State::refused},
        {ok + "No colon here\r\n\r\n", false, State::refused},
        {ok + " folded first\r\n\r\n", false, State::refused},
        {headOfSize(HttpAnswerReader::largestHead), false, State::complete},
        {headOfSize(HttpAnswerReader::largestHead + 1), false, State::refused},
        // Heads without end are refused as soon as they pass the cap.
        {ok + "X-Long: " + QByteArray(HttpAnswerReader::largestHead, 'a'), false, State::refused},
        {ok + QByteArray("X-Filler: 0123456789\r\n").repeated(2000), false, State::refused},
        {QByteArray("HTTP/1.1 100 Continue\r\n\r\n").repeated(2000), false, State::refused},
        {chunked + "0\r\n" + QByteArray("X-Trailer: 0123456789\r\n").repeated(2000), false, State::refused},
        // Decoded, capped once decoded (a bomb ends at once); cut short, another coding, past the whole bound: refused.
        {encoded("gzip") + gzipped, true, State::complete, "hello"},
        {encoded("deflate") + qCompress("hello").mid(4), true, State::complete, "hello"},
        {encoded("deflate") + qCompress("hello").mid(6).chopped(4), true, State::complete, "hello"},
        {encoded("deflate") + qCompress(QByteArray(1 << 24, 'a')).mid(4), false, State::refused},
        {encoded("gzip") + gzipped.chopped(1), true, State::refused},
        // Members of gzip one after another; the cap counts them all, and nothing else may follow one.
        {encoded("gzip") + ab + cd, true, State::complete, "abcd"},
        {encoded("gzip") + ab + cd + ef, true, State::complete, "abcdef"},
        {encoded("gzip") + ab + cd + ef + ab + cd, true, State::refused},
        {encoded("gzip") + ab + "x", true, State::refused},
        {encoded("gzip") + ab + cd.left(3), true, State::refused},
        {encoded("br") + "hello", true, State::refused},
        {chunked + longChunk + longChunk + "0\r\n\r\n", false, State::refused},
    };
    for (const auto& c : cases) {
        // Whole, and a byte at a time.
        for (const qsizetype piece : {c.bytes.size(), qsizetype(1)}) {
            HttpAnswerReader reader(8);
            for (qsizetype at = 0; at < c.bytes.size(); at += piece)
                reader.read(QByteArrayView(c.bytes).sliced(at, std::min(piece, c.bytes.size() - at)));
            if (c.closed)
                reader.end();
            const std::string row = c.bytes.left(70).toStdString() + " in pieces of " + std::to_string(piece);
            ASSERT_EQ(reader.state(), c.state) << row;
            if (c.state == State::complete) {
                EXPECT_EQ(reader.body(), c.body) << row;
                EXPECT_EQ(reader.status(), c.status) << row;
            }
        }
    }
}

TEST(AddressMap, SendsOneOriginElsewhereKeepingTheRest)
{
    AddressMap addresses;
    addresses.redirect(QUrl(QStringLiteral("http://127.0.0.1:4173")), QUrl(QStringLiteral("http://127.0.0.1:50123")));

    EXPECT_EQ(addresses.resolve(QUrl(QStringLiteral("http://127.0.0.1:4173/api/fleet/bots?x=1#f"))),
              QUrl(QStringLiteral("http://127.0.0.1:50123/api/fleet/bots?x=1#f")));
    // Another port, host or scheme is another origin.
    for (const char* other : {"http://127.0.0.1:4317/", "http://localhost:4173/", "https://127.0.0.1:4173/"}) {
        const QUrl address(QString::fromLatin1(other));
        EXPECT_EQ(addresses.resolve(address), address) << other;
    }
    EXPECT_EQ(AddressMap().resolve(CompanionRoute::fleet()), CompanionRoute::fleet());
}
