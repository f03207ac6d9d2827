#include "platform/desktop/DesktopEntry.h"
#include "support/ApplicationFolder.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

namespace {

const QByteArray program = LUMIVO_TEST_APP;

std::optional<DesktopEntry> parse(const QByteArray& contents)
{
    return DesktopEntry::fromData(contents, QStringLiteral("example"), QStringLiteral("/tmp/example.desktop"));
}

TEST(DesktopEntry, ReadsWhatNamingAndLaunchingNeed)
{
    const auto entry = parse("# comment\n[Desktop Entry]\nType=Application\nName=Notes\nName[xx]=Notizen\n"
                             "Icon=accessories-text-editor\nStartupWMClass=NotesWindow\nExec="
                             + program
                             + " %F\n"
                               "[Desktop Action New]\nName=New\nExec="
                             + program + " --new\n");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->id, QStringLiteral("example"));
    EXPECT_EQ(entry->untranslatedName, QStringLiteral("Notes"));
    EXPECT_EQ(entry->iconName, QStringLiteral("accessories-text-editor"));
    EXPECT_EQ(entry->startupWMClass, QStringLiteral("NotesWindow"));
    EXPECT_TRUE(entry->installed());
    EXPECT_FALSE(entry->noDisplay);
}

TEST(DesktopEntry, AnEntryWhoseProgramCannotStartIsNotInstalled)
{
    struct Case {
        const char* why;
        QByteArray body;
    };
    const QList<Case> cases{
        {"no Exec", "Name=Notes\n"},
        {"empty Exec", "Name=Notes\nExec=\n"},
        {"Exec program missing", "Name=Notes\nExec=/nonexistent/notes %U\n"},
        {"TryExec program missing", "Name=Notes\nTryExec=/nonexistent/notes\nExec=" + program + "\n"},
        {"unbalanced quote in Exec", "Name=Notes\nExec=\"" + program + " %U\n"},
        {"no Name", "Exec=" + program + "\n"},
    };
    for (const Case& test : cases) {
        const auto entry = parse("[Desktop Entry]\nType=Application\n" + test.body);
        ASSERT_TRUE(entry) << test.why;
        EXPECT_FALSE(entry->installed()) << test.why;
    }
}

TEST(DesktopEntry, HiddenMeansDeletedButNoDisplayIsStillInstalled)
{
    const QByteArray start = "[Desktop Entry]\nType=Application\nName=Notes\nExec=" + program + "\n";
    const auto hidden = parse(start + "Hidden=true\n");
    ASSERT_TRUE(hidden);
    EXPECT_TRUE(hidden->hidden);
    EXPECT_FALSE(hidden->installed());

    const auto unlisted = parse(start + "NoDisplay=true\n");
    ASSERT_TRUE(unlisted);
    EXPECT_TRUE(unlisted->noDisplay);
    EXPECT_TRUE(unlisted->installed());
}

TEST(DesktopEntry, WhatIsNotAnApplicationEntryReadsAsNone)
{
    const QList<QByteArray> notApplications{
        "",
        "garbage without any group",
        "[Desktop Entry]\nType=Link\nName=Site\nURL=https://example.com\n",
        "[Desktop Entry]\nName=Notes\nExec=" + program + "\n",
        // The entry's group must come first.
        "[Other]\nKey=1\n[Desktop Entry]\nType=Application\nName=Notes\nExec=" + program + "\n",
        "[Desktop Entry\nType=Application\n",
        "[Desktop Entry]\nType=Application\nName=\xff\xfe\x80\nExec=" + program + "\n",
        QByteArray("[Desktop Entry]\nType=Application\0\nName=Notes\n", 41),
        "[Desktop Entry]\nType=Application\nName=Notes\nExec=" + program + "\n"
            + QByteArray(DesktopEntry::maximumSize, '#'),
    };
    for (const QByteArray& contents : notApplications) {
        const auto entry = parse(contents);
        EXPECT_TRUE(!entry || !entry->installed()) << contents.left(60).toStdString();
    }
}

// Desktop entries are written by any installed package or user: no text
// may crash the reader or leave it with an entry it cannot launch safely.
TEST(DesktopEntry, SurvivesMutatedEntries)
{
    const QByteArray sample = "[Desktop Entry]\nType=Application\nName=Notes\nName[de]=Notizen\nIcon=notes\n"
                              "Exec=\""
        + program + "\" --record \"/tmp/x y\" %U %i %c %k\nTryExec=" + program
        + "\n"
          "StartupWMClass=Notes\nKeywords=a;b;c\\;d\n";
    QRandomGenerator random(20261207);
    for (int round = 0; round < 3000; ++round) {
        QByteArray mutated = sample;
        const int edits = 1 + random.bounded(6);
        for (int edit = 0; edit < edits; ++edit) {
            const int at = random.bounded(mutated.size() + 1);
            switch (random.bounded(4)) {
            case 0: mutated.insert(at, char(random.bounded(256))); break;
            case 1:
                if (at < mutated.size())
                    mutated.remove(at, 1 + random.bounded(8));
                break;
            case 2:
                if (at < mutated.size())
                    mutated[at] = char(random.bounded(256));
                break;
            case 3: mutated.insert(at, mutated.mid(random.bounded(mutated.size()), random.bounded(20))); break;
            }
        }
        const auto entry = parse(mutated);
        if (entry) {
            EXPECT_EQ(entry->contents, mutated);
            entry->icon();
        }
    }
}

TEST(DesktopEntryExec, QuotesArgumentsSoTheyArriveUnchanged)
{
    EXPECT_EQ(DesktopEntryExec::quotedArgument(QStringLiteral("--new-window")), QStringLiteral("\"--new-window\""));
    EXPECT_EQ(DesktopEntryExec::quotedArgument(QStringLiteral("a \"b\" $HOME `x` \\ 100%")),
              QStringLiteral("\"a \\\"b\\\" \\$HOME \\`x\\` \\\\ 100%%\""));
    EXPECT_EQ(DesktopEntryExec::quotedArgument(QString()), QStringLiteral("\"\""));
}

// Launching runs the entry's program with its field codes expanded the way
// the desktop does; the stand-in program records what it was given.
class DesktopEntryLaunch : public ::testing::Test {
protected:
    std::optional<QStringList> launch(const QByteArray& arguments, const QList<QUrl>& urls,
                                      const QStringList& extra = {}, const QByteArray& extraLines = {})
    {
        const QString file =
            folder.addApplication(QStringLiteral("notes"), QStringLiteral("Notes"), extraLines, arguments);
        QFile::remove(folder.recordOf(QStringLiteral("notes")));
        const auto entry = DesktopEntry::read(file, QStringLiteral("notes"));
        if (!entry || !entry->launch(urls, extra))
            return std::nullopt;
        return folder.waitForRecord(QStringLiteral("notes"));
    }

    ApplicationFolder folder;
};

TEST_F(DesktopEntryLaunch, ExpandsTheFieldCodes)
{
    const QList<QUrl> urls{QUrl(QStringLiteral("https://example.com/a?b=c d")),
                           QUrl(QStringLiteral("mailto:x@example.com"))};
    EXPECT_EQ(launch("%U", urls),
              QStringList({QStringLiteral("https://example.com/a?b=c%20d"), QStringLiteral("mailto:x@example.com")}));
    EXPECT_EQ(launch("--first %u", urls.mid(0, 1)),
              QStringList({QStringLiteral("--first"), QStringLiteral("https://example.com/a?b=c%20d")}));
    EXPECT_EQ(launch("%F", {QUrl::fromLocalFile(QStringLiteral("/tmp/with space.txt"))}),
              QStringList({QStringLiteral("/tmp/with space.txt")}));
    EXPECT_EQ(launch("%U", {}), QStringList());
    EXPECT_EQ(launch("%c 100%%", {}), QStringList({QStringLiteral("Notes"), QStringLiteral("100%")}));
    EXPECT_EQ(launch("%i", {}, {}, "Icon=notes-icon\n"),
              QStringList({QStringLiteral("--icon"), QStringLiteral("notes-icon")}));
}

TEST_F(DesktopEntryLaunch, KeepsQuotedArgumentsWhole)
{
    EXPECT_EQ(launch("\"two words\" \"a \\\\\\\\ b\" \"\\\\$x\"", {}),
              QStringList({QStringLiteral("two words"), QStringLiteral("a \\ b"), QStringLiteral("$x")}));
}

TEST_F(DesktopEntryLaunch, AppendsExtraArgumentsAfterTheCommandLine)
{
    const QString address = QStringLiteral("https://www.google.com/search?q=\"100%\" $HOME `id`");
    EXPECT_EQ(launch("%U", {}, {QStringLiteral("--new-window"), address}),
              QStringList({QStringLiteral("--new-window"), address}));
}

TEST_F(DesktopEntryLaunch, FailsWhenTheProgramIsGone)
{
    const QString file = folder.addApplication(QStringLiteral("notes"), QStringLiteral("Notes"));
    auto entry = DesktopEntry::read(file, QStringLiteral("notes"));
    ASSERT_TRUE(entry);
    entry->contents.replace(program, "/nonexistent/notes");
    EXPECT_FALSE(entry->launch({}));
}

} // namespace

namespace {

// Children of this process that have exited but were never reaped.
int unreapedChildren()
{
    int count = 0;
    const QString self = QString::number(QCoreApplication::applicationPid());
    for (const QString& process : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(process));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (comm) state ppid ...": the name may hold spaces, so read after its ')'.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> rest = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (rest.size() > 1 && rest[0] == "Z" && rest[1] == self.toUtf8())
            ++count;
    }
    return count;
}

TEST_F(DesktopEntryLaunch, LeavesNoExitedProgramBehind)
{
    ASSERT_TRUE(launch("%U", {}));
    EXPECT_TRUE(eventually([] { return unreapedChildren() == 0; }));
}

} // namespace
