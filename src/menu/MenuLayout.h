#pragma once

#include <QLocale>
#include <QRectF>
#include <QString>
#include <QTime>

#include <vector>

// The rules of the menu's layout and texts that are worth stating on their
// own: pure functions of their arguments.

// count tiles of equal width filling row, spacing apart, left to right.
std::vector<QRectF> equalTiles(const QRectF& row, int count, qreal spacing);

// The hero row: "Message My Vora" takes what "Talk" (at most compactWidth
// wide) leaves of width, spacing apart. Answers both widths.
struct HeroWidths {
    qreal message;
    qreal talk;
};
HeroWidths heroWidths(qreal width, qreal spacing, qreal compactWidth);

// The weather circle's text: the weather when there is some, else "—°".
QString weatherCircleText(const QString& weatherText);

// The time as the clock circle shows it: hour and minute in the locale's own
// short form, without the day-period marker ("9:41" in a 12-hour locale,
// "21:41" in a 24-hour one).
QString clockText(const QTime& time, const QLocale& locale);
// How long until the next minute begins.
double secondsUntilNextMinute(const QTime& time);

// A personal app's name: the last component of its path without its
// extension ("/Applications/Visual Studio Code.app" is "Visual Studio Code").
QString personalAppName(const QString& path);

// How far the media row can scroll, and a scroll position kept within that.
qreal scrollLimit(qreal contentWidth, qreal viewportWidth);
qreal clampedScroll(qreal offset, qreal contentWidth, qreal viewportWidth);
