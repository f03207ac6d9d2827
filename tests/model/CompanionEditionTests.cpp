#include "model/CompanionEdition.h"
#include "model/ResourceBundle.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

namespace {

// The check each table of texts per case passes when it is built: it fails a
// table that leaves a case out or lists the cases out of order.
struct EditionRow {
    CompanionEdition::Value value;
};
using E = CompanionEdition;
static_assert(holdsEveryCaseInOrder<E>(std::array<EditionRow, 2>{{{E::commandCenter}, {E::employee}}}));
static_assert(!holdsEveryCaseInOrder<E>(std::array<EditionRow, 2>{{{E::employee}, {E::commandCenter}}}));
static_assert(!holdsEveryCaseInOrder<E>(std::array<EditionRow, 1>{{{E::commandCenter}}}));

TEST(CompanionEdition, OnlyTheExactEmployeeTextChoosesTheEmployeeEdition)
{
    const auto info = [](const QJsonValue& value) { return QJsonObject{{QStringLiteral("LumivoEdition"), value}}; };
    EXPECT_EQ(CompanionEdition::fromInfo(info(QStringLiteral("employee"))), CompanionEdition::employee);
    EXPECT_EQ(CompanionEdition::fromInfo(info(QStringLiteral("commandCenter"))), CompanionEdition::commandCenter);

    const QJsonObject commandCenterInfos[] = {
        {},
        info(QStringLiteral("Employee")),
        info(QStringLiteral("employee ")),
        info(QString()),
        info(1),
        info(true),
        info(QJsonArray{QStringLiteral("employee")}),
        info(QJsonValue::Null),
        {{QStringLiteral("lumivoEdition"), QStringLiteral("employee")}},
    };
    for (const QJsonObject& other : commandCenterInfos)
        EXPECT_EQ(CompanionEdition::fromInfo(other), CompanionEdition::commandCenter);

    EXPECT_FALSE(CompanionEdition::fromRawValue(u"").has_value());
}

TEST(CompanionEdition, PermissionsAndTextsFollowTheEdition)
{
    const CompanionEdition owner = CompanionEdition::commandCenter;
    const CompanionEdition staff = CompanionEdition::employee;
    for (const bool granted : {owner.isCommandCenter(), owner.allowsFinance(), owner.allowsTaskManager(),
                               owner.allowsUsageVisibility(), owner.allowsSystemTools(), owner.allowsFleetControl()})
        EXPECT_TRUE(granted);
    for (const bool granted : {staff.isCommandCenter(), staff.allowsFinance(), staff.allowsTaskManager(),
                               staff.allowsUsageVisibility(), staff.allowsSystemTools(), staff.allowsFleetControl()})
        EXPECT_FALSE(granted);

    EXPECT_EQ(owner.companionCaption(), QStringLiteral("CEO Vora is w/ you"));
    EXPECT_EQ(staff.companionCaption(), QStringLiteral("My Vora is with you"));
    EXPECT_EQ(owner.displayName(), QStringLiteral("Varadi Command Center"));
    EXPECT_EQ(staff.productName(), QStringLiteral("My Vora"));
}

TEST(CompanionEdition, EachBuiltBundleNamesItsEdition)
{
    const QString built = QStringLiteral(LUMIVO_BINARY_DIR "/src/");
    EXPECT_EQ(CompanionEdition::fromInfo(ResourceBundle(built + QStringLiteral("lumivo-companion.resources")).info()),
              CompanionEdition::commandCenter);
    EXPECT_EQ(CompanionEdition::fromInfo(
                  ResourceBundle(built + QStringLiteral("lumivo-companion-employee.resources")).info()),
              CompanionEdition::employee);
}

TEST(ResourceBundle, IsLookedForNextToTheProgramThenUnderShare)
{
    const QStringList places = ResourceBundle::candidatePlaces(QStringLiteral("/opt/lumivo/bin/lumivo-companion"));
    EXPECT_EQ(places,
              (QStringList{QStringLiteral("/opt/lumivo/bin/lumivo-companion.resources"),
                           QStringLiteral("/opt/lumivo/share/lumivo-companion")}));
    EXPECT_EQ(ResourceBundle::missingBundleMessage(places),
              QStringLiteral("could not load resource bundle: from /opt/lumivo/bin/lumivo-companion.resources, "
                             "/opt/lumivo/share/lumivo-companion"));

    QTemporaryDir prefix;
    QDir(prefix.path()).mkpath(QStringLiteral("share/x"));
    const QStringList installed = ResourceBundle::candidatePlaces(prefix.filePath(QStringLiteral("bin/x")));
    EXPECT_EQ(ResourceBundle::locate(installed), prefix.filePath(QStringLiteral("share/x")));
    QDir(prefix.path()).mkpath(QStringLiteral("bin/x.resources"));
    EXPECT_EQ(ResourceBundle::locate(installed), prefix.filePath(QStringLiteral("bin/x.resources")));
    EXPECT_FALSE(ResourceBundle::locate({prefix.filePath(QStringLiteral("nowhere"))}).has_value());
}

TEST(ResourceBundle, ALinkToTheProgramIsFollowedOneStepAtATimeSoEachNameFindsItsOwnBundle)
{
    // bin/lumivo-companion-employee -> lumivo-companion as installed, reached
    // through a link of the user's own in another folder.
    QTemporaryDir prefix;
    const QDir root(prefix.path());
    root.mkpath(QStringLiteral("bin"));
    root.mkpath(QStringLiteral("home"));
    QFile program(root.filePath(QStringLiteral("bin/lumivo-companion")));
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    const auto link = [&](const char* target, const char* name) {
        return QFile::link(QString::fromLatin1(target), root.filePath(QString::fromLatin1(name)));
    };
    ASSERT_TRUE(link("lumivo-companion", "bin/lumivo-companion-employee"));
    ASSERT_TRUE(link("../bin/lumivo-companion-employee", "home/vora"));
    ASSERT_TRUE(link("loop-b", "home/loop-a"));
    ASSERT_TRUE(link("loop-a", "home/loop-b"));

    const auto chain = [&](const char* startedAs) {
        return ResourceBundle::programChain(root.filePath(QString::fromLatin1(startedAs)))
            .replaceInStrings(prefix.path(), QString());
    };
    EXPECT_EQ(chain("bin/lumivo-companion"), QStringList{QStringLiteral("/bin/lumivo-companion")});
    EXPECT_EQ(chain("home/vora"),
              (QStringList{QStringLiteral("/home/vora"), QStringLiteral("/bin/lumivo-companion-employee"),
                           QStringLiteral("/bin/lumivo-companion")}));
    EXPECT_EQ(chain("home/loop-a"), (QStringList{QStringLiteral("/home/loop-a"), QStringLiteral("/home/loop-b")}));

    // Each name of the chain is looked for in turn: the employee's bundle wins over the program's.
    root.mkpath(QStringLiteral("share/lumivo-companion"));
    root.mkpath(QStringLiteral("share/lumivo-companion-employee"));
    const std::optional<QString> found =
        ResourceBundle::locate(ResourceBundle::placesFor(root.filePath(QStringLiteral("home/vora"))));
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(ResourceBundle(*found).programName(), QStringLiteral("lumivo-companion-employee"));
    const ResourceBundle built(QStringLiteral(LUMIVO_BINARY_DIR "/src/lumivo-companion-employee.resources"));
    EXPECT_EQ(built.programName(), QStringLiteral("lumivo-companion-employee"));
}

TEST(ResourceBundle, FindsResourcesByNameAndType)
{
    const ResourceBundle bundle(QStringLiteral(LUMIVO_BINARY_DIR "/src/lumivo-companion.resources"));
    EXPECT_TRUE(bundle.pathFor(QStringLiteral("Tink"), QStringLiteral("wav")).endsWith(QStringLiteral("/Tink.wav")));
    EXPECT_TRUE(bundle.pathFor(QStringLiteral("Tink"), QStringLiteral("png")).isEmpty());
    EXPECT_TRUE(ResourceBundle(QStringLiteral("/nonexistent")).info().isEmpty());
}

} // namespace
