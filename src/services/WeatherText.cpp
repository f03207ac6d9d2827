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

    // A right-to-left override shows "72°F" as "F°27".
    text.removeIf(OutsideText::steersDirection);
    text = text.trimmed();
    text.remove(u'+');
    if (userPerceivedLength(text) > longestText || !text.contains(u'°'))
        return std::nullopt;
    return OutsideText::boundedForDisplay(text, longestText);
}

} // namespace WeatherText
