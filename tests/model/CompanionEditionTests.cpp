#include "model/CompanionEdition.h"
#include "model/ResourceBundle.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QDir>
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
        {}, info(QStringLiteral("Employee")), info(QStringLiteral("employee ")), info(QString()),
        info(1), info(true), info(QJsonArray{QStringLiteral("employee")}), info(QJsonValue::Null),
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
    EXPECT_EQ(CompanionEdition::fromInfo(ResourceBundle(built + QStringLiteral("lumivo-companion-employee.resources")).info()),
              CompanionEdition::employee);
}

TEST(ResourceBundle, IsLookedForNextToTheProgramThenUnderShare)
{
    const QStringList places = ResourceBundle::candidatePlaces(QStringLiteral("/opt/lumivo/bin/lumivo-companion"));
    EXPECT_EQ(places, (QStringList{QStringLiteral("/opt/lumivo/bin/lumivo-companion.resources"),
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

TEST(ResourceBundle, FindsResourcesByNameAndType)
{
    const ResourceBundle bundle(QStringLiteral(LUMIVO_BINARY_DIR "/src/lumivo-companion.resources"));
    EXPECT_TRUE(bundle.pathFor(QStringLiteral("Tink"), QStringLiteral("wav")).endsWith(QStringLiteral("/Tink.wav")));
    EXPECT_TRUE(bundle.pathFor(QStringLiteral("Tink"), QStringLiteral("png")).isEmpty());
    EXPECT_TRUE(ResourceBundle(QStringLiteral("/nonexistent")).info().isEmpty());
}

} // namespace
