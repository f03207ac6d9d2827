#include "actions/SeparateChromeWindows.h"

#include "actions/Chrome.h"
#include "platform/Workspace.h"

using namespace std::chrono_literals;

namespace {

// A browser that is not yet running needs a moment to show its first window.
constexpr auto newWindowPatience = 15s;

} // namespace

SeparateChromeWindows::SeparateChromeWindows(Workspace& workspace, ApplicationWindows& windows, Scheduler& scheduler)
    : m_workspace(workspace), m_windows(windows), m_scheduler(scheduler)
{
    QObject::connect(&workspace, &Workspace::windowsChanged, &m_context, [this] { windowsChanged(); });
}

QList<SeparateChromeWindows::WindowId> SeparateChromeWindows::chromeWindows() const
{
    QList<WindowId> found;
    for (const RunningApplication& chrome : m_workspace.allWithBundleIdentifier(Chrome::bundleIdentifier))
        found.append(m_windows.windows(chrome.processIdentifier).value_or(QList<WindowId>()));
    return found;
}

void SeparateChromeWindows::expectNewWindow()
{
    m_expected.push_back({chromeWindows(), {}});
    const auto expectation = std::prev(m_expected.end());
    expectation->expiry = m_scheduler.schedule(
        newWindowPatience, m_lifetime.guard([this, expectation] { m_expected.erase(expectation); }));
}

void SeparateChromeWindows::windowsChanged()
{
    if (m_expected.empty() && m_opened.isEmpty())
        return;
    const QList<WindowId> open = chromeWindows();
    // A closed window's number may later name another window.
    m_opened.removeIf([&](WindowId window) { return !open.contains(window); });
    // Each launch, oldest first, takes the front-most window that is new to it.
    while (!m_expected.empty()) {
        Expectation& oldest = m_expected.front();
        const auto fresh = std::find_if(open.begin(), open.end(), [&](WindowId window) {
            return !oldest.before.contains(window) && !m_opened.contains(window);
        });
        if (fresh == open.end())
            return;
        m_opened.append(*fresh);
        oldest.expiry.cancel();
        m_expected.pop_front();
    }
}

int SeparateChromeWindows::closeRemaining()
{
    const QList<WindowId> open = chromeWindows();
    int closed = 0;
    for (const WindowId window : std::exchange(m_opened, {})) {
        if (open.contains(window) && m_windows.close(window))
            ++closed;
    }
    return closed;
}
