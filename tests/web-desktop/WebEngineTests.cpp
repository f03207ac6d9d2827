#include "WebDesktopKit.h"
#include "support/QtPrinters.h"

#include <QProcess>
#include <QStandardPaths>

#include <csignal>

namespace {

QByteArray mediaPage()
{
    return pageFilledBy("asking", "", R"(
        const ask = new URLSearchParams(location.search).get('ask');
        const answer = text => document.title = location.hostname + ' ' + ask + ': ' + text;
        navigator.mediaDevices.getUserMedia({audio: ask !== 'camera', video: ask !== 'microphone'})
            .then(() => answer('granted'), error => answer('refused ' + error.name));
    )");
}

QUrl onHost(QUrl url, const QString& host)
{
    url.setHost(host);
    return url;
}

TEST(WebEngineLoader, FindsTheModuleInAFolderNamedRelatively)
{
    const QString before = QDir::currentPath();
    QDir::setCurrent(QStringLiteral(LUMIVO_BINARY_DIR));
    EXPECT_EQ(WebEngineLoader::load({QStringLiteral("tests"), QStringLiteral("src")}),
              WebEngineLoader::load(engineFolders));
    EXPECT_NE(WebEngineLoader::load(engineFolders), nullptr);
    QDir::setCurrent(before);
}

TEST_F(WebDesktop, OnlyTheLocalServersPagesGetTheMicrophoneAndNobodyIsAsked)
{
    kit.server().answer("GET", "/media", TestResponse::html(mediaPage()));
    const std::unique_ptr<WebWindow> window = makeWindow();
    ASSERT_NE(window, nullptr);
    const QUrl page = kit.served(QStringLiteral("/media"));
    const QString refused = QStringLiteral("refused NotAllowedError");
    const struct {
        const char* host;
        const char* ask;
        QString answer;
    } cases[] = {
        {"127.0.0.1", "microphone", QStringLiteral("granted")},
        {"127.0.0.1", "camera", refused},
        {"127.0.0.1", "both", refused},
        {"localhost", "microphone", QStringLiteral("granted")},
        {"localhost", "camera", refused},
        {"localhost", "both", refused},
        // Another host name on the loopback address, still a secure origin.
        {"elsewhere.localhost", "microphone", refused},
    };
    for (const auto& [host, ask, answer] : cases) {
        QUrl url = onHost(page, QString::fromLatin1(host));
        url.setQuery(QStringLiteral("ask=") + QString::fromLatin1(ask));
        window->show(url);
        const QString question = QStringLiteral("%1 %2: ").arg(QString::fromLatin1(host), QString::fromLatin1(ask));
        EXPECT_TRUE(waitUntil([&] { return pageTitle(*window).startsWith(question); }, 20000))
            << pageTitle(*window).toStdString();
        EXPECT_EQ(pageTitle(*window), question + answer);
    }
}

// The engine's renderer processes that belong to this program.
QList<qint64> ownRenderers()
{
    const auto parentOf = [](qint64 pid) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            return qint64(0);
        const QByteArray text = stat.readAll();
        return text.mid(text.lastIndexOf(')') + 2).split(' ').value(1).toLongLong();
    };
    QList<qint64> renderers;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        QFile commandLine(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (!number || !commandLine.open(QIODevice::ReadOnly) || !commandLine.readAll().contains("--type=renderer"))
            continue;
        for (qint64 ancestor = parentOf(pid); ancestor > 1; ancestor = parentOf(ancestor)) {
            if (ancestor == QCoreApplication::applicationPid()) {
                renderers.append(pid);
                break;
            }
        }
    }
    return renderers;
}

TEST_F(WebDesktop, APageThatCouldNotBeShownLoadsAgainOnTheNextShow)
{
    // The local server is not answering yet.
    kit.server().answer("GET", "/", TestResponse::hungUp());
    kit.model().openChat();
    WebWindow& chat = *kit.windows->chatWindow();
    ASSERT_TRUE(waitUntil([&] { return chat.currentURL().isEmpty(); }, 20000));

    kit.server().answer("GET", "/", TestResponse::html(pageFilledBy("chat", "Chat")));
    kit.model().openChat();
    ASSERT_TRUE(titleBecomes(chat, QStringLiteral("chat")));
    EXPECT_EQ(kit.server().countOf("/"), 2);

    // Its renderer dies.
    const QList<qint64> renderers = ownRenderers();
    ASSERT_FALSE(renderers.isEmpty());
    for (const qint64 pid : renderers)
        ::kill(pid_t(pid), SIGKILL);
    EXPECT_TRUE(waitUntil([] { return ownRenderers().isEmpty(); }, 10000));
    EXPECT_TRUE(waitUntil([&] { return chat.currentURL().isEmpty(); }, 10000));

    kit.model().openChat();
    EXPECT_TRUE(waitUntil([&] { return kit.server().countOf("/") == 3; }, 10000));
    EXPECT_TRUE(titleBecomes(chat, QStringLiteral("chat")));
}

// Runs the companion's chat window in a program of its own, which opens the
// chat page, waits for it and quits; true when all of that went well.
bool runQuittingProgram(const QUrl& server,
                        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QStringLiteral(LUMIVO_WEB_QUIT), {server.toString()});
    const bool ended = waitUntil([&] { return program.state() == QProcess::NotRunning; }, 60000);
    return ended && program.exitStatus() == QProcess::NormalExit && program.exitCode() == EXIT_SUCCESS;
}

TEST_F(WebDesktop, WithoutOpenGLThePageStillLoadsAndTheProgramQuitsCleanly)
{
    kit.server().answer("GET", "/", TestResponse::html(pageFilledBy("visited", "Chat")));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_XCB_GL_INTEGRATION"), QStringLiteral("none"));
    EXPECT_TRUE(runQuittingProgram(kit.server().origin(), environment));
}

TEST_F(WebDesktop, TheServersCookiesOutlastTheProgram)
{
    kit.server().on("GET", "/", [](const TestRequest&) {
        TestResponse page = TestResponse::html(pageFilledBy("visited", "Chat"));
        page.headers.append(std::pair<QByteArray, QByteArray>("Set-Cookie", "visitor=returning; Max-Age=3600; Path=/"));
        return page;
    });
    ASSERT_TRUE(runQuittingProgram(kit.server().origin()));
    ASSERT_TRUE(runQuittingProgram(kit.server().origin()));
    const std::vector<TestRequest> visits = kit.server().requestsTo("/");
    ASSERT_EQ(visits.size(), 2u);
    EXPECT_FALSE(visits[0].headers.contains("cookie"));
    EXPECT_EQ(visits[1].headers.value("cookie"), "visitor=returning");

    // Kept under the user's data folder, one profile per edition.
    const QString profile = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/lumivo-web-quit/QtWebEngine/commandCenter");
    EXPECT_TRUE(QFileInfo(profile + QStringLiteral("/Cookies")).isFile()) << profile.toStdString();
}

} // namespace
