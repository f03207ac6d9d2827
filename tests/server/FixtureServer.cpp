#include "FixtureServer.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

namespace {

QByteArray compact(const QJsonValue& value)
{
    if (value.isObject())
        return QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
    return QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact);
}

QByteArray page(const char* title)
{
    return QByteArray("<!doctype html><title>") + title + "</title><h1>" + title + "</h1>";
}

} // namespace

FixtureServer::FixtureServer(quint16 port, QObject* parent) : QObject(parent), m_server(port)
{
    const auto json = [](QJsonValue value) { return value; };
    m_server.on("GET", "/api/companion/notifications", [this](const TestRequest& request) { return alerts(request); });
    m_server.on("GET", "/api/companion/agent-usage", [=, this](const TestRequest&) {
        return member("/api/companion/agent-usage", QStringLiteral("agentUsage"), json);
    });
    m_server.on("GET", "/api/fleet/bots", [this](const TestRequest&) {
        return member("/api/fleet/bots", QStringLiteral("bots"), [this](QJsonValue) {
            return QJsonObject{{QStringLiteral("bots"), m_bots}};
        });
    });
    m_server.on("POST", "/api/fleet/bots", [this](const TestRequest& request) { return changeBot(request); });
    m_server.on("GET", "/api/codex/mobile-link", [this](const TestRequest&) {
        return member("/api/codex/mobile-link", QStringLiteral("mobileLink"), [](QJsonValue link) {
            return QJsonObject{{QStringLiteral("url"), link}};
        });
    });
    m_server.on("GET", "/api/snapshot",
                [=, this](const TestRequest&) { return member("/api/snapshot", QStringLiteral("snapshot"), json); });
    m_server.on("GET", "/", [this](const TestRequest& request) { return root(request); });
    m_server.on("GET", "/join", [](const TestRequest&) {
        TestResponse response = TestResponse::text(page("Join"));
        response.contentType = "text/html; charset=utf-8";
        return response;
    });
}

void FixtureServer::setFixture(const QJsonObject& fixture)
{
    m_fixture = fixture;
    m_bots = fixture.value(QStringLiteral("bots")).toArray();
    m_server.setCompressing(fixture.value(QStringLiteral("compressed")).toBool());
    m_server.setSessionCookie(fixture.value(QStringLiteral("cookie")).toString().toUtf8());
}

bool FixtureServer::watchFixtureFile(const QString& path)
{
    m_fixturePath = path;
    m_fixtureSize = -1;
    reloadIfChanged();
    return m_fixtureSize >= 0;
}

void FixtureServer::reloadIfChanged()
{
    if (m_fixturePath.isEmpty())
        return;
    const QFileInfo info(m_fixturePath);
    if (info.lastModified() == m_fixtureModified && info.size() == m_fixtureSize)
        return;
    QFile file(m_fixturePath);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    // A file caught half-written is read again on the next request.
    if (!document.isObject())
        return;
    m_fixtureModified = info.lastModified();
    m_fixtureSize = info.size();
    setFixture(document.object());
}

TestResponse FixtureServer::member(const QByteArray& path, const QString& key,
                                   const std::function<QJsonValue(QJsonValue)>& shape)
{
    reloadIfChanged();
    const QJsonObject endless =
        m_fixture.value(QStringLiteral("endless")).toObject().value(QString::fromUtf8(path)).toObject();
    const int pauseMs = endless.value(QStringLiteral("pauseMs")).toInt();
    if (endless.value(QStringLiteral("kind")) == QStringLiteral("headers"))
        return TestResponse::headWithoutEnd(pauseMs);
    if (endless.value(QStringLiteral("kind")) == QStringLiteral("continue"))
        return TestResponse::continueWithoutEnd(pauseMs);
    const QJsonValue status = m_fixture.value(QStringLiteral("statuses")).toObject().value(QString::fromUtf8(path));
    if (status.isDouble())
        return TestResponse::withStatus(status.toInt());
    if (!m_fixture.contains(key))
        return TestResponse::withStatus(404);
    return TestResponse::json(compact(shape(m_fixture.value(key))));
}

TestResponse FixtureServer::alerts(const TestRequest& request)
{
    const qint64 after = request.queryValue(QStringLiteral("after")).toLongLong();
    return member("/api/companion/notifications", QStringLiteral("notifications"), [after](QJsonValue all) {
        QJsonArray newer;
        for (const QJsonValue& alert : all.toArray()) {
            if (alert.toObject().value(QStringLiteral("id")).toInteger() > after)
                newer.append(alert);
        }
        return QJsonObject{{QStringLiteral("notifications"), newer}};
    });
}

TestResponse FixtureServer::changeBot(const TestRequest& request)
{
    reloadIfChanged();
    const QJsonObject change = QJsonDocument::fromJson(request.body).object();
    const QString id = change.value(QStringLiteral("id")).toString();
    for (qsizetype i = 0; i < m_bots.size(); ++i) {
        QJsonObject bot = m_bots[i].toObject();
        if (bot.value(QStringLiteral("id")).toString() != id)
            continue;
        for (const QString& field : {QStringLiteral("enabled"), QStringLiteral("updatesAllowed")}) {
            if (change.value(field).isBool())
                bot.insert(field, change.value(field));
        }
        m_bots[i] = bot;
        return TestResponse::json(R"({"ok": true})");
    }
    return TestResponse::json(R"({"error": "no such bot"})", 404);
}

TestResponse FixtureServer::root(const TestRequest& request)
{
    // The weather service is asked for "/?format=%t&u"; anything else at the
    // root is the dashboard page.
    if (request.queryItems().hasQueryItem(QStringLiteral("format"))) {
        reloadIfChanged();
        if (!m_fixture.contains(QStringLiteral("weather")))
            return TestResponse::withStatus(404);
        return TestResponse::text(m_fixture.value(QStringLiteral("weather")).toString().toUtf8());
    }
    TestResponse response = TestResponse::text(page("Varadi OS"));
    response.contentType = "text/html; charset=utf-8";
    return response;
}
