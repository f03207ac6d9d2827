#pragma once

#include <QRect>
#include <QUrl>

#include <chrono>
#include <optional>

// The web windows' decisions, kept apart from the web engine so that they
// can be checked on their own.
namespace WebWindowRules {

// What a page asks to capture.
enum class Capture { microphone, camera, cameraAndMicrophone, screen, screenWithAudio, other };

// Whether a page of origin may capture without asking the user: only the
// microphone alone, and only for the local server's pages ("127.0.0.1" or
// "localhost"). Everything else is refused; nobody is ever asked.
bool grants(const QUrl& origin, Capture capture);

// A frame covering coverage (held to 0.4 to 0.9) of the available area's
// width and height, centred on it.
QRect coveringFrame(const QRect& available, double coverage);

// Whether a page may hand url to the desktop: only web addresses (http and
// https) leave a web window; "lumivo:" links and every other scheme stay in.
bool mayLeave(const QUrl& url);

// Whether url is of home's origin: the same scheme, host and port.
bool sameOrigin(const QUrl& url, const QUrl& home);

// The user's clicks in a page. A page may send one address out of its window
// (a new window, or a page of another site) for each click of the user, and
// only shortly after it, as browsers let a click open one pop-up.
class UserClicks {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds lifetime{5};

    void clicked(Clock::time_point at) { m_unspent = at; }
    // Whether a request made at `at` follows a click that no request has
    // used yet; that click is then used.
    bool spend(Clock::time_point at);

private:
    std::optional<Clock::time_point> m_unspent;
};

// A page's JavaScript dialogs (alert, confirm, prompt, leaving the page). One
// is up at a time and only in a window on show; after a document's second
// dialog the rest of that document's are answered at once, unseen, as
// browsers let the user stop a page's dialogs.
class PageDialogs {
public:
    static constexpr int shownPerDocument = 2;

    enum class Answer {
        show,
        // Answered at once, as if cancelled.
        refuse,
        // Refused, and the page is ended: it asked again with its window
        // closed, as a loop of alerts does with nobody left to answer it.
        endPage,
    };
    Answer ask(bool windowShown, bool dialogUp);
    // The page started loading a new document.
    void newDocument();

private:
    int m_shown = 0;
    int m_refused = 0;
};

} // namespace WebWindowRules
