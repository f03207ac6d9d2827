#include "platform/desktop/XdgApplications.h"
#include "platform/fake/FakeWorkspace.h"
#include "support/ApplicationFolder.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

// The desktop's own choice of application for an address, read from the
// user's XDG configuration as every desktop application reads it.
TEST(DefaultApplication, OpensAnAddressWithTheApplicationTheUserChoseForIt)
{
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
}

} // namespace
