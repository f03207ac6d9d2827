#include "platform/desktop/XdgApplications.h"
#include "platform/fake/FakeWorkspace.h"
#include "support/ApplicationFolder.h"
#include "support/HeardMessages.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QTcpServer>

namespace {

// The desktop's own choice of application for an address, read from the
// user's XDG configuration as every desktop application reads it.
TEST(DefaultApplication, OpensAnAddressWithTheApplicationTheUserChoseForIt)
{
    // Bounded: looking up a web address's handler must never fetch it, and a
    // fetch from the silent listener below would never end.
    if (ranAgainWithOwnXdgFolders(10000))
        return;
    ApplicationFolder folder;
    folder.addApplication(QStringLiteral("handler"), QStringLiteral("Handler"),
                          "MimeType=x-scheme-handler/lumivo-test;\n", "%u");
    folder.write(QStringLiteral("../mimeapps.list"),
                 "[Default Applications]\nx-scheme-handler/lumivo-test=handler.desktop\n");
    const QByteArray root = QFileInfo(folder.path()).path().toUtf8();
    qputenv("XDG_DATA_HOME", root);
    qputenv("XDG_DATA_DIRS", root);
    qputenv("XDG_CONFIG_HOME", root);

    ApplicationDirectory directory({folder.path()});
    FakeWorkspace workspace;
    XdgApplications applications(directory, workspace);
    const QUrl address(QStringLiteral("lumivo-test:open?page=1"));
    applications.openURL(address);
    EXPECT_EQ(folder.waitForRecord(QStringLiteral("handler")), QStringList({address.toString()}));

    // With no handler for its scheme, a web address is never fetched to learn its type.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    const HeardMessages heard;
    applications.openURL(QUrl(QStringLiteral("http://127.0.0.1:%1/page").arg(silent.serverPort())));
    EXPECT_FALSE(silent.waitForNewConnection(0));
    EXPECT_TRUE(heard.messages().join(u'\n').contains(QStringLiteral("lumivo.actions: no application opens http")));
}

} // namespace
