// The command line: links stay where they were, Qt's own options pass
// through to Qt, and help, version and mistakes end the program early.
#include "shell/CommandLine.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

using Outcome = CommandLine::Reading::Outcome;

const QString program = QStringLiteral("lumivo-companion-employee");
const QString link = QStringLiteral("lumivo://notify?type=call&detail=Front%20desk");

CommandLine::Reading read(QStringList arguments)
{
    arguments.prepend(program);
    return CommandLine::read(arguments, program, QStringLiteral("1.2.3"));
}

TEST(CommandLine, LinksRemainAndQtsOwnOptionsAreLeftToQt)
{
    const struct {
        QStringList arguments;
        QStringList remaining;
    } cases[] = {
        {{}, {}},
        {{link, QStringLiteral("not-a-link")}, {link, QStringLiteral("not-a-link")}},
        {{QStringLiteral("-platform"), QStringLiteral("xcb"), link}, {link}},
        {{QStringLiteral("--platform=offscreen"), QStringLiteral("-style=fusion"), QStringLiteral("-reverse"), link},
         {link}},
        {{QStringLiteral("-display"), QStringLiteral(":1"), QStringLiteral("-name"), QStringLiteral("vora")}, {}},
        // After "--" nothing is an option.
        {{QStringLiteral("--"), QStringLiteral("--help")}, {QStringLiteral("--help")}},
    };
    for (const auto& [arguments, remaining] : cases) {
        const CommandLine::Reading reading = read(arguments);
        EXPECT_EQ(reading.outcome, Outcome::run)
            << arguments.join(u' ').toStdString() << ": " << reading.text.toStdString();
        EXPECT_EQ(reading.remaining, QStringList{program} + remaining) << arguments.join(u' ').toStdString();
    }
}

TEST(CommandLine, HelpVersionAndMistakesEndItEarlyWithTheirText)
{
    const struct {
        QStringList arguments;
        Outcome outcome;
        QStringList texts;
    } cases[] = {
        {{QStringLiteral("--help"), link},
         Outcome::help,
         {QStringLiteral("Usage: lumivo-companion-employee [options] [link...]\n"), QStringLiteral("  -v, --version"),
          QStringLiteral("lumivo://activity-monitor"), QStringLiteral("lumivo://schedule"),
          QStringLiteral("lumivo://notify?type=TYPE&detail=TEXT")}},
        {{QStringLiteral("-h")}, Outcome::help, {QStringLiteral("Usage: ")}},
        {{QStringLiteral("--version")}, Outcome::version, {QStringLiteral("lumivo-companion-employee 1.2.3\n")}},
        {{QStringLiteral("-v")}, Outcome::version, {QStringLiteral("lumivo-companion-employee 1.2.3\n")}},
        {{link, QStringLiteral("--bogus")},
         Outcome::error,
         {QStringLiteral("lumivo-companion-employee: Unknown option 'bogus'.\n"
                         "Try 'lumivo-companion-employee --help' for more information.\n")}},
        {{QStringLiteral("-platform")}, Outcome::error, {QStringLiteral("Missing value after '-platform'.")}},
    };
    for (const auto& [arguments, outcome, texts] : cases) {
        const CommandLine::Reading reading = read(arguments);
        EXPECT_EQ(reading.outcome, outcome) << arguments.join(u' ').toStdString();
        for (const QString& text : texts)
            EXPECT_TRUE(reading.text.contains(text)) << reading.text.toStdString() << "\nlacks " << text.toStdString();
    }
    // Qt's options are accepted but not offered.
    EXPECT_FALSE(read({QStringLiteral("--help")}).text.contains(QStringLiteral("platform")));
}

} // namespace
