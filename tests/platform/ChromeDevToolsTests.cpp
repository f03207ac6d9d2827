// Chrome's remote-debugging endpoints as the tab closer meets them: what a
// browser's command line names, which targets an answer closes, several
// browsers each holding their own tabs, and a listener on the named port
// that answers without end, too much, too slowly or elsewhere.
#include "platform/desktop/ChromeDevTools.h"
#include "platform/fake/FakeWorkspace.h"
#include "server/TestServer.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

namespace {

using namespace Qt::StringLiterals;

// A command line as the kernel keeps it: each argument ends in a NUL byte.
QByteArray apart(std::initializer_list<QByteArray> arguments)
{
    QByteArray line;
    for (const QByteArray& argument : arguments)
        line += argument + '\0';
    return line;
}

TEST(ChromeSwitches, AreReadFromEitherFormOfTheCommandLine)
{
    const struct {
        const char* form;
        QByteArray commandLine;
        QStringList profiles;
        QStringList ports;
    } cases[] = {
        {"arguments apart",
         apart({"/opt/google/chrome/chrome", "--user-data-dir=/home/u/my profile", "--remote-debugging-port=9222"}),
         {u"/home/u/my profile"_s},
         {u"9222"_s}},
        {"a repeated switch, the last first",
         apart({"chrome", "--user-data-dir=/a", "--user-data-dir=/b"}),
         {u"/b"_s, u"/a"_s},
         {}},
        {"look-alikes and an empty value",
         apart({"chrome", "--user-data-dir-x=/a", "---user-data-dir=/b", "--user-data-dir="}),
         {},
         {}},
        {"as Chromium rewrites it",
         "/usr/lib/chromium/chromium --show-component-extension-options --user-data-dir=/tmp/p "
         "--remote-debugging-port=0 --no-sandbox about:blank"
             + QByteArray(1, '\0'),
         {u"/tmp/p"_s},
         {u"0"_s}},
        {"joined, pages after the last switch",
         "chromium --remote-debugging-port=9222 --user-data-dir=/home/u/my profile https://example.org/",
         {u"/home/u/my profile https://example.org/"_s, u"/home/u/my profile"_s, u"/home/u/my"_s},
         {u"9222"_s}},
        {"joined, a look-alike inside another value",
         "chromium --flag=x--user-data-dir=/a --user-data-dir=/b",
         {u"/b"_s},
         {}},
        {"the program alone", apart({"chrome"}), {}, {}},
    };
    for (const auto& row : cases) {
        EXPECT_EQ(ChromeDevTools::switchValues(row.commandLine, QLatin1String("user-data-dir")), row.profiles)
            << row.form;
        EXPECT_EQ(ChromeDevTools::switchValues(row.commandLine, QLatin1String("remote-debugging-port")), row.ports)
            << row.form;
    }
}

TEST(ChromeTargetList, GivesThePagesToCloseOnlyFromAPlainAnswer)
{
    const QByteArray targets = R"([
        {"id": "A", "type": "page", "url": "https://drive.google.com/"},
        {"id": "B", "type": "page", "url": "https://example.org/"},
        {"id": "C", "type": "service_worker", "url": "https://drive.google.com/sw.js"},
        {"id": "", "type": "page", "url": "https://drive.google.com/a"},
        {"id": "D", "type": "page", "url": "https://drive.google.com/b"},
        {"id": "E", "type": "page", "url": "https://drive.google.com/c"}
    ])";
    const auto onDrive = [](const QString& address) { return address.contains(QLatin1String("drive")); };
    const struct {
        const char* answer;
        int status;
        QByteArray body;
        qsizetype limit;
        std::optional<QStringList> ids;
    } cases[] = {
        {"a list", 200, targets, 10, QStringList{u"A"_s, u"D"_s, u"E"_s}},
        {"more matches than one press closes", 200, targets, 2, QStringList{u"A"_s, u"D"_s}},
        {"an empty list", 200, "[]", 10, QStringList{}},
        {"a redirect", 302, targets, 10, std::nullopt},
        {"an error", 500, targets, 10, std::nullopt},
        {"not a list", 200, R"({"id": "A"})", 10, std::nullopt},
        {"a cut-off list", 200, targets.left(80), 10, std::nullopt},
    };
    for (const auto& row : cases)
        EXPECT_EQ(ChromeDevTools::pagesToClose(row.status, row.body, onDrive, row.limit), row.ids) << row.answer;
}

// A browser's endpoint: a scripted server, and a profile folder that names its port.
struct Endpoint {
    Endpoint()
    {
        QFile port(QDir(profile.path()).filePath(QStringLiteral("DevToolsActivePort")));
        if (port.open(QIODevice::WriteOnly))
            port.write(QByteArray::number(server.port()) + "\n/devtools/browser/1\n");
    }
    int closeRequests() const
    {
        return int(std::count_if(server.requests().begin(), server.requests().end(),
                                 [](const TestRequest& request) { return request.path.startsWith("/json/close/"); }));
    }

    TestServer server;
    QTemporaryDir profile;
};

QByteArray pages(int count)
{
    QByteArray list = "[";
    for (int i = 0; i < count; ++i)
        list += (i ? "," : "") + QByteArray(R"({"id":")") + QByteArray::number(i)
            + R"(","type":"page","url":"https://drive.google.com/"})";
    return list + ']';
}

// Asks to close the pages that pass the test; what the closer told once done, -1 if it never was.
std::optional<qsizetype> closeTabs(BrowserTabs& tabs, const BrowserTabs::AddressTest& closes, int timeoutMs = 10000)
{
    const auto outcome = std::make_shared<std::optional<std::optional<qsizetype>>>();
    tabs.closeTabs(closes, [outcome](std::optional<qsizetype> closed) { *outcome = closed; });
    waitUntil([&] { return outcome->has_value(); }, timeoutMs);
    return outcome->value_or(-1);
}

TEST(ChromeEndpoints, EveryBrowserIsAskedAndClosesItsOwnMatches)
{
    const QByteArray other = R"([{"id": "O", "type": "page", "url": "https://example.org/"}])";
    const QByteArray drive = R"([{"id": "D", "type": "page", "url": "https://drive.google.com/"}])";
    // Listed, but closed by the user before the close arrives.
    const QByteArray gone = R"([{"id": "G", "type": "page", "url": "https://drive.google.com/a"}])";
    const auto onDrive = [](const QString& address) { return address.contains(QLatin1String("drive")); };
    const struct {
        const char* browsers;
        TestResponse firstList, secondList;
        std::optional<qsizetype> closed;
        int firstCloses, secondCloses;
    } cases[] = {
        {"none answers", TestResponse::hungUp(), TestResponse::withStatus(404), std::nullopt, 0, 0},
        {"one answers, without a match", TestResponse::json(other), TestResponse::hungUp(), 0, 0, 0},
        {"the second holds the match", TestResponse::json(other), TestResponse::json(drive), 1, 0, 1},
        {"both hold matches", TestResponse::json(drive), TestResponse::json(drive), 2, 1, 1},
        {"the first never answers", TestResponse::held(), TestResponse::json(drive), 1, 0, 1},
        {"the match is gone", TestResponse::json(gone), TestResponse::json(other), 0, 1, 0},
    };
    for (const auto& row : cases) {
        Endpoint first, second;
        for (Endpoint* endpoint : {&first, &second})
            endpoint->server.answer("GET", "/json/close/D", TestResponse::text("Target is closing"));
        first.server.answer("GET", "/json/list", row.firstList);
        second.server.answer("GET", "/json/list", row.secondList);
        FakeWorkspace workspace;
        ChromeDevTools tabs(workspace, {first.profile.path(), second.profile.path()});
        EXPECT_EQ(closeTabs(tabs, onDrive), row.closed) << row.browsers;
        EXPECT_EQ(first.closeRequests(), row.firstCloses) << row.browsers;
        EXPECT_EQ(second.closeRequests(), row.secondCloses) << row.browsers;
    }
}

TEST(ChromeEndpoints, OnePressClosesNoMoreTabsThanItsLimitInAllBrowsers)
{
    Endpoint first, second;
    for (Endpoint* endpoint : {&first, &second}) {
        endpoint->server.answer("GET", "/json/list", TestResponse::json(pages(300)));
        for (int i = 0; i < 300; ++i)
            endpoint->server.answer("GET", "/json/close/" + QByteArray::number(i),
                                    TestResponse::text("Target is closing"));
    }
    FakeWorkspace workspace;
    ChromeDevTools tabs(workspace, {first.profile.path(), second.profile.path()});
    EXPECT_EQ(closeTabs(tabs, [](const QString&) { return true; }), ChromeDevTools::limits.closes);
    EXPECT_EQ(first.closeRequests() + second.closeRequests(), ChromeDevTools::limits.closes);
}

TEST(ChromeEndpoints, OnePressAsksAFewDozenPortsThoseInProfileFoldersFirst)
{
    const ChromeDevTools::Endpoints few = ChromeDevTools::endpointsToAsk({std::nullopt, 9222}, {9333, 9222, {}});
    EXPECT_EQ(few.ports, QList<quint16>({9222, 9333}));
    EXPECT_EQ(few.leftOut, 0);
    QList<std::optional<quint16>> thousands;
    for (int port = 1; port <= 3000; ++port)
        thousands.append(quint16(port));
    const ChromeDevTools::Endpoints many = ChromeDevTools::endpointsToAsk({40000}, thousands);
    EXPECT_EQ(many.ports.first(2), QList<quint16>({40000, 1}));
    EXPECT_EQ(many.ports.size(), ChromeDevTools::limits.endpoints);
    EXPECT_EQ(many.leftOut, 3001 - ChromeDevTools::limits.endpoints);
}

class ChromeEndpointTest : public ::testing::Test {
protected:
    std::optional<qsizetype> closeEveryPage(int timeoutMs = 10000)
    {
        return closeTabs(
            tabs, [](const QString&) { return true; }, timeoutMs);
    }

    Endpoint endpoint;
    FakeWorkspace workspace;
    ChromeDevTools tabs{workspace, {endpoint.profile.path()}};
};

TEST_F(ChromeEndpointTest, AnAnswerWithoutEndIsCutOff)
{
    for (const TestResponse& endless :
         {TestResponse::withoutEnd(), TestResponse::headWithoutEnd(), TestResponse::continueWithoutEnd()}) {
        endpoint.server.answer("GET", "/json/list", endless);
        EXPECT_EQ(closeEveryPage(), std::nullopt);
        EXPECT_TRUE(waitUntil([&] { return endpoint.server.endlessCount() == 0; })) << "the closer hung up";
    }
    // What the sockets' buffers held besides.
    EXPECT_LT(endpoint.server.endlessBytesSent(), ChromeDevTools::limits.listBytes + (8 << 20));
}

TEST_F(ChromeEndpointTest, AListLongerThanAnyBrowsersClosesNothing)
{
    // Over 5 MB, from a list that could close every tab.
    endpoint.server.answer("GET", "/json/list", TestResponse::json(pages(100000)));
    EXPECT_EQ(closeEveryPage(), std::nullopt);
    EXPECT_EQ(endpoint.closeRequests(), 0);
}

TEST_F(ChromeEndpointTest, ATrickledAnswerMeetsTheDeadline)
{
    // One byte every quarter second: the list would be whole after 15 s.
    endpoint.server.answer("GET", "/json/list", TestResponse::trickled("[" + QByteArray(58, ' ') + "]", 250));
    EXPECT_EQ(closeEveryPage(12000), std::nullopt);
}

TEST_F(ChromeEndpointTest, APortFileThatIsNoRegularFileIsNotRead)
{
    // A FIFO naming the port, held open by a writer: opened without one, it would wait.
    const QByteArray portFile = QFile::encodeName(QDir(endpoint.profile.path()).filePath(u"DevToolsActivePort"_s));
    ASSERT_TRUE(::unlink(portFile) == 0 && ::mkfifo(portFile, 0600) == 0);
    const int writer = ::open(portFile, O_RDWR);
    const QByteArray port = QByteArray::number(endpoint.server.port()) + '\n';
    ASSERT_EQ(::write(writer, port.constData(), size_t(port.size())), port.size());
    EXPECT_EQ(closeEveryPage(), std::nullopt);
    EXPECT_TRUE(endpoint.server.requests().empty());
    ::close(writer);
}

TEST_F(ChromeEndpointTest, ARedirectIsNotFollowed)
{
    TestServer elsewhere;
    elsewhere.answer("GET", "/json/list", TestResponse::json(pages(1)));
    endpoint.server.answer("GET", "/json/list", TestResponse::redirect(elsewhere.origin().toEncoded() + "/json/list"));
    EXPECT_EQ(closeEveryPage(), std::nullopt);
    EXPECT_TRUE(elsewhere.requests().empty());
}

} // namespace
