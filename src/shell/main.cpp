#include "menu/OpenedMenu.h"
#include "menu/panels/MenuPanels.h"
#include "model/CompanionEdition.h"
#include "model/CompanionNotificationSound.h"
#include "model/CompanionSettings.h"
#include "model/LogCategories.h"
#include "model/ResourceBundle.h"
#include "model/SystemSoundPlayer.h"
#include "panel/CompanionAlertBubbleView.h"
#include "panel/CompanionView.h"
#include "platform/Applications.h"
#include "platform/desktop/FileDialogApplicationPicker.h"
#include "platform/desktop/LinuxDesktop.h"
#include "platform/desktop/RuntimeFolder.h"
#include "platform/desktop/TerminationSignals.h"
#include "platform/desktop/UrlHandoff.h"
#include "shell/CommandLine.h"
#include "shell/DisplayPlatform.h"
#include "shell/LumivoCompanionApp.h"
#include "shell/SecondCopy.h"
#include "shell/SingletonLock.h"
#include "ui/AnimationDriver.h"
#include "ui/FreedMemory.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// The opened menu's view of the installed applications: the desktop's own.
MenuApplications menuApplicationsOf(Applications& applications)
{
    return {
        .exists = [&applications](const QString& path) { return applications.exists(path); },
        .icon = [&applications](const QString& path) { return applications.icon(path); },
        .openApplication =
            [&applications](const QString& path, std::function<void(bool)> completion) {
                applications.openApplication(path, std::move(completion));
            },
        .openURL = [&applications](const QUrl& url) { applications.openURL(url); },
    };
}

QStringList argumentList(int argc, char* argv[])
{
    QStringList arguments;
    for (int index = 0; index < argc; ++index)
        arguments.append(QString::fromLocal8Bit(argv[index]));
    return arguments;
}

// Says on standard error what went wrong; gives the exit status of a failure.
int complain(const char* program, const QString& message)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(QFileInfo(QFile::decodeName(program)).fileName()), qPrintable(message));
    return EXIT_FAILURE;
}

} // namespace

int main(int argc, char* argv[])
{
    TerminationSignals::blockInProcess();
    // The command line is read first: the help, the version and a mistyped
    // option need no display, no lock and no window.
    const QStringList arguments = argumentList(argc, argv);
    const CommandLine::Reading commandLine =
        CommandLine::read(arguments, QFileInfo(arguments.value(0)).fileName(), QStringLiteral(LUMIVO_VERSION));
    switch (commandLine.outcome) {
    case CommandLine::Reading::Outcome::run: break;
    case CommandLine::Reading::Outcome::help:
    case CommandLine::Reading::Outcome::version: std::fputs(qPrintable(commandLine.text), stdout); return EXIT_SUCCESS;
    case CommandLine::Reading::Outcome::error:
        std::fputs(qPrintable(commandLine.text), stderr);
        return CommandLine::usageError;
    }

    // The edition is fixed before anything else exists.
    const CompanionEdition edition = CompanionEdition::current();
    const UrlHandoff::Request request = UrlHandoff::requestFrom(commandLine.remaining);

    const RuntimeFolder::Choice runtime = RuntimeFolder::choose();
    if (runtime.path.isEmpty())
        return complain(argv[0], QStringLiteral("no private folder for the lock and the socket: ") + runtime.problem);
    const QString socketPath = UrlHandoff::socketPath(runtime.path, edition.rawValue());
    const QString lockPath = QDir(runtime.path).filePath(SingletonLock::lockFileName(edition.rawValue()));

    // A second copy of this edition hands its links (or a reopen) to the
    // running one and leaves without a window; links that were all refused
    // ask nothing of it.
    SingletonLock::Lock lock = SingletonLock::acquire(lockPath);
    if (!lock.problem.isEmpty())
        return complain(argv[0], lock.problem);
    if (!lock.isHeld()) {
        if (request.isEmpty())
            return EXIT_SUCCESS;
        SecondCopy::Result handover = SecondCopy::handOver(request, socketPath, lockPath);
        if (handover.handedOver)
            return EXIT_SUCCESS;
        if (!handover.lock.isHeld())
            return complain(argv[0], QStringLiteral("could not hand over to the running copy: ") + handover.problem);
        lock = handover.lock;
    }
    // No copy of this edition runs: links go to the other edition's copy when that runs.
    if (!request.urls.isEmpty() && SecondCopy::handOverToOtherEdition(request, edition, runtime.path)) {
        SingletonLock::release(lock);
        return EXIT_SUCCESS;
    }

    // Qt's platform is chosen before the application object exists; it goes
    // first, so that one named on the command line still wins.
    std::vector<char*> qtArguments(argv, argv + argc);
    QByteArray platformOption = QByteArrayLiteral("-platform");
    QByteArray platform =
        DisplayPlatform::choose(qgetenv("DISPLAY"), qgetenv("QT_QPA_PLATFORM")).value_or(QByteArray());
    if (!platform.isEmpty())
        qtArguments.insert(qtArguments.begin() + 1, {platformOption.data(), platform.data()});
    int qtArgumentCount = int(qtArguments.size());
    qtArguments.push_back(nullptr);

    // Pictures reach the X server through the socket rather than shared
    // memory: with shared memory every frame of the animating panel waits
    // for the server to finish reading the last one (a round trip and two
    // wake-ups a frame), which costs more than sending its small changes.
    qputenv("QT_XCB_NO_MITSHM", "1");
    QApplication application(qtArgumentCount, qtArguments.data());
    QApplication::setApplicationName(QStringLiteral("lumivo-companion"));
    QApplication::setApplicationDisplayName(edition.productName());
    QApplication::setQuitOnLastWindowClosed(false);

    std::unique_ptr<QSettings> settings = CompanionSettings::open();
    LinuxDesktop linuxDesktop;
    FileDialogApplicationPicker picker;
    LumivoCompanionApp delegate({
        .desktop = linuxDesktop.desktop(),
        .settings = *settings,
        .scheduler = Scheduler::main(),
        .systemSounds = SystemSoundPlayer::main(),
        .applicationPicker = picker,
        .playChime = [] { CompanionNotificationSound::shared().play(); },
        .makeCompanionView =
            [&](CompanionModel& model) {
                auto view = std::make_unique<CompanionView>(model);
                view->hostMenu(new OpenedMenu(*view, ViewEnvironment::main(), edition,
                                              menuApplicationsOf(linuxDesktop.desktop().applications), menuPanels()));
                return view;
            },
        .makeAlertBubbleView = [](CompanionModel& model) { return std::make_unique<CompanionAlertBubbleView>(model); },
        .terminate = [] { QApplication::quit(); },
        .panelsSeen = [](bool seen) { AnimationDriver::main().setSeen(seen); },
        .statusIconPath = ResourceBundle::main().pathFor(QStringLiteral("tovi-agent-logo"), QStringLiteral("png")),
        // Each edition's icon is installed under its program's name.
        .statusIconName = ResourceBundle::main().programName(),
        .edition = edition,
    });

    UrlHandoffReceiver handoff;
    QObject::connect(&handoff, &UrlHandoffReceiver::urlsReceived, &delegate, &LumivoCompanionApp::openURLs);
    QObject::connect(&handoff, &UrlHandoffReceiver::reopenRequested, &delegate,
                     &LumivoCompanionApp::applicationShouldHandleReopen);

    // A logout or kill ends the program through the same shutdown as Quit.
    TerminationSignals signals_;
    QObject::connect(&signals_, &TerminationSignals::received, &application, &QApplication::quit);

    delegate.applicationDidFinishLaunching();
    delegate.openURLs(request.urls);
    // Other copies wait for this while the panel is being built.
    if (!handoff.listen(socketPath))
        qCWarning(lcHandoff).noquote() << "links cannot be handed over to this copy:" << handoff.problem();
    // Start-up makes and lets go of many pictures; once the panel has drawn
    // its first ones, the heap's freed pages go back to the system.
    QTimer::singleShot(std::chrono::seconds(10), [] { returnFreedMemory(); });
    application.exec();
    delegate.applicationWillTerminate();
    settings->sync();
    // The socket goes before the lock, so a copy that takes the lock next
    // finds the path free.
    handoff.close();
    SingletonLock::release(lock);
    // Everything worth keeping is saved; the audio backend of this Qt release
    // can crash while tearing down, so leave without running destructors.
    std::_Exit(EXIT_SUCCESS);
}
