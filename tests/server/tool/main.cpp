// lumivo-test-server: the fixture server as a program, for desktop runs of
// the companion against a scripted local server.
//
//   lumivo-test-server [--port N] FIXTURE.json
//
// Prints the server's origin ("http://127.0.0.1:PORT") on one line once it
// listens, then serves until it is killed. The fixture file is read again
// whenever it changes.

#include "server/FixtureServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Answers the companion's local-server routes from a fixture file."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("Port on 127.0.0.1 (default: any free one)."),
                                        QStringLiteral("N"), QStringLiteral("0"));
    parser.addOption(portOption);
    parser.addPositionalArgument(QStringLiteral("fixture"), QStringLiteral("The fixture document (JSON)."));
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);

    FixtureServer server(quint16(parser.value(portOption).toUShort()));
    if (!server.server().isListening()) {
        std::fprintf(stderr, "lumivo-test-server: cannot listen on port %s\n", qPrintable(parser.value(portOption)));
        return 1;
    }
    if (!server.watchFixtureFile(parser.positionalArguments().constFirst())) {
        std::fprintf(stderr, "lumivo-test-server: cannot read the fixture %s\n",
                     qPrintable(parser.positionalArguments().constFirst()));
        return 1;
    }
    std::printf("%s\n", server.origin().toEncoded().constData());
    std::fflush(stdout);
    return app.exec();
}
