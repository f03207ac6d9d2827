#pragma once

#include <QPainterPath>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

class ResourceBundle;

// The named symbols the views show, drawn from the Material Icons font that
// ships in the resource bundle. Every name the views use has an entry; the
// four-pointed sparkle, which the font lacks, is drawn as a path, and the
// calendar's exclamation badge is set on its glyph when drawn.
namespace Symbols {

inline const QString fontFile = QStringLiteral("MaterialIcons-Regular");

// The font's code point for a symbol name; none for an unknown name and for
// the drawn sparkle.
std::optional<char32_t> codePoint(QStringView name);
bool isKnown(QStringView name);
QStringList names();

// Loads the symbol font from the bundle, once per process; answers whether
// the font is available.
bool loadFont(const ResourceBundle& bundle);
QString fontFamily();

// The outline of a symbol about the origin, its box size points across; an
// empty path for an unknown name or when the font is not loaded.
QPainterPath path(QStringView name, qreal size);

} // namespace Symbols
