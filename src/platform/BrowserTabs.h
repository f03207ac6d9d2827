#pragma once

#include <QString>

#include <functional>

// The tabs of the user's web browsers, where the browsers let other programs
// reach them.
class BrowserTabs {
public:
    using AddressTest = std::function<bool(const QString& address)>;

    virtual ~BrowserTabs() = default;

    // Closes every open tab whose address passes the test, in each browser
    // that can be reached. completion runs later on the main thread, within
    // a few seconds, told how many tabs a browser confirmed closing: none
    // when no browser answered as much as when none held such a tab.
    virtual void closeTabs(AddressTest closes, std::function<void(qsizetype closed)> completion) = 0;
};
