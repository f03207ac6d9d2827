#pragma once

// A stand-in for the whole local business server and the weather service,
// answering from a fixture document, for tests of the services and for
// desktop runs of the companion:
//
//   {
//     "notifications": [{"id": 1, "type": "email", "detail": "Invoice"}],
//     "agentUsage": { ...the AI-usage feed... },
//     "bots": [{"id": "bot-1", "name": "Front desk", "enabled": true, "updatesAllowed": false}],
//     "mobileLink": "https://m.example.com/s/abc",
//     "snapshot": { ...the business snapshot... },
//     "weather": "+72°F",
//     "statuses": {"/api/fleet/bots": 503},
//     "endless": {"/api/companion/agent-usage": {"kind": "headers", "pauseMs": 5}}
//   }
//
// Every member may be left out: its route then answers 404. The alert feed
// answers only the alerts whose id is above the request's "after"; a change
// of a bot is kept until the fixture is replaced; "statuses" makes a route
// answer that status with an empty body; "endless" makes a route answer
// without end: its status line and then header lines, never the blank line
// that ends them ("headers"), or interim "100 Continue" answers
// ("continue"), one every pauseMs or, without it, as fast as the client
// reads. "compressed" deflates every whole answer unasked; with "cookie",
// a request that does not bring that cookie back is answered 401 and given
// it. A fixture file is read again whenever it has changed on disk, so a
// running test can add alerts.

#include "TestServer.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

class FixtureServer final : public QObject {
    Q_OBJECT

public:
    explicit FixtureServer(quint16 port = 0, QObject* parent = nullptr);

    TestServer& server() { return m_server; }
    bool isListening() const { return m_server.isListening(); }
    QUrl origin() const { return m_server.origin(); }

    void setFixture(const QJsonObject& fixture);
    // Reads the fixture from a file now and again whenever it changes; false
    // when it cannot be read as a JSON object.
    bool watchFixtureFile(const QString& path);

    // The bots as they stand, with the changes received.
    QJsonArray bots() const { return m_bots; }

private:
    void reloadIfChanged();
    TestResponse member(const QByteArray& path, const QString& key, const std::function<QJsonValue(QJsonValue)>& shape);
    TestResponse alerts(const TestRequest& request);
    TestResponse changeBot(const TestRequest& request);
    TestResponse root(const TestRequest& request);

    TestServer m_server;
    QJsonObject m_fixture;
    QJsonArray m_bots;
    QString m_fixturePath;
    QDateTime m_fixtureModified;
    qint64 m_fixtureSize = -1;
};
