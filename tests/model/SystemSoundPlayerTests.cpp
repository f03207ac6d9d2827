#include "model/ResourceBundle.h"
#include "model/SystemSoundPlayer.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTest>

TEST(ResourceBundleSoundPlayer, FindsSoundsByNameInTheBundle)
{
    const ResourceBundle bundle(QStringLiteral(LUMIVO_BINARY_DIR "/src/lumivo-companion.resources"));
    ResourceBundleSoundPlayer player(bundle);

    const QString tink = player.soundPath(QStringLiteral("Tink"));
    EXPECT_EQ(tink, bundle.root() + QStringLiteral("/Tink.wav"));
    EXPECT_TRUE(QFileInfo(tink).isFile());
    EXPECT_TRUE(player.soundPath(QStringLiteral("Nope")).isEmpty());
    EXPECT_TRUE(player.soundPath(QStringLiteral("tink")).isEmpty()) << "names are case-sensitive";

    // No audio device here: playing, replaying and a missing name stay silent.
    player.play(QStringLiteral("Tink"));
    player.play(QStringLiteral("Tink"));
    player.play(QStringLiteral("Nope"));
    // Time is the point: the effects load and fail on threads of their own meanwhile, and nothing may crash or sound.
    QTest::qWait(300);
}
