#include "model/CompanionEdition.h"
#include "platform/desktop/TerminationSignals.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    TerminationSignals::blockInProcess();
    // The edition is fixed before anything else exists.
    const CompanionEdition edition = CompanionEdition::current();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lumivo-companion"));
    QApplication::setApplicationDisplayName(edition.productName());
    QApplication::setQuitOnLastWindowClosed(false);

    TerminationSignals signals_;
    QObject::connect(&signals_, &TerminationSignals::received, &app, &QApplication::quit);

    return app.exec();
}
