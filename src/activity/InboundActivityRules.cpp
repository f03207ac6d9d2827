#include "InboundActivityRules.h"

#include "model/CompanionEdition.h"
#include "model/OutsideText.h"

#include <span>
#include <string_view>

namespace InboundActivityRules {

namespace {

using Source = CompanionAlertSource;

struct Entry {
    std::u16string_view name;
    Source::Value source;
};

// The standard categories of incoming mail, messages and calls.
constexpr Entry categories[] = {
    {u"email", Source::email},          {u"email.arrived", Source::email}, {u"im", Source::message},
    {u"im.received", Source::message},  {u"call", Source::call},           {u"call.incoming", Source::call},
    {u"call.unanswered", Source::call},
};

// Senders by the lower-cased name of their desktop entry or application, or
// the last part of a reverse-domain entry ("org.gnome.Evolution" ->
// "evolution").
constexpr Entry applications[] = {
    {u"slack", Source::slack},

    {u"thunderbird", Source::email},
    {u"betterbird", Source::email},
    {u"evolution", Source::email},
    {u"geary", Source::email},
    {u"kmail", Source::email},
    {u"kmail2", Source::email},
    {u"mailspring", Source::email},
    {u"claws-mail", Source::email},
    {u"claws mail", Source::email},
    {u"sylpheed", Source::email},
    {u"trojita", Source::email},
    {u"superhuman", Source::email},

    {u"calendar", Source::calendar},
    {u"gnome-calendar", Source::calendar},
    {u"evolution-alarm-notify", Source::calendar},
    {u"evolution reminders", Source::calendar},
    {u"korganizer", Source::calendar},
    {u"korgac", Source::calendar},
    {u"kalendar", Source::calendar},
    {u"merkuro", Source::calendar},
    {u"fantastical", Source::calendar},
    {u"reminders", Source::calendar},

    {u"telegram", Source::message},
    {u"telegram desktop", Source::message},
    {u"telegramdesktop", Source::message},
    {u"org.telegram.desktop", Source::message},
    {u"signal", Source::message},
    {u"signal-desktop", Source::message},
    {u"whatsapp", Source::message},
    {u"whatsapp-for-linux", Source::message},
    {u"zapzap", Source::message},
    {u"element", Source::message},
    {u"element-desktop", Source::message},
    {u"im.riot.riot", Source::message},
    {u"discord", Source::message},
    {u"pidgin", Source::message},
    {u"fractal", Source::message},
    {u"dino", Source::message},
    {u"gajim", Source::message},
    {u"polari", Source::message},
    {u"chatty", Source::message},
    {u"skype", Source::message},
    {u"skypeforlinux", Source::message},
    {u"com.skype.client", Source::message},
    {u"teams-for-linux", Source::message},
    {u"messages", Source::message},
};

// The names this program sends under: its two programs and the editions'
// display names (what Qt puts in a notification it sends for a window).
constexpr std::u16string_view companionPrograms[] = {u"lumivo-companion", u"lumivo-companion-employee"};

std::optional<Source> lookUp(std::span<const Entry> table, QStringView key)
{
    for (const Entry& entry : table) {
        if (key == QStringView(entry.name))
            return Source(entry.source);
    }
    return std::nullopt;
}

// A sender's name as the table keys it: lower case, no ".desktop" ending.
QString normalisedSender(const QString& name)
{
    QString key = name.trimmed().toLower();
    if (key.endsWith(QStringLiteral(".desktop")))
        key.chop(8);
    return key;
}

std::optional<Source> applicationSource(const QString& sender)
{
    const QString key = normalisedSender(sender);
    if (key.isEmpty())
        return std::nullopt;
    if (const std::optional<Source> source = lookUp(applications, key))
        return source;
    const qsizetype lastDot = key.lastIndexOf(QLatin1Char('.'));
    if (lastDot < 0)
        return std::nullopt;
    return lookUp(applications, QStringView(key).mid(lastDot + 1));
}

std::optional<QString> decodedEntity(QStringView name)
{
    if (name == u"amp")
        return QStringLiteral("&");
    if (name == u"lt")
        return QStringLiteral("<");
    if (name == u"gt")
        return QStringLiteral(">");
    if (name == u"quot")
        return QStringLiteral("\"");
    if (name == u"apos")
        return QStringLiteral("'");
    if (!name.startsWith(u'#'))
        return std::nullopt;
    bool ok = false;
    const char32_t code = name.size() > 1 && (name[1] == u'x' || name[1] == u'X') ? name.mid(2).toUInt(&ok, 16)
                                                                                  : name.mid(1).toUInt(&ok, 10);
    if (!ok || code == 0 || code > 0x10FFFF || QChar::isSurrogate(code))
        return std::nullopt;
    return QString::fromUcs4(&code, 1);
}

bool startsTag(QStringView text)
{
    return text.size() > 1 && (text[1].isLetter() || text[1] == u'/' || text[1] == u'!');
}

} // namespace

std::optional<CompanionAlertSource> sourceFor(const DesktopNotification& notification)
{
    if (const std::optional<Source> source = lookUp(categories, notification.category.trimmed().toLower()))
        return source;
    return applicationSource(notification.desktopEntry.isEmpty() ? notification.appName : notification.desktopEntry);
}

bool isFromCompanion(const DesktopNotification& notification)
{
    for (const QString& sender : {notification.desktopEntry, notification.appName}) {
        const QString key = normalisedSender(sender);
        for (std::u16string_view program : companionPrograms) {
            if (key == QStringView(program))
                return true;
        }
        for (CompanionEdition edition : CompanionEdition::allCases) {
            if (key == edition.productName().toLower())
                return true;
        }
    }
    return false;
}

QString arrivingText(QByteArrayView utf8)
{
    if (utf8.size() > longestArrivingText) {
        // Back to the first byte of the character the cut would split.
        qsizetype end = longestArrivingText;
        const auto continues = [&] { return (static_cast<uchar>(utf8[end]) & 0xC0) == 0x80; };
        for (int step = 0; step < 3 && continues(); ++step)
            --end;
        utf8 = utf8.first(end);
    }
    return QString::fromUtf8(utf8);
}

QString plainText(QStringView markup)
{
    QString text;
    text.reserve(markup.size());
    // The first ">" at or after the "<" being read. It is searched for again
    // only once passed, and never again once none is left, so the many "<"
    // before one ">" (or before the end) share a single search.
    qsizetype closing = -1;
    const auto closingAfter = [&](qsizetype index) {
        if (closing < index && closing != markup.size()) {
            closing = markup.indexOf(u'>', index);
            if (closing < 0)
                closing = markup.size();
        }
        return closing;
    };
    qsizetype index = 0;
    while (index < markup.size()) {
        const QStringView rest = markup.mid(index);
        if (rest.front() == u'<' && startsTag(rest)) {
            const qsizetype end = closingAfter(index);
            if (end < markup.size()) {
                const QStringView tag = markup.mid(index + 1, end - index - 1);
                if (tag.startsWith(u"br", Qt::CaseInsensitive))
                    text += QLatin1Char(' ');
                index = end + 1;
                continue;
            }
        }
        if (rest.front() == u'&') {
            // An entity's name is short: its ";" comes within ten characters.
            const qsizetype end = rest.left(11).indexOf(u';');
            if (end > 1) {
                if (const std::optional<QString> character = decodedEntity(rest.mid(1, end - 1))) {
                    text += *character;
                    index += end + 1;
                    continue;
                }
            }
        }
        text += rest.front();
        ++index;
    }
    return text;
}

QString alertDetail(const DesktopNotification& notification)
{
    const QString summary = notification.summary.simplified();
    const QString body = plainText(notification.body).simplified();
    return OutsideText::boundedForDisplay(
        summary.isEmpty() || body.isEmpty() ? summary + body : summary + QStringLiteral(": ") + body, longestDetail);
}

std::optional<Finding> findingFor(const DesktopNotification& notification)
{
    if (notification.urgency == DesktopNotification::Urgency::low || isFromCompanion(notification))
        return std::nullopt;
    const std::optional<CompanionAlertSource> source = sourceFor(notification);
    if (!source)
        return std::nullopt;
    return Finding{*source, alertDetail(notification)};
}

} // namespace InboundActivityRules
