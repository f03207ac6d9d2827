#include "model/ModuleFolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

namespace {

TEST(ModuleFolder, TheInstalledFolderWhereItIsElseBesideTheProgram)
{
    const QTemporaryDir prefix;
    const QString programs = QDir(prefix.path()).filePath(QStringLiteral("bin"));
    ASSERT_TRUE(QDir().mkpath(programs));
    const QString installed = ModuleFolder::installed(programs);
    EXPECT_TRUE(installed.startsWith(prefix.path() + QStringLiteral("/lib")));
    EXPECT_TRUE(installed.endsWith(QStringLiteral("/lumivo-companion")));

    // The build tree: the modules are built beside the programs.
    EXPECT_EQ(ModuleFolder::of(programs), programs);
    ASSERT_TRUE(QDir().mkpath(installed));
    EXPECT_EQ(ModuleFolder::of(programs), installed);
}

} // namespace
