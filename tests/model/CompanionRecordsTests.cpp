#include "model/BrandColors.h"
#include "model/CompanionRecords.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QSet>

TEST(CompanionAlertSource, RawValuesMatchExactlyAndCaseSensitively)
{
    for (const auto source : CompanionAlertSource::allCases)
        EXPECT_EQ(CompanionAlertSource::fromRawValue(CompanionAlertSource(source).rawValue()), source);

    EXPECT_EQ(CompanionAlertSource::fromRawValue(u"email"), CompanionAlertSource::email);
    for (const auto text : {u"Email", u"EMAIL", u" email", u"email ", u""})
        EXPECT_FALSE(CompanionAlertSource::fromRawValue(text).has_value()) << QString::fromUtf16(text).toStdString();
}

TEST(CompanionAlertSource, TitlesAndSymbols)
{
    const QString dash = QStringLiteral(" \u2014 ");
    QSet<QString> titles;
    for (const auto value : CompanionAlertSource::allCases) {
        const CompanionAlertSource source(value);
        titles.insert(source.title());
        EXPECT_FALSE(source.symbol().isEmpty());
        if (source != CompanionAlertSource::setup) {
            EXPECT_TRUE(source.title().startsWith(QStringLiteral("ZQ") + dash)) << source.title().toStdString();
        }
    }
    EXPECT_EQ(titles.size(), 8);
    EXPECT_EQ(CompanionAlertSource(CompanionAlertSource::setup).title(), QStringLiteral("Turn on inbound alerts"));
    EXPECT_EQ(CompanionAlertSource(CompanionAlertSource::slack).title(), QStringLiteral("ZQ \u2014 you got a Slack"));
    EXPECT_EQ(CompanionAlertSource(CompanionAlertSource::voicemail).symbol(), QStringLiteral("recordingtape"));
    EXPECT_EQ(CompanionAlertSource(CompanionAlertSource::calendar).symbol(),
              QStringLiteral("calendar.badge.exclamationmark"));
}

TEST(CompanionAlertSource, KeysAHashBySource)
{
    QHash<CompanionAlertSource, int> counts;
    counts[CompanionAlertSource::message] += 2;
    counts[CompanionAlertSource::message] += 1;
    counts[CompanionAlertSource::email] += 1;
    EXPECT_EQ(counts.value(CompanionAlertSource::message), 3);
    EXPECT_EQ(counts.size(), 2);
}

TEST(CompanionAppearance, RawValuesAndToggling)
{
    EXPECT_EQ(CompanionAppearance::fromRawValue(u"dark"), CompanionAppearance::dark);
    EXPECT_EQ(CompanionAppearance::fromRawValue(u"light"), CompanionAppearance::light);
    EXPECT_FALSE(CompanionAppearance::fromRawValue(u"Dark").has_value());
    EXPECT_FALSE(CompanionAppearance::fromRawValue(u"").has_value());
    EXPECT_EQ(CompanionAppearance(CompanionAppearance::light).toggled(), CompanionAppearance::dark);
    EXPECT_EQ(CompanionAppearance(CompanionAppearance::light).toggled().toggled(), CompanionAppearance::light);
    EXPECT_EQ(CompanionAppearance(CompanionAppearance::dark).rawValue(), QStringLiteral("dark"));
}

TEST(CompanionAlert, EveryAlertHasItsOwnIdentity)
{
    const CompanionAlert first(CompanionAlertSource::email, QStringLiteral("Quarterly numbers"));
    const CompanionAlert second(CompanionAlertSource::email, QStringLiteral("Quarterly numbers"));
    EXPECT_NE(first.id(), second.id());
    EXPECT_FALSE(first.id().isNull());
    EXPECT_NE(first, second);
    EXPECT_TRUE(first.isSameAlertAs(second));

    const CompanionAlert copy = first;
    EXPECT_EQ(copy, first);

    const CompanionAlert empty(CompanionAlertSource::call, QString());
    EXPECT_TRUE(empty.detail().isEmpty());
    EXPECT_FALSE(empty.isSameAlertAs(CompanionAlert(CompanionAlertSource::call, QStringLiteral(" "))));
    EXPECT_FALSE(empty.isSameAlertAs(CompanionAlert(CompanionAlertSource::message, QString())));
}

TEST(BrandColors, AreTheBrandsSrgbValues)
{
    EXPECT_EQ(lumivoViolet().rgba(), qRgba(106, 91, 255, 255));
    EXPECT_EQ(lumivoMagenta().rgba(), qRgba(238, 77, 155, 255));
    EXPECT_EQ(lumivoOrange().rgba(), qRgba(255, 138, 87, 255));
    EXPECT_EQ(&lumivoViolet(), &lumivoViolet());
}
