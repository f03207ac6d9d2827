// Opens the chat page of the local server at ORIGIN in the companion's chat
// window, waits for the page's title to read "visited", then quits the way
// the companion quits: through the event loop's end, leaving without running
// destructors. Exits with 0 when all of that happened.
//   lumivo-web-quit ORIGIN
#include "platform/desktop/ApplicationDirectory.h"
#include "platform/desktop/XdgApplications.h"
#include "platform/fake/FakeWorkspace.h"
#include "support/WaitUntil.h"
#include "web/WebViewProperties.h"
#include "web/WebWindowsTestKit.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTimer>

#include <cstdlib>

int main(int argc, char* argv[])
{
    QStandardPaths::setTestModeEnabled(true);
    QApplication application(argc, argv);
    if (argc != 2)
        return EXIT_FAILURE;
    ApplicationDirectory directory{QStringList()};
    FakeWorkspace workspace;
    XdgApplications browser{directory, workspace};
    WebWindowsTestKit kit{browser, {QStringLiteral(LUMIVO_BINARY_DIR "/src")}, QUrl(QString::fromLocal8Bit(argv[1]))};
    kit.model().openChat();
    WebWindow* chat = kit.windows->chatWindow();
    if (!chat || !waitUntil([&] { return pageTitle(*chat) == QStringLiteral("visited"); }, 30000))
        std::_Exit(EXIT_FAILURE);
    QTimer::singleShot(0, &application, &QApplication::quit);
    QApplication::exec();
    std::_Exit(EXIT_SUCCESS);
}
