#include "OutsideText.h"

#include <QTextBoundaryFinder>
#include <QVarLengthArray>

#include <algorithm>

namespace OutsideText {
namespace {

// The direction runs a text opens and leaves open, innermost last, paired as
// the bidirectional algorithm pairs them: a PDF closes the innermost run when
// that is an embedding or override, a PDI closes the innermost isolate with
// every run opened inside it, and a closer with nothing to close does nothing.
class OpenRuns {
public:
    void read(QStringView text)
    {
        for (QChar unit : text)
            read(unit.unicode());
    }

    // The closers of the runs still open, innermost first.
    QString closers() const
    {
        QString text;
        for (auto run = m_runs.crbegin(); run != m_runs.crend(); ++run)
            text += *run == Run::isolate ? QChar(0x2069) : QChar(0x202C);
        return text;
    }

private:
    enum class Run : char { embedding, isolate };

    void read(char16_t unit)
    {
        switch (unit) {
        case 0x202A: // LRE
        case 0x202B: // RLE
        case 0x202D: // LRO
        case 0x202E: // RLO
            m_runs.append(Run::embedding);
            break;
        case 0x2066: // LRI
        case 0x2067: // RLI
        case 0x2068: // FSI
            m_runs.append(Run::isolate);
            break;
        case 0x202C: // PDF
            if (!m_runs.isEmpty() && m_runs.back() == Run::embedding)
                m_runs.removeLast();
            break;
        case 0x2069: // PDI
            if (const auto isolate = std::find(m_runs.crbegin(), m_runs.crend(), Run::isolate);
                isolate != m_runs.crend())
                m_runs.resize(m_runs.crend() - isolate - 1);
            break;
        default: break;
        }
    }

    QVarLengthArray<Run, 8> m_runs;
};

// How many code units the first maxCodePoints code points of text take.
qsizetype codePointsLength(QStringView text, qsizetype maxCodePoints)
{
    qsizetype length = 0;
    for (qsizetype points = 0; points < maxCodePoints && length < text.size(); ++points)
        length +=
            text[length].isHighSurrogate() && length + 1 < text.size() && text[length + 1].isLowSurrogate() ? 2 : 1;
    return length;
}

} // namespace

bool steersDirection(QChar character)
{
    const char16_t unit = character.unicode();
    return unit == 0x061C || unit == 0x200E || unit == 0x200F || (unit >= 0x202A && unit <= 0x202E)
        || (unit >= 0x2066 && unit <= 0x2069);
}

QString boundedForDisplay(const QString& text, qsizetype maxGraphemes, qsizetype maxCodePoints)
{
    if (maxGraphemes <= 0 || maxCodePoints <= 0)
        return {};
    // A kept grapheme takes at most two code units per code point, so what
    // lies past that many units is never shown and never looked at. The
    // finder sees the end of this prefix as the end of the text: the last
    // grapheme it finds may be the start of a longer one, cut all the same.
    qsizetype scanned = std::min(text.size(), maxGraphemes * maxCodePoints * 2);
    if (scanned < text.size() && text[scanned - 1].isHighSurrogate())
        --scanned;
    const QStringView prefix = QStringView(text).first(scanned);

    QString kept;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, prefix.data(), prefix.size());
    qsizetype start = 0;
    for (qsizetype count = 0; count < maxGraphemes && start < prefix.size(); ++count) {
        const qsizetype end = graphemes.toNextBoundary();
        const QStringView grapheme = prefix.sliced(start, end - start);
        kept += grapheme.first(codePointsLength(grapheme, maxCodePoints));
        start = end;
    }

    OpenRuns runs;
    runs.read(kept);
    const QString closers = runs.closers();
    if (closers.isEmpty() && kept.size() == text.size())
        return text; // shares the text's data
    return kept + closers;
}

} // namespace OutsideText
