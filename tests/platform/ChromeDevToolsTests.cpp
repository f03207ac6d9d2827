// What a browser's command line names for the tab closer, in either form
// the kernel shows it.
#include "platform/desktop/ChromeDevTools.h"

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

// A command line as the kernel keeps it: each argument ends in a NUL byte.
QByteArray apart(std::initializer_list<QByteArray> arguments)
{
    QByteArray line;
    for (const QByteArray& argument : arguments)
        line += argument + '\0';
    return line;
}

TEST(ChromeSwitches, AreReadFromEitherFormOfTheCommandLine)
{
    const struct {
        const char* form;
        QByteArray commandLine;
        QStringList profiles;
        QStringList ports;
    } cases[] = {
        {"arguments apart",
         apart({"/opt/google/chrome/chrome", "--user-data-dir=/home/u/my profile", "--remote-debugging-port=9222"}),
         {u"/home/u/my profile"_s}, {u"9222"_s}},
        {"a repeated switch, the last first", apart({"chrome", "--user-data-dir=/a", "--user-data-dir=/b"}),
         {u"/b"_s, u"/a"_s}, {}},
        {"look-alikes and an empty value",
         apart({"chrome", "--user-data-dir-x=/a", "---user-data-dir=/b", "--user-data-dir="}), {}, {}},
        {"as Chromium rewrites it",
         "/usr/lib/chromium/chromium --show-component-extension-options --user-data-dir=/tmp/p "
         "--remote-debugging-port=0 --no-sandbox about:blank" + QByteArray(1, '\0'),
         {u"/tmp/p"_s}, {u"0"_s}},
        {"joined, pages after the last switch",
         "chromium --remote-debugging-port=9222 --user-data-dir=/home/u/my profile https://example.org/",
         {u"/home/u/my profile https://example.org/"_s, u"/home/u/my profile"_s, u"/home/u/my"_s}, {u"9222"_s}},
        {"joined, a look-alike inside another value", "chromium --flag=x--user-data-dir=/a --user-data-dir=/b",
         {u"/b"_s}, {}},
        {"the program alone", apart({"chrome"}), {}, {}},
    };
    for (const auto& row : cases) {
        EXPECT_EQ(ChromeDevTools::switchValues(row.commandLine, QLatin1String("user-data-dir")), row.profiles)
            << row.form;
        EXPECT_EQ(ChromeDevTools::switchValues(row.commandLine, QLatin1String("remote-debugging-port")), row.ports)
            << row.form;
    }
}

} // namespace
