#pragma once

#include "actions/Lifetime.h"
#include "actions/SeparateChromeWindows.h"
#include "model/CompanionDestinations.h"

#include <QSet>
#include <QString>

#include <optional>

class Applications;
class Bell;
class BrowserTabs;
class CompanionModel;
class LauncherDispatch;

// Opens the Google-links panel's destinations, in a new Chrome window each
// when the user asked for that, and closes again the tabs they opened.
// Main thread only.
class GoogleLinks {
public:
    struct Environment {
        CompanionModel& model;
        Scheduler& scheduler;
        Applications& applications;
        Workspace& workspace;
        ApplicationWindows& windows;
        BrowserTabs& browserTabs;
        Bell& bell;
        LauncherDispatch& launcher;
    };

    explicit GoogleLinks(Environment environment);

    void openGoogleDestination(CompanionCTA cta);
    // Closes the tabs on the remembered addresses and the panel. When no
    // browser can be reached, the windows opened for them close instead;
    // when nothing closes, the bell rings and the addresses stay for the
    // next attempt.
    void closeGoogleSearchWindows();

    // The web addresses opened since launch and not yet closed.
    QSet<QString> googleOpenedURLs;

private:
    void finishClosing(const QStringList& closing, std::optional<qsizetype> closedTabs);

    Environment m_environment;
    SeparateChromeWindows m_separateWindows;
    Lifetime m_lifetime;
};
