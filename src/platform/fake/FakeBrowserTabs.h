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

    void closeTabs(AddressTest closes, Completion completion) override
    {
        const std::optional<qsizetype> closed = answers
            ? std::optional(openAddresses.removeIf([&](const QString& address) { return closes(address); }))
            : std::nullopt;
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
