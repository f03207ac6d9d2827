#include "Symbols.h"

#include "model/ResourceBundle.h"

#include <QFontDatabase>
#include <QHash>
#include <QRawFont>

#include <array>
#include <utility>

namespace Symbols {
namespace {

constexpr char16_t drawnSparkle[] = u"sparkle";
constexpr char16_t badgedCalendar[] = u"calendar.badge.exclamationmark";
// The badge: Material Icons' error, a disc with an exclamation mark.
constexpr char32_t exclamationBadge = 0xe000;

// Symbol name -> Material Icons glyph (its ligature name in the comment).
const std::array<std::pair<const char16_t*, char32_t>, 59> table{{
    {u"antenna.radiowaves.left.and.right", 0xe1e2},       // wifi_tethering
    {u"arrow.down.circle.fill", 0xf000},                  // download_for_offline
    {u"arrow.up.left.and.arrow.down.right", 0xf1ce},      // open_in_full
    {u"arrowshape.turn.up.left.fill", 0xe15e},            // reply
    {u"banknote.fill", 0xe850},                           // account_balance_wallet
    {u"bell.badge.fill", 0xe7f7},                         // notifications_active
    {u"bolt.fill", 0xea0b},                               // bolt
    {u"brain.head.profile", 0xea4a},                      // psychology
    {u"bubble.left.and.bubble.right.fill", 0xe0bf},       // forum
    {u"building.columns.fill", 0xe84f},                   // account_balance
    {u"calendar", 0xebcc},                                // calendar_month
    {u"calendar.badge.exclamationmark", 0xe935},          // calendar_today, badged when drawn
    {u"chart.bar.fill", 0xe26b},                          // bar_chart
    {u"chevron.left", 0xe5cb},                            // chevron_left
    {u"chevron.left.forwardslash.chevron.right", 0xe86f}, // code
    {u"chevron.right", 0xe5cc},                           // chevron_right
    {u"clock.arrow.circlepath", 0xe889},                  // history
    {u"clock.fill", 0xe8b5},                              // schedule
    {u"cloud.fill", 0xe2bd},                              // cloud
    {u"creditcard.fill", 0xe870},                         // credit_card
    {u"desktopcomputer", 0xe30a},                         // computer
    {u"display", 0xef5b},                                 // monitor
    {u"doc.badge.gearshape", 0xe873},                     // description
    {u"doc.richtext.fill", 0xef6e},                       // receipt_long
    {u"doc.text.fill", 0xef42},                           // article
    {u"dollarsign.circle.fill", 0xf041},                  // paid
    {u"envelope.fill", 0xe158},                           // mail
    {u"exclamationmark.triangle.fill", 0xe002},           // warning
    {u"externaldrive.fill", 0xe65c},                      // add_to_drive
    {u"globe", 0xe894},                                   // language
    {u"iphone.and.arrow.forward", 0xe0e7},                // mobile_screen_share
    {u"key.fill", 0xe73c},                                // key
    {u"line.3.horizontal", 0xe5d2},                       // menu
    {u"macwindow", 0xe069},                               // web_asset
    {u"magnifyingglass", 0xe8b6},                         // search
    {u"message.fill", 0xe0ca},                            // chat_bubble
    {u"mic.fill", 0xe029},                                // mic
    {u"moon.circle.fill", 0xef44},                        // bedtime
    {u"music.note", 0xe405},                              // music_note
    {u"person.badge.key.fill", 0xef3d},                   // admin_panel_settings
    {u"phone.fill", 0xe0cd},                              // phone
    {u"play.rectangle.fill", 0xe63a},                     // ondemand_video
    {u"play.square.fill", 0xe04a},                        // video_library
    {u"plus", 0xe145},                                    // add
    {u"power", 0xe8ac},                                   // power_settings_new
    {u"recordingtape", 0xe0d9},                           // voicemail
    {u"rectangle.split.2x1", 0xe949},                     // vertical_split
    {u"server.rack", 0xe875},                             // dns
    {u"signature", 0xe746},                               // draw
    {u"sparkles", 0xe65f},                                // auto_awesome
    {u"sparkles.tv.fill", 0xe639},                        // live_tv
    {u"square.and.pencil", 0xe3c9},                       // edit
    {u"square.grid.2x2", 0xe9b0},                         // grid_view
    {u"square.grid.3x3.fill", 0xe5c3},                    // apps
    {u"tablecells.fill", 0xe265},                         // table_chart
    {u"video.fill", 0xe04b},                              // videocam
    {u"xmark", 0xe5cd},                                   // close
    {u"xmark.app", 0xe0e9},                               // cancel_presentation
    {u"xmark.circle", 0xe888},                            // highlight_off
}};

QString& loadedFamily()
{
    static QString family;
    return family;
}

// A four-pointed star with gently concave sides, its points on the box edges.
QPainterPath sparklePath(qreal size)
{
    const qreal r = size / 2;
    const qreal waist = r * 0.16;
    QPainterPath star;
    star.moveTo(0, -r);
    star.cubicTo(waist, -waist, waist, -waist, r, 0);
    star.cubicTo(waist, waist, waist, waist, 0, r);
    star.cubicTo(-waist, waist, -waist, waist, -r, 0);
    star.cubicTo(-waist, -waist, -waist, -waist, 0, -r);
    star.closeSubpath();
    return star;
}

// A glyph's outline one unit across its em, centred on its ink: the icons
// are drawn in the middle of their frames. Outlines are taken once at a
// large size and scaled, which keeps fractional sizes exact.
QPainterPath unitOutline(char32_t glyph)
{
    static QHash<char32_t, QPainterPath> outlines;
    auto found = outlines.find(glyph);
    if (found == outlines.end()) {
        constexpr int reference = 96;
        QFont font(loadedFamily());
        font.setPixelSize(reference);
        const QRawFont raw = QRawFont::fromFont(font);
        const QList<quint32> indexes = raw.glyphIndexesForString(QString::fromUcs4(&glyph, 1));
        QPainterPath outline = indexes.isEmpty() ? QPainterPath() : raw.pathForGlyph(indexes.first());
        outline.translate(-outline.boundingRect().center());
        QTransform unit;
        unit.scale(1.0 / reference, 1.0 / reference);
        found = outlines.insert(glyph, unit.map(outline));
    }
    return *found;
}

// The glyph with an exclamation badge on its lower right corner, set in a
// gap cut around it: something there needs attention.
QPainterPath badgedOutline(char32_t glyph)
{
    constexpr qreal badgeSize = 0.6;
    constexpr qreal gap = 0.22;
    const QPainterPath base = unitOutline(glyph);
    const QPainterPath disc = unitOutline(exclamationBadge);
    const qreal scale = badgeSize / disc.boundingRect().width();
    const QPointF centre = base.boundingRect().bottomRight() - QPointF(0.75, 0.75) * (badgeSize / 2);
    QPainterPath clearing;
    clearing.addEllipse(centre, (1 + gap) * badgeSize / 2, (1 + gap) * badgeSize / 2);
    QPainterPath shape =
        base.subtracted(clearing).united(QTransform(scale, 0, 0, scale, centre.x(), centre.y()).map(disc));
    shape.translate(-shape.boundingRect().center());
    return shape;
}

} // namespace

std::optional<char32_t> codePoint(QStringView name)
{
    for (const auto& [symbol, glyph] : table) {
        if (name == QStringView(symbol))
            return glyph;
    }
    return std::nullopt;
}

bool isKnown(QStringView name) { return name == QStringView(drawnSparkle) || codePoint(name).has_value(); }

QStringList names()
{
    QStringList all{QString::fromUtf16(drawnSparkle)};
    for (const auto& entry : table)
        all.append(QString::fromUtf16(entry.first));
    return all;
}

bool loadFont(const ResourceBundle& bundle)
{
    static bool attempted = false;
    if (!attempted) {
        attempted = true;
        const QString file = bundle.pathFor(fontFile, QStringLiteral("ttf"));
        const int id = file.isEmpty() ? -1 : QFontDatabase::addApplicationFont(file);
        if (id >= 0)
            loadedFamily() = QFontDatabase::applicationFontFamilies(id).value(0);
    }
    return !loadedFamily().isEmpty();
}

QString fontFamily() { return loadedFamily(); }

QPainterPath path(QStringView name, qreal size)
{
    if (name == QStringView(drawnSparkle))
        return sparklePath(size);
    const std::optional<char32_t> glyph = codePoint(name);
    if (!glyph || loadedFamily().isEmpty())
        return {};
    QTransform scale;
    scale.scale(size, size);
    if (name == QStringView(badgedCalendar)) {
        static const QPainterPath badged = badgedOutline(*glyph);
        return scale.map(badged);
    }
    return scale.map(unitOutline(*glyph));
}

} // namespace Symbols
