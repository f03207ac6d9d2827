#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

// The rounded family the views prefer among the installed families: Nunito,
// M PLUS Rounded 1c, Manjari, then Quicksand; empty when none is installed.
QString preferredRoundedFamily(const QStringList& installed);

// The system font in its rounded design, at a size in points of the layout
// (one point is one device independent pixel), with a weight.
QFont systemFont(qreal size, QFont::Weight weight = QFont::Normal);

// The font in which text fits width on one line: the font itself when it
// fits, else smaller, but never below minimumScaleFactor of its size (the
// text is then cut by the caller).
QFont shrunkToFit(const QFont& font, const QString& text, qreal width, qreal minimumScaleFactor);

// Text cut at its end to fit width on one line, the ellipsis set straight
// after the last letter kept.
QString elidedLine(const QString& text, const QFont& font, qreal width);

// Text wrapped at word boundaries into lines at most width wide, at most
// maximumLines of them; a text that needs more ends its last line with an
// ellipsis.
QStringList wrappedLines(const QString& text, const QFont& font, qreal width, int maximumLines);
