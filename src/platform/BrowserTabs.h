#pragma once

#include <QString>

#include <functional>

// The tabs of the user's web browser, where the browser lets other programs
// reach them.
class BrowserTabs {
public:
    using AddressTest = std::function<bool(const QString& address)>;

    virtual ~BrowserTabs() = default;

    // Closes every open tab whose address passes the test. completion runs
    // later on the main thread, within a few seconds, told whether the
    // browser answered at all (an answer that closed nothing is still an
    // answer).
    virtual void closeTabs(AddressTest closes, std::function<void(bool answered)> completion) = 0;
};
