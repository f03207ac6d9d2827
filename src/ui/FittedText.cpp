#include "FittedText.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QTextLayout>

#include <cmath>

QString preferredRoundedFamily(const QStringList& installed)
{
    static const QStringList preferred{QStringLiteral("Nunito"), QStringLiteral("M PLUS Rounded 1c"),
                                       QStringLiteral("Manjari"), QStringLiteral("Quicksand")};
    for (const QString& family : preferred) {
        if (installed.contains(family, Qt::CaseInsensitive))
            return family;
    }
    return {};
}

QFont systemFont(qreal size, QFont::Weight weight)
{
    // Fonts are installed with the program, not while it runs: look once.
    static const QString rounded = preferredRoundedFamily(QFontDatabase::families());
    QFont font;
    if (!rounded.isEmpty())
        font.setFamilies({rounded, font.family()});
    // Qt's points are 1/72 inch at the 96-dots-per-inch logical resolution of
    // layouts; the views' sizes are in device independent pixels.
    font.setPointSizeF(size * 72.0 / 96.0);
    font.setWeight(weight);
    return font;
}

QFont shrunkToFit(const QFont& font, const QString& text, qreal width, qreal minimumScaleFactor)
{
    const qreal natural = QFontMetricsF(font).horizontalAdvance(text);
    if (natural <= width || natural <= 0)
        return font;
    QFont fitted = font;
    qreal scale = std::max(minimumScaleFactor, width / natural);
    // Glyph advances do not scale exactly with size; step down until it fits.
    for (int attempt = 0; attempt < 8; ++attempt) {
        fitted.setPointSizeF(font.pointSizeF() * scale);
        if (QFontMetricsF(fitted).horizontalAdvance(text) <= width || scale <= minimumScaleFactor)
            break;
        scale = std::max(minimumScaleFactor, scale * 0.97);
    }
    return fitted;
}

QString elidedLine(const QString& text, const QFont& font, qreal width)
{
    const QString elided = QFontMetricsF(font).elidedText(text, Qt::ElideRight, width);
    if (elided == text)
        return text;
    qsizetype kept = 0;
    while (kept < elided.size() && kept < text.size() && elided[kept] == text[kept])
        ++kept;
    // The cut may fall just after a space: "cuts it…", not "cuts it …".
    qsizetype end = kept;
    while (end > 0 && elided[end - 1].isSpace())
        --end;
    return elided.left(end) + elided.mid(kept);
}

QStringList wrappedLines(const QString& text, const QFont& font, qreal width, int maximumLines)
{
    QStringList lines;
    if (text.isEmpty() || maximumLines <= 0)
        return lines;
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        if (lines.size() == maximumLines - 1) {
            // The last allowed line takes the rest, cut with an ellipsis.
            const QString rest = text.mid(line.textStart()).simplified();
            lines.append(elidedLine(rest, font, width));
            break;
        }
        lines.append(text.mid(line.textStart(), line.textLength()).trimmed());
    }
    layout.endLayout();
    return lines;
}
