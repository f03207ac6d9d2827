#pragma once

#include "actions/Lifetime.h"
#include "model/CompanionDestinations.h"
#include "model/CompanionRecords.h"

#include <QUrl>

#include <optional>
#include <variant>

class Applications;
class CompanionModel;
class Scheduler;
class Workspace;

// Turns a launch target into an action on the desktop: launches or brings
// up its application, opens its address in that application or with the
// default handler, and hides the application again when the same launcher
// is pressed while it is in front. Main thread only.
class LauncherDispatch {
public:
    struct Environment {
        CompanionModel& model;
        Scheduler& scheduler;
        Applications& applications;
        Workspace& workspace;
    };

    explicit LauncherDispatch(Environment environment);

    // Launches the target once the menu has settled; a second press while
    // its application is in front hides it instead, a third brings it back.
    void open(CompanionCTA cta);
    // Launches (or brings up) the application at the path; opens fallback
    // with the default handler when it is not there or does not start.
    void openApplication(const QString& applicationPath, const QUrl& fallback);
    // Brings Chrome to the front with all its windows, launching it when it
    // does not run.
    void openRecallPage();
    // The local server's dashboard, in the default browser, at once.
    static void openDashboard(Applications& applications);
    // Shows or hides the window-layout panel, closing the other panels.
    void toggleLayoutPanel();
    // Opens what the alert is about; never hides it.
    void openAlert(const CompanionAlert& alert);

    // What opening an alert of the source opens: a launch target, or an
    // address for the default handler.
    static std::variant<CompanionCTA, QUrl> alertTarget(CompanionAlertSource source);

    // The target whose application the launcher launched last.
    std::optional<CompanionCTA> activeCTA;

private:
    // The second press of a launcher: hides its application when that runs
    // and shows; true when it did.
    bool hideIfLaunchedAndShown(CompanionCTA cta, const QString& applicationPath);

    Environment m_environment;
    Lifetime m_lifetime;
};
