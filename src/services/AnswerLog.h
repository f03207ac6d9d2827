#pragma once

#include <QString>
#include <QUrl>

struct HttpAnswer;

// Tells the log when a service the companion polls stops answering and when
// it answers again, once at each change, whichever poll notices: a service
// that stays down is not reported at every poll. Each request's outcome is a
// debug message.
class AnswerLog {
public:
    // name says which service it is ("the local server").
    explicit AnswerLog(QString name) : m_name(std::move(name)) { }

    // What the request to address brought back.
    void heard(const QUrl& address, const HttpAnswer& answer);

private:
    QString m_name;
    bool m_silent = false;
};
