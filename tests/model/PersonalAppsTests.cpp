#include "support/ModelTestKit.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QSignalSpy>

namespace {

const QString slack = QStringLiteral("/usr/share/applications/slack.desktop");
const QString zoom = QStringLiteral("/usr/share/applications/zoom.desktop");
const QString tool = QStringLiteral("/opt/tools/bin/report-tool");

class PersonalApps : public ::testing::Test {
protected:
    QJsonValue storedApps() const { return kit.storedSettings().value(CompanionModel::personalAppsKey); }

    ModelTestKit kit;
};

TEST_F(PersonalApps, TheDialogAsksForApplicationsWithTheRowsWording)
{
    const auto model = kit.makeModel();
    model->addPersonalApp();
    ASSERT_EQ(kit.picker.requests.size(), 1u);
    const ApplicationPickerRequest& request = kit.picker.requests.front();
    EXPECT_EQ(request.title, QStringLiteral("Add a Personal App"));
    EXPECT_EQ(request.message, QStringLiteral("Pick any app \u2014 it joins your personal row."));
    EXPECT_EQ(request.prompt, QStringLiteral("Add"));
    EXPECT_EQ(request.startDirectory, QStringLiteral("/Applications"));
}

TEST_F(PersonalApps, AddingAppendsOnlyNewPathsInTheDialogsOrderAndStoresOnce)
{
    kit.writeSettings({{CompanionModel::personalAppsKey, QJsonArray{slack}}});
    const auto model = kit.makeModel();
    QSignalSpy changes(model.get(), &ObservableObject::willChange);

    kit.picker.answer = QStringList{tool, slack, zoom};
    model->addPersonalApp();
    EXPECT_EQ(model->personalApps.get(), (QStringList{slack, tool, zoom}));
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(storedApps(), (QJsonArray{slack, tool, zoom})) << "stored as an array of texts";
    EXPECT_EQ(kit.makeModel()->personalApps.get(), (QStringList{slack, tool, zoom}));
}

TEST_F(PersonalApps, NothingNewMeansNothingChangesOrIsStored)
{
    kit.writeSettings({{CompanionModel::personalAppsKey, QJsonArray{slack}}});
    const auto model = kit.makeModel();
    QSignalSpy changes(model.get(), &ObservableObject::willChange);

    kit.picker.answer = std::nullopt; // cancelled
    model->addPersonalApp();
    kit.picker.answer = QStringList{slack}; // only what the row already holds
    model->addPersonalApp();
    // The same path in the other Unicode normal form is the same path.
    kit.writeSettings({{CompanionModel::personalAppsKey, QJsonArray{QStringLiteral("/opt/Caf\u00e9.desktop")}}});
    const auto accented = kit.makeModel();
    kit.picker.answer = QStringList{QStringLiteral("/opt/Cafe\u0301.desktop")};
    accented->addPersonalApp();

    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(model->personalApps.get(), QStringList{slack});
    EXPECT_EQ(accented->personalApps->size(), 1);
    EXPECT_EQ(storedApps(), QJsonArray{QStringLiteral("/opt/Caf\u00e9.desktop")});
}

TEST_F(PersonalApps, RemovingTakesEveryEqualEntryAndAlwaysStores)
{
    kit.writeSettings({{CompanionModel::personalAppsKey, QJsonArray{slack, zoom, slack}}});
    const auto model = kit.makeModel();
    QSignalSpy changes(model.get(), &ObservableObject::willChange);

    model->removePersonalApp(slack);
    EXPECT_EQ(model->personalApps.get(), QStringList{zoom});
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(storedApps(), QJsonArray{zoom});

    model->removePersonalApp(QStringLiteral("/usr/share/applications/Zoom.desktop")); // case matters
    EXPECT_EQ(model->personalApps.get(), QStringList{zoom});
    EXPECT_EQ(changes.count(), 2) << "removing nothing is still one change";

    kit.writeSettings({});
    const auto empty = kit.makeModel();
    empty->removePersonalApp(tool);
    EXPECT_EQ(storedApps(), QJsonArray{}) << "the list is stored even when nothing was removed";
}

TEST_F(PersonalApps, ASavedValueOfAnotherFormReadsAsAnEmptyRow)
{
    const QJsonValue wrongForms[] = {QStringLiteral("/usr/share/applications/slack.desktop"), QJsonArray{slack, 4},
                                     QJsonObject{{QStringLiteral("0"), slack}}, true};
    for (const QJsonValue& value : wrongForms) {
        kit.writeSettings({{CompanionModel::personalAppsKey, value}});
        EXPECT_TRUE(kit.makeModel()->personalApps->isEmpty());
        EXPECT_EQ(storedApps(), value) << "the stored value stays until the next change";
    }
}

} // namespace
