#include "WeatherText.h"

#include "model/CompanionDestinations.h"
#include "model/OutsideText.h"

#include <QStringDecoder>
#include <QTextBoundaryFinder>

namespace WeatherText {
namespace {

constexpr qsizetype longestText = 8;

qsizetype userPerceivedLength(const QString& text)
{
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (graphemes.toNextBoundary() != -1)
        ++count;
    return count;
}

// The characters that only steer the direction of text (Unicode's
// Bidi_Control): a right-to-left override shows "72°F" as "F°27".
bool steersDirection(QChar character)
{
    const char16_t unit = character.unicode();
    return unit == 0x061C || unit == 0x200E || unit == 0x200F || (unit >= 0x202A && unit <= 0x202E)
        || (unit >= 0x2066 && unit <= 0x2069);
}

} // namespace

QUrl serviceAddress()
{
    // wttr.in answers "%t" with the temperature and "u" asks for US units
    // (Fahrenheit). Set as a query rather than parsed as part of the address:
    // "%t" is no percent-escape, so it travels escaped as "%25t" and reaches
    // the service as the text "%t".
    static const QUrl address = [] {
        QUrl url = CompanionRoute::requiredURL(QStringLiteral("https://wttr.in/"));
        url.setQuery(QStringLiteral("format=%t&u"));
        return url;
    }();
    return address;
}

std::optional<QString> fromBody(const QByteArray& body)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(body);
    if (utf8.hasError())
        return std::nullopt;

    text.removeIf(steersDirection);
    text = text.trimmed();
    text.remove(u'+');
    if (userPerceivedLength(text) > longestText || !text.contains(u'°'))
        return std::nullopt;
    return OutsideText::boundedForDisplay(text, longestText);
}

} // namespace WeatherText
