#include "AnswerLog.h"

#include "HttpClient.h"
#include "model/LogCategories.h"

#include <utility>

void AnswerLog::heard(const QUrl& address, const HttpAnswer& answer)
{
    const QString origin = address.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment).toString();
    if (answer.status) {
        qCDebug(lcPolling).noquote() << address.toString() << "answered" << *answer.status;
        if (std::exchange(m_silent, false))
            qCInfo(lcPolling).noquote() << m_name << "at" << origin << "answers again";
    } else {
        qCDebug(lcPolling).noquote() << address.toString() << "did not answer";
        if (!std::exchange(m_silent, true))
            qCWarning(lcPolling).noquote() << m_name << "at" << origin << "does not answer; the companion keeps asking";
    }
}
