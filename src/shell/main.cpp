#include "model/CompanionEdition.h"
#include "model/CompanionNotificationSound.h"
#include "model/CompanionSettings.h"
#include "model/ResourceBundle.h"
#include "model/SystemSoundPlayer.h"
#include "panel/CompanionAlertBubbleView.h"
#include "panel/CompanionView.h"
#include "platform/desktop/FileDialogApplicationPicker.h"
#include "platform/desktop/LinuxDesktop.h"
#include "platform/desktop/TerminationSignals.h"
#include "platform/desktop/UrlHandoff.h"
#include "shell/LumivoCompanionApp.h"
#include "shell/SingletonLock.h"
#include "ui/AnimationDriver.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

#include <chrono>
#include <cstdlib>

#include <malloc.h>

namespace {

// The links the program was started with (the desktop passes "lumivo:"
// links as arguments).
QList<QUrl> linksAmong(const QStringList& arguments)
{
    QList<QUrl> links;
    for (const QString& argument : arguments.mid(1)) {
        const QUrl url(argument, QUrl::StrictMode);
        if (url.isValid() && !url.scheme().isEmpty() && !url.isLocalFile())
            links.append(url);
    }
    return links;
}

QStringList argumentList(int argc, char* argv[])
{
    QStringList arguments;
    for (int index = 0; index < argc; ++index)
        arguments.append(QString::fromLocal8Bit(argv[index]));
    return arguments;
}

} // namespace

int main(int argc, char* argv[])
{
    TerminationSignals::blockInProcess();
    // The edition is fixed before anything else exists.
    const CompanionEdition edition = CompanionEdition::current();
    const QList<QUrl> links = linksAmong(argumentList(argc, argv));

    // A second copy of this edition hands its links (or a reopen) to the
    // running one and leaves without a window or a message.
    if (SingletonLock::acquire(QDir(SingletonLock::lockFolder()).filePath(SingletonLock::lockFileName(edition.rawValue()))) < 0) {
        UrlHandoff::send(UrlHandoff::socketPath(edition.rawValue()), links);
        return EXIT_SUCCESS;
    }

    // Pictures reach the X server through the socket rather than shared
    // memory: with shared memory every frame of the animating panel waits
    // for the server to finish reading the last one (a round trip and two
    // wake-ups a frame), which costs more than sending its small changes.
    qputenv("QT_XCB_NO_MITSHM", "1");
    QApplication application(argc, argv);
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
        .makeCompanionView = [](CompanionModel& model) { return std::make_unique<CompanionView>(model); },
        .makeAlertBubbleView = [](CompanionModel& model) { return std::make_unique<CompanionAlertBubbleView>(model); },
        .terminate = [] { QApplication::quit(); },
        .panelsSeen = [](bool seen) { AnimationDriver::main().setSeen(seen); },
        .statusIconPath = ResourceBundle::main().pathFor(QStringLiteral("tovi-agent-logo"), QStringLiteral("png")),
        .edition = edition,
    });

    UrlHandoffReceiver handoff;
    QObject::connect(&handoff, &UrlHandoffReceiver::urlsReceived, &delegate, &LumivoCompanionApp::openURLs);
    QObject::connect(&handoff, &UrlHandoffReceiver::reopenRequested, &delegate, &LumivoCompanionApp::applicationShouldHandleReopen);
    handoff.listen(UrlHandoff::socketPath(edition.rawValue()));

    // A logout or kill ends the program through the same shutdown as Quit.
    TerminationSignals signals_;
    QObject::connect(&signals_, &TerminationSignals::received, &application, &QApplication::quit);

    delegate.applicationDidFinishLaunching();
    delegate.openURLs(links);
    // Start-up makes and lets go of many pictures; once the panel has drawn
    // its first ones, the heap's freed pages go back to the system.
    QTimer::singleShot(std::chrono::seconds(10), [] { malloc_trim(0); });
    application.exec();
    delegate.applicationWillTerminate();
    settings->sync();
    // Everything worth keeping is saved; the audio backend of this Qt release
    // can crash while tearing down, so leave without running destructors.
    std::_Exit(EXIT_SUCCESS);
}
