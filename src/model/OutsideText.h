#pragma once

// Text from outside the program (the local server's feeds, links, other
// programs' notifications) cut to what its place on screen can show before
// anything lays it out or measures it: laying text out takes time in
// proportion to its length, and a single grapheme may carry a million marks.

#include <QString>

#include <optional>

namespace OutsideText {

// The most code points of one grapheme kept: more than any letter with its
// marks or any emoji sequence takes (text in Unicode's stream-safe form has at
// most 30 marks in a row); a longer cluster is no character anyone reads.
inline constexpr qsizetype longestGrapheme = 32;

// The most graphemes kept of a name or a label that takes one line of the
// menu's panels: more than the widest of those lines holds.
inline constexpr qsizetype longestLabel = 100;

// The text's first maxGraphemes graphemes (user-perceived characters), each
// cut to its first maxCodePoints code points, never through a surrogate pair.
// A direction embedding, override or isolate the kept text leaves open is
// closed at its end, so its direction never reaches what is shown after it.
// Text within the bounds that leaves nothing open comes back unchanged. Takes
// time in proportion to the bounds, however long the text.
QString boundedForDisplay(const QString& text, qsizetype maxGraphemes, qsizetype maxCodePoints = longestGrapheme);

// Whether the character only steers the direction of the text around it
// (Unicode's Bidi_Control: marks, embeddings, overrides and isolates).
bool steersDirection(QChar character);

// A name or a label from a feed, cut to longestLabel graphemes.
inline QString boundedLabel(const QString& text) { return boundedForDisplay(text, longestLabel); }
inline std::optional<QString> boundedLabel(const std::optional<QString>& text)
{
    return text ? std::optional(boundedLabel(*text)) : std::nullopt;
}

} // namespace OutsideText
