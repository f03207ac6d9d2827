#include "model/ModuleFolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

TEST(ModuleFolder, TheInstalledFolderWhereItIsElseBesideTheProgram)
{
    const QTemporaryDir prefix;
    const QString programs = prefix.filePath(QStringLiteral("bin"));
    ASSERT_TRUE(QDir().mkpath(programs));
    // The build tree: the modules are built beside the programs.
    EXPECT_EQ(ModuleFolder::of(programs), programs);
    const QString installed = ModuleFolder::installed(programs);
    ASSERT_TRUE(installed.startsWith(prefix.filePath(QStringLiteral("lib/"))) && QDir().mkpath(installed));
    EXPECT_EQ(ModuleFolder::of(programs), installed);
}
