#include "shell/CommandLine.h"

#include <QCommandLineParser>

namespace CommandLine {
namespace {

// What Qt's application object and its X11 plugin read from the command line,
// with one dash or two: the options with a value, then the switches.
constexpr const char* qtOptionsWithValue[] = {
    "platform",
    "platformpluginpath",
    "platformtheme",
    "plugin",
    "qwindowgeometry",
    "qwindowicon",
    "qwindowtitle",
    "session",
    "display",
    "geometry",
    "title",
    "icon",
    "name",
    "visual",
    "style",
    "stylesheet",
    "qmljsdebugger",
};
constexpr const char* qtSwitches[] = {"reverse", "widgetcount", "testability", "nograb", "dograb", "sync"};

const QString linksHelp = QStringLiteral(R"(
Links:
  lumivo://activity-monitor              open the desktop's system monitor
  lumivo://schedule                      open the calendar and bring Vora forward
  lumivo://notify?type=TYPE&detail=TEXT  show an alert beside Vora; TYPE is email,
                                         slack, call, message, voicemail, calendar,
                                         agent or setup, TEXT its percent-encoded text

When this edition already runs, the running copy opens the links (with none,
it shows its panel) and this copy exits. Otherwise a link goes to the other
edition's running copy, if there is one, or this copy starts and opens it.
)");

} // namespace

Reading read(const QStringList& arguments, const QString& program, const QString& version)
{
    QCommandLineParser parser;
    // "-platform xcb" is one option, as Qt reads it, not seven single-letter ones.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral("Vora, the Lumivo desktop companion."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption showVersion({QStringLiteral("v"), QStringLiteral("version")},
                                         QStringLiteral("Show the version and exit."));
    parser.addOptions({help, showVersion});
    for (const char* name : qtOptionsWithValue) {
        QCommandLineOption option(QString::fromLatin1(name), {}, QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : qtSwitches) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    parser.addPositionalArgument(QStringLiteral("link"), QStringLiteral("A lumivo: link to open (see Links)."),
                                 QStringLiteral("[link...]"));

    if (!parser.parse(arguments)) {
        return {Reading::Outcome::error,
                QStringLiteral("%1: %2\nTry '%1 --help' for more information.\n").arg(program, parser.errorText()),
                {}};
    }
    if (parser.isSet(help)) {
        // The parser names the program only once the application object exists.
        QString usage = parser.helpText();
        usage.replace(0, usage.indexOf(u'\n'), QStringLiteral("Usage: %1 [options] [link...]").arg(program));
        return {Reading::Outcome::help, usage + linksHelp, {}};
    }
    if (parser.isSet(showVersion))
        return {Reading::Outcome::version, QStringLiteral("%1 %2\n").arg(program, version), {}};
    return {Reading::Outcome::run, {}, QStringList{arguments.value(0)} + parser.positionalArguments()};
}

} // namespace CommandLine
