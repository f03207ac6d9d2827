#include "MenuLayout.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

std::vector<QRectF> equalTiles(const QRectF& row, int count, qreal spacing)
{
    std::vector<QRectF> tiles;
    if (count <= 0)
        return tiles;
    const qreal width = (row.width() - spacing * (count - 1)) / count;
    for (int index = 0; index < count; ++index)
        tiles.emplace_back(row.left() + index * (width + spacing), row.top(), width, row.height());
    return tiles;
}

HeroWidths heroWidths(qreal width, qreal spacing, qreal compactWidth)
{
    // Both are flexible; the narrower offer goes first, so "Talk" takes its
    // half up to its limit and "Message My Vora" the rest.
    const qreal talk = std::min(compactWidth, (width - spacing) / 2);
    return {width - spacing - talk, talk};
}

QString weatherCircleText(const QString& weatherText)
{
    return weatherText.isEmpty() ? QStringLiteral("\u2014\u00B0") : weatherText;
}

QString clockText(const QTime& time, const QLocale& locale)
{
    // The locale's short time form with its day-period field (and the space
    // that sets it apart) and any seconds taken out.
    static const QRegularExpression dayPeriod(QStringLiteral("\\s*(AP|ap|A|a)\\s*"));
    static const QRegularExpression seconds(QStringLiteral("[:.]?s+"));
    QString format = locale.timeFormat(QLocale::ShortFormat);
    const bool twelveHour = format.contains(dayPeriod);
    format.remove(dayPeriod);
    format.remove(seconds);
    // Without its marker Qt would read the hour field as 0 to 23: a 12-hour
    // locale keeps its 12-hour hour.
    QTime shown = time;
    if (twelveHour) {
        const int hour = time.hour() % 12;
        shown = QTime(hour == 0 ? 12 : hour, time.minute());
    }
    return locale.toString(shown, format.trimmed());
}

QString shortTime(const QTime& time, const QLocale& locale)
{
    static const QRegularExpression seconds(QStringLiteral("[:.]?s+"));
    QString format = locale.timeFormat(QLocale::ShortFormat);
    format.remove(seconds);
    return locale.toString(time, format.trimmed());
}

double secondsUntilNextMinute(const QTime& time)
{
    const int intoMinute = time.second() * 1000 + time.msec();
    return (60000 - intoMinute) / 1000.0;
}

QString personalAppName(const QString& path) { return QFileInfo(path).completeBaseName(); }

qreal scrollLimit(qreal contentWidth, qreal viewportWidth) { return std::max<qreal>(0, contentWidth - viewportWidth); }

qreal clampedScroll(qreal offset, qreal contentWidth, qreal viewportWidth)
{
    return std::clamp<qreal>(offset, 0, scrollLimit(contentWidth, viewportWidth));
}
