#pragma once

#include "HttpClient.h"

#include <QObject>

#include <chrono>
#include <functional>

class Bell;
class CompanionModel;
class Pasteboard;

// The Go Mobile tile's work: asks the local server for a private link to the
// mobile page, puts it on the clipboard, shows it as a QR code in the menu,
// and hides the code again 45 s after the last successful copy. A failure
// only rings the bell. Main thread only.
class MobileLinkCopier {
public:
    using Done = std::function<void()>;

    static constexpr Scheduler::Duration shownFor = std::chrono::seconds(45);

    struct Environment {
        CompanionModel& model;
        HttpClient& http;
        Scheduler& scheduler;
        Pasteboard& pasteboard;
        Bell& bell;
    };

    explicit MobileLinkCopier(Environment environment);
    ~MobileLinkCopier();

    // `done` runs when the request has been answered (or has failed).
    void copyPhoneLink(Done done = {});

    // The link of an answer's body: its top level must be an object whose
    // "url" is text (any text, the empty one too).
    static std::optional<QString> linkFromBody(const QByteArray& body);

private:
    void show(const QString& link);

    Environment m_environment;
    QObject m_context;
    ScheduledWork m_hideTask;
};
