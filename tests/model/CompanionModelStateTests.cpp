#include "support/HeardMessages.h"
#include "support/ModelTestKit.h"
#include "support/QtPrinters.h"
#include "support/SmallFileSystem.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <future>
#include <memory>
#include <string>
#include <thread>

using namespace std::chrono_literals;

namespace {

// The kind of file at path (a symbolic link is not followed); 0 for nothing.
mode_t kindAt(const QString& path)
{
    struct stat info { };
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & S_IFMT : 0;
}

// A settings session on a thread of its own, so a session that blocks fails
// the test rather than hanging it (and is left behind): reads a setting,
// changes it, reads it back. True when nothing was there and the change held.
bool changeOneSetting(const QString& path)
{
    auto result = std::make_shared<std::promise<bool>>();
    std::future<bool> held = result->get_future();
    std::thread([path, result] {
        const std::unique_ptr<QSettings> settings = CompanionSettings::open(path);
        const bool wasAbsent = !settings->contains(CompanionModel::googleSeparateKey);
        CompanionSettings::store(*settings, CompanionModel::googleSeparateKey, false);
        result->set_value(wasAbsent && settings->value(CompanionModel::googleSeparateKey) == QVariant(false));
    }).detach();
    if (held.wait_for(5s) == std::future_status::ready)
        return held.get();
    ADD_FAILURE() << "blocked on " << path.toStdString();
    return false;
}

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class CompanionModelState : public ::testing::Test {
protected:
    QJsonValue stored(const QString& key) const { return kit.storedSettings().value(key); }

    ModelTestKit kit;
};

TEST_F(CompanionModelState, FirstRunStartsAtRest)
{
    const auto model = kit.makeModel();
    EXPECT_EQ(model->appearance.get(), CompanionAppearance::light);
    EXPECT_TRUE(model->googleOpensSeparately);
    EXPECT_TRUE(model->personalApps->isEmpty());
    EXPECT_TRUE(model->facingRight);
    EXPECT_EQ(model->expression.get(), CompanionExpression::idle);
    EXPECT_EQ(model->waveSignal.get(), 0);
    for (const bool flag :
         {model->isWalking.get(), model->menuOpen.get(), model->menuOpensToRight.get(), model->companionHidden.get(),
          model->mobileLinkCopied.get(), model->mobileInstructionsVisible.get(), model->isDragging.get(),
          model->alertOpensToRight.get(), model->usagePanelOpen.get(), model->googlePanelOpen.get(),
          model->layoutPanelOpen.get(), model->taskPanelOpen.get(), model->fleetPanelOpen.get()})
        EXPECT_FALSE(flag);
    EXPECT_FALSE(model->mobileQRImage->has_value());
    EXPECT_FALSE(model->activeAlert->has_value());
    EXPECT_FALSE(model->agentUsage->has_value());
    EXPECT_FALSE(model->fleetError->has_value());
    EXPECT_FALSE(model->confirmKillBotID->has_value());
    EXPECT_TRUE(model->runningApps->empty());
    EXPECT_TRUE(model->forceReadyApps->isEmpty());
    EXPECT_TRUE(model->fleetBots->empty());
    EXPECT_TRUE(model->weatherText->isEmpty());
    // Creating a model writes nothing.
    EXPECT_FALSE(QFile::exists(kit.settingsPath));
}

TEST_F(CompanionModelState, AnUnreadableSettingsFileGivesTheFirstRunValuesAndIsKeptBeforeItIsWrittenOver)
{
    const QByteArray deep = QByteArray(2000, '[') + QByteArray(2000, ']');
    const std::pair<QByteArray, bool> files[] = {
        // What the reader refuses, and whether it can be read.
        {"{\"lumivo-companion-appearance\": \"dark\"", false},
        {"[\"dark\"]", false},
        {"\xff\xfe\x00garbage", false},
        {"{\"lumivo-companion-appearance\": \"dark\", \"nested\": " + deep + "}", false},
        {"{\"lumivo-companion-appearance\": \"\xff\xfe\xc0\x80\"}", false},
        {"{\"unknown\": \"" + QByteArray(CompanionSettings::largestFile, 'x') + "\"}", false},
        {"{\"unknown\":\"" + QByteArray(CompanionSettings::largestFile - 55, 'x') + "\"}", true}, // saved at the bound
        {"{\"lumivo-companion-appearance\": \"light\"}", true},
        {" \n", true},
    };
    for (const auto& [contents, readable] : files) {
        kit.writeSettings({});
        const QString kept = kit.settingsPath + QStringLiteral(".unreadable");
        for (const auto& [path, bytes] :
             {std::pair(kit.settingsPath, contents), std::pair(kept, QByteArray("older"))}) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        }
        ASSERT_TRUE(QFile::setPermissions(kit.settingsPath, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        const std::string what = contents.left(60).toStdString();

        const auto model = kit.makeModel();
        EXPECT_TRUE(readable || QFile::permissions(kept) == QFile::permissions(kit.settingsPath))
            << what << ": private";
        EXPECT_EQ(model->appearance.get(), CompanionAppearance::light) << what;
        EXPECT_TRUE(model->googleOpensSeparately) << what;
        EXPECT_TRUE(model->personalApps->isEmpty()) << what;
        EXPECT_TRUE(contentsOf(kit.settingsPath) == contents) << what << ": changed by reading it";
        EXPECT_TRUE(contentsOf(kept) == (readable ? "older" : contents)) << what << ": not kept, or kept when sound";
        model->setGoogleOpensSeparately(false);
        EXPECT_EQ(stored(CompanionModel::googleSeparateKey), QJsonValue(false))
            << what << ": the next change writes a sound file";
        EXPECT_LE(QFileInfo(kit.settingsPath).size(), CompanionSettings::largestFile) << what << ": and reads it back";
    }
}

TEST_F(CompanionModelState, EveryAssignmentAnnouncesOnceBeforeTheValueIsStored)
{
    const auto model = kit.makeModel();
    std::vector<bool> menuOpenSeenByObserver;
    QObject::connect(model.get(), &ObservableObject::willChange,
                     [&] { menuOpenSeenByObserver.push_back(model->menuOpen); });

    model->menuOpen = true;
    ASSERT_EQ(menuOpenSeenByObserver.size(), 1u);
    EXPECT_FALSE(menuOpenSeenByObserver[0]) << "observers are told before the new value is stored";
    EXPECT_TRUE(model->menuOpen);

    QSignalSpy changes(model.get(), &ObservableObject::willChange);
    model->usagePanelOpen = false; // equal value: still one change
    model->weatherText = QString();
    EXPECT_EQ(changes.count(), 2);

    model->forceReadyApps.modify([](QSet<std::int32_t>& ids) {
        ids.insert(41);
        ids.insert(42);
    });
    EXPECT_EQ(changes.count(), 3) << "a read-modify-write is one change";
    model->requestWave();
    model->requestWave();
    model->requestWave();
    EXPECT_EQ(model->waveSignal.get(), 3);
    EXPECT_EQ(changes.count(), 6);

    // Hooks and reading never announce anything.
    model->openChat = [] {};
    model->setMenuOpen(true);
    model->quitApp(12);
    model->openGoogleLink(CompanionCTA::drive);
    model->dragBy(QSizeF(3, 4));
    [[maybe_unused]] const bool read = model->menuOpen;
    EXPECT_EQ(changes.count(), 6);
}

TEST_F(CompanionModelState, AnUnwiredModelAcceptsEveryHookCall)
{
    const auto model = kit.makeModel();
    model->setMenuOpen(!model->menuOpen);
    model->setBotEnabled(QStringLiteral("bot-1"), true);
    model->openAlert(CompanionAlert(CompanionAlertSource::email, QString()));
    model->enqueueAlert(CompanionAlertSource::slack, QStringLiteral("standup"));
    model->dismissAlert(true);
    EXPECT_FALSE(model->menuOpen);
    EXPECT_FALSE(model->activeAlert->has_value());
}

TEST_F(CompanionModelState, AppearanceIsReadOnlyFromAnExactSavedText)
{
    kit.writeSettings({{CompanionModel::appearanceKey, QStringLiteral("dark")}});
    EXPECT_EQ(kit.makeModel()->appearance.get(), CompanionAppearance::dark);

    const QJsonValue notAppearances[] = {
        QStringLiteral("Dark"), QString(), QStringLiteral("dark "), 7, true, QJsonArray{QStringLiteral("dark")},
        QJsonObject{}};
    for (const QJsonValue& value : notAppearances) {
        kit.writeSettings({{CompanionModel::appearanceKey, value}});
        EXPECT_EQ(kit.makeModel()->appearance.get(), CompanionAppearance::light)
            << QJsonDocument(QJsonArray{value}).toJson().toStdString();
        EXPECT_EQ(stored(CompanionModel::appearanceKey), value) << "an invalid value stays stored";
    }
}

TEST_F(CompanionModelState, SettingTheAppearanceStoresItsTextEveryTime)
{
    const auto model = kit.makeModel();
    QSignalSpy changes(model.get(), &ObservableObject::willChange);

    model->setAppearance(CompanionAppearance::dark);
    EXPECT_EQ(stored(CompanionModel::appearanceKey), QJsonValue(QStringLiteral("dark")));
    EXPECT_EQ(kit.makeModel()->appearance.get(), CompanionAppearance::dark);

    model->setAppearance(CompanionAppearance::dark);
    EXPECT_EQ(changes.count(), 2) << "an unchanged appearance still announces a change";

    model->toggleAppearance();
    EXPECT_EQ(model->appearance.get(), CompanionAppearance::light);
    EXPECT_EQ(stored(CompanionModel::appearanceKey), QJsonValue(QStringLiteral("light")));
    model->toggleAppearance();
    EXPECT_EQ(model->appearance.get(), CompanionAppearance::dark);
    EXPECT_EQ(stored(CompanionModel::appearanceKey), QJsonValue(QStringLiteral("dark")));
}

TEST_F(CompanionModelState, GoogleLinksModeIsABooleanWithTrueWhenNothingIsSaved)
{
    kit.writeSettings({{CompanionModel::googleSeparateKey, false}});
    const auto model = kit.makeModel();
    EXPECT_FALSE(model->googleOpensSeparately);

    model->setGoogleOpensSeparately(true);
    EXPECT_TRUE(model->googleOpensSeparately);
    EXPECT_EQ(stored(CompanionModel::googleSeparateKey), QJsonValue(true)) << "stored as a boolean";
    EXPECT_TRUE(kit.makeModel()->googleOpensSeparately);

    // Whatever else is stored is read as the boolean it spells.
    const std::pair<QJsonValue, bool> readings[] = {
        {QStringLiteral("false"), false},
        {QStringLiteral("YES"), true},
        {QStringLiteral("  -0042"), true},
        {QStringLiteral("0"), false},
        {0, false},
        {2.5, true},
        {QString(), false},
        {QJsonArray{true}, false},
        {QJsonValue::Null, false},
    };
    for (const auto& [value, expected] : readings) {
        kit.writeSettings({{CompanionModel::googleSeparateKey, value}});
        EXPECT_EQ(kit.makeModel()->googleOpensSeparately.get(), expected)
            << QJsonDocument(QJsonArray{value}).toJson().toStdString();
    }
}

TEST(SavedSettings, WhatIsNoRegularFileIsNeitherWaitedOnNorReplacedAndTheSettingsHoldForTheRun)
{
    // What is made where, and whether the settings path links to it. The
    // device is a null device of our own; making one needs root.
    const struct {
        const char* name;
        mode_t kind;
        bool linked;
    } oddPaths[] = {
        {"settings.json", S_IFIFO, false},
        {"elsewhere", S_IFIFO, true},
        {"settings.json.lock", S_IFIFO, false},
        {"settings.json", S_IFCHR, false},
    };
    for (const auto& odd : oddPaths) {
        QTemporaryDir folder;
        const QString settings = folder.filePath(QStringLiteral("settings.json"));
        const QString made = folder.filePath(QString::fromLatin1(odd.name));
        const std::string what =
            odd.name + std::string(odd.linked ? " linked" : "") + " of kind " + std::to_string(odd.kind);
        if (::mknod(QFile::encodeName(made).constData(), odd.kind | 0600, makedev(1, 3)) != 0) {
            ASSERT_EQ(odd.kind, mode_t(S_IFCHR)) << "could not make " << what;
            continue;
        }
        if (odd.linked) {
            ASSERT_TRUE(QFile::link(made, settings));
        }
        const QStringList files{settings, settings + QStringLiteral(".lock"), made};
        QList<mode_t> kinds;
        for (const QString& file : files)
            kinds.append(kindAt(file));
        EXPECT_NE(CompanionSettings::whyNotSavedAt(settings), std::nullopt) << what;

        EXPECT_TRUE(changeOneSetting(settings)) << what;
        for (qsizetype index = 0; index < files.size(); ++index)
            EXPECT_EQ(kindAt(files[index]), kinds[index]) << what << ": " << files[index].toStdString();
    }
}

TEST(SavedSettings, WhatCannotBeKeptOrSavedIsLeftAsItWasAndSaidOnce)
{
    enum Trouble { keptIsAFolder, keptIsALink, keptIsAFifo, noRoomForACopy, readOnly, full, tooLittleRoom, tooLarge };
    // The disk's size in pages of 4 kB: the settings file takes 10, an older kept copy 1.
    const std::tuple<Trouble, int, const char*> cases[] = {
        {keptIsAFolder, 300, "could not be kept"},      {keptIsALink, 300, "could not be kept"},
        {keptIsAFifo, 300, "could not be kept"},        {noRoomForACopy, 13, "could not be kept"},
        {readOnly, 300, "Read-only file system"},       {full, 11, "No space left on device"},
        {tooLittleRoom, 13, "No space left on device"}, {tooLarge, 300, "larger than 1048576 bytes"}};
    for (const auto& [trouble, pages, said] : cases) {
        QTemporaryDir folder;
        const SmallFileSystem disk(folder.path(), pages * 4096);
        if (!disk.mounted)
            GTEST_SKIP() << "mounting a small file system needs root";
        const QString path = folder.filePath(QStringLiteral("settings.json")),
                      kept = path + QStringLiteral(".unreadable");
        // Unreadable; or readable, and one more value is too much for the disk or the bound.
        const qsizetype padding = trouble == tooLarge ? CompanionSettings::largestFile - 53 : 40000;
        const QByteArray contents = trouble <= noRoomForACopy ? "{" + QByteArray(40000, '[')
                                                              : "{\"unknown\":\"" + QByteArray(padding, 'x') + "\"}";
        for (const auto& [name, bytes] : {std::pair(path, contents), std::pair(kept, QByteArray("older"))}) {
            QFile file(name);
            ASSERT_TRUE(trouble == keptIsAFolder && name == kept
                            ? QDir().mkdir(kept)
                            : file.open(QIODevice::WriteOnly) && file.write(bytes));
        }
        // The kept name a link to a file of the user's, or a FIFO.
        const QString older = trouble == keptIsALink ? folder.filePath(QStringLiteral("victim")) : kept;
        ASSERT_TRUE(trouble != keptIsALink || (QFile::rename(kept, older) && QFile::link(older, kept)));
        ASSERT_TRUE(trouble != keptIsAFifo || (QFile::remove(kept) && ::mkfifo(QFile::encodeName(kept), 0600) == 0));
        const mode_t keptKind = kindAt(kept);
        const QStringList entries = QDir(folder.path()).entryList(QDir::AllEntries | QDir::System);
        if (trouble == readOnly)
            disk.makeReadOnly();

        HeardMessages heard;
        const std::unique_ptr<QSettings> settings = CompanionSettings::open(path);
        for (const bool separate : {true, false, false})
            CompanionSettings::store(*settings, CompanionModel::googleSeparateKey, separate);
        EXPECT_EQ(settings->value(CompanionModel::googleSeparateKey), QVariant(false)) << said << ": held for the run";
        EXPECT_TRUE(contentsOf(path) == contents && kindAt(kept) == keptKind
                    && (trouble == keptIsAFifo || contentsOf(older) == (trouble == keptIsAFolder ? "" : "older")))
            << said;
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::System), entries) << said;
        EXPECT_EQ(heard.messages().filter(QStringLiteral("lumivo.settings")).filter(QString::fromLatin1(said)).size(),
                  1)
            << heard.messages().join(u'\n').toStdString();
    }
}

TEST(SavedSettings, ALinkToARegularFileIsSavedThrough)
{
    QTemporaryDir folder;
    const QString settings = folder.filePath(QStringLiteral("settings.json"));
    const QString target = folder.filePath(QStringLiteral("dotfiles/settings.json"));
    ASSERT_TRUE(QDir().mkpath(folder.filePath(QStringLiteral("dotfiles"))));
    ASSERT_TRUE(QFile::link(target, settings)) << "a link to a file not made yet";
    EXPECT_EQ(CompanionSettings::whyNotSavedAt(settings), std::nullopt);
    EXPECT_TRUE(changeOneSetting(settings));

    EXPECT_EQ(kindAt(settings), S_IFLNK);
    EXPECT_EQ(kindAt(target), S_IFREG);
    EXPECT_EQ(CompanionSettings::whyNotSavedAt(settings), std::nullopt);
    EXPECT_EQ(CompanionSettings::open(settings)->value(CompanionModel::googleSeparateKey), QVariant(false));
}

} // namespace
