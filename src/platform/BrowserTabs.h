#pragma once

#include <QString>

#include <functional>
#include <optional>

// The tabs of the user's web browsers, where the browsers let other programs
// reach them.
class BrowserTabs {
public:
    using AddressTest = std::function<bool(const QString& address)>;
    // How many tabs the browsers confirmed closing; nothing when no browser
    // could be reached to list its tabs.
    using Completion = std::function<void(std::optional<qsizetype> closed)>;

    virtual ~BrowserTabs() = default;

    // Closes every open tab whose address passes the test, in each browser
    // that can be reached. completion runs later on the main thread, within
    // a few seconds.
    virtual void closeTabs(AddressTest closes, Completion completion) = 0;
};
