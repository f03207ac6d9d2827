// Whose process a managed window is, and when a quit may reach it.
#include "platform/x11/WindowOwnership.h"

#include <gtest/gtest.h>

namespace {

using WindowOwnership::Evidence;

TEST(WindowOwnership, TheServersWordComesBeforeTheWindows)
{
    struct Case {
        const char* what;
        Evidence evidence;
        qint32 process;
    };
    const Case cases[]{
        {"server and window agree", {true, 4242, 4242, true}, 4242},
        {"a window that claims another process", {true, 4242, 1, true}, 4242},
        {"a window that names none (xeyes)", {true, 4242, std::nullopt, true}, 4242},
        {"a client the server cannot name", {true, std::nullopt, 4242, true}, 0},
        {"no extension: the window's claim", {false, std::nullopt, 4242, true}, 4242},
        {"no extension, a claim from another machine", {false, std::nullopt, 4242, false}, 0},
        {"no extension, no claim", {false, std::nullopt, std::nullopt, true}, 0},
        {"no extension, a number no process has", {false, std::nullopt, 0x80000000u, true}, 0},
    };
    for (const Case& test : cases)
        EXPECT_EQ(WindowOwnership::processOf(test.evidence), test.process) << test.what;
}

TEST(WindowOwnership, AQuitGoesOnlyToTheUsersOwnerOfAManagedWindow)
{
    constexpr uid_t user = 1000;
    constexpr qint32 companion = 77;
    const QList<qint32> owners{4242, 5151, companion};
    struct Case {
        const char* what;
        qint32 process;
        std::optional<uid_t> processUser;
        bool allowed;
    };
    const Case cases[]{
        {"the owner of a managed window", 4242, user, true},   {"another user's process", 5151, 0, false},
        {"a process whose window is gone", 6060, user, false}, {"a process that has ended", 4242, std::nullopt, false},
        {"the companion itself", companion, user, false},      {"no process", 0, user, false},
    };
    for (const Case& test : cases)
        EXPECT_EQ(WindowOwnership::mayQuit(test.process, owners, companion, test.processUser, user), test.allowed)
            << test.what;
}

} // namespace
