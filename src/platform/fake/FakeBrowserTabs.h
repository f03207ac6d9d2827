#pragma once

#include "platform/BrowserTabs.h"

#include <QStringList>

#include <utility>

// Open tabs in memory. Without an answer the browser seems unreachable;
// completions wait until the test delivers them.
class FakeBrowserTabs final : public BrowserTabs {
public:
    bool answers = true;
    QStringList openAddresses;

    void closeTabs(AddressTest closes, std::function<void(qsizetype closed)> completion) override
    {
        const qsizetype closed =
            answers ? openAddresses.removeIf([&](const QString& address) { return closes(address); }) : 0;
        m_pending.append([completion = std::move(completion), closed] { completion(closed); });
    }

    void finishRequests()
    {
        for (const auto& complete : std::exchange(m_pending, {}))
            complete();
    }

private:
    QList<std::function<void()>> m_pending;
};
