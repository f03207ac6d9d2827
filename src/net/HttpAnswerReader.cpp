#include "HttpAnswerReader.h"

#include <QList>

#include <algorithm>
#include <cctype>

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

bool allOf(QByteArrayView text, bool (*test)(char))
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), test);
}

// A decimal or hexadecimal number of at most `digits` digits, so it never
// overflows; nothing for anything else (signs and blanks included).
std::optional<qint64> numberOf(QByteArrayView text, int base, qsizetype digits)
{
    bool ok = false;
    const qint64 number =
        text.size() <= digits && allOf(text, base == 16 ? isHexDigit : isDigit) ? text.toLongLong(&ok, base) : 0;
    return ok ? std::optional(number) : std::nullopt;
}

} // namespace

HttpAnswerReader::State HttpAnswerReader::read(QByteArrayView bytes)
{
    while (m_state == State::reading && !bytes.isEmpty()) {
        // A byte past the bound of the whole answer refuses it.
        if (m_received == m_largestAnswer) {
            refuse();
            break;
        }
        const QByteArrayView allowed = bytes.first(std::min<qint64>(bytes.size(), m_largestAnswer - m_received));
        const bool data = m_stage == Stage::sizedBody || m_stage == Stage::chunkData || m_stage == Stage::bodyToClose;
        const qsizetype taken = data ? readData(allowed) : readLine(allowed);
        m_received += taken;
        bytes = bytes.sliced(taken);
    }
    return m_state;
}

HttpAnswerReader::State HttpAnswerReader::end()
{
    if (m_state == State::reading) {
        if (m_stage == Stage::bodyToClose)
            complete();
        else
            refuse();
    }
    return m_state;
}

qsizetype HttpAnswerReader::readData(QByteArrayView bytes)
{
    const qsizetype taken = m_stage == Stage::bodyToClose ? bytes.size() : std::min<qint64>(m_dataLeft, bytes.size());
    if (!takeBody(bytes.first(taken))) {
        refuse();
        return taken;
    }
    m_dataLeft -= taken;
    if (m_stage == Stage::sizedBody && m_dataLeft == 0)
        complete();
    else if (m_stage == Stage::chunkData && m_dataLeft == 0)
        m_stage = Stage::chunkEnd;
    return taken;
}

bool HttpAnswerReader::takeBody(QByteArrayView data)
{
    if (m_decoder)
        return m_decoder->decode(data, m_body);
    if (m_body.size() + data.size() > m_largestBody)
        return false;
    m_body.append(data);
    return true;
}

bool HttpAnswerReader::countsAgainstHead() const { return m_stage != Stage::chunkSize && m_stage != Stage::chunkEnd; }

qsizetype HttpAnswerReader::readLine(QByteArrayView bytes)
{
    const qsizetype lineEnd = bytes.indexOf('\n');
    const qsizetype taken = lineEnd < 0 ? bytes.size() : lineEnd + 1;
    m_line.append(bytes.first(taken));
    // A line between chunks is bounded on its own, as the lines of the heads are together.
    const qsizetype used = m_line.size() + (countsAgainstHead() ? m_headSize : 0);
    if (used > largestHead) {
        refuse();
        return taken;
    }
    if (lineEnd < 0)
        return taken;
    if (countsAgainstHead())
        m_headSize += m_line.size();
    QByteArrayView line(m_line);
    line.chop(line.endsWith("\r\n") ? 2 : 1);
    takeLine(line);
    m_line.clear();
    return taken;
}

void HttpAnswerReader::takeLine(QByteArrayView line)
{
    switch (m_stage) {
    case Stage::statusLine: takeStatusLine(line); return;
    case Stage::headerLines: takeHeaderLine(line); return;
    case Stage::chunkSize: takeChunkSize(line); return;
    case Stage::chunkEnd:
        if (line.isEmpty())
            m_stage = Stage::chunkSize;
        else
            refuse();
        return;
    case Stage::trailers:
        if (line.isEmpty())
            complete();
        return;
    case Stage::sizedBody:
    case Stage::chunkData:
    case Stage::bodyToClose: return;
    }
}

void HttpAnswerReader::takeStatusLine(QByteArrayView line)
{
    // Blank lines before a status line (after an interim answer) are tolerated.
    if (line.isEmpty())
        return;
    // "HTTP/1.1 200 OK": the version, a space, three digits, then a space
    // and a reason, or nothing.
    const bool wellFormed = line.size() >= 12 && line.startsWith("HTTP/1.") && isDigit(line[7]) && line[8] == ' '
        && allOf(line.sliced(9, 3), isDigit) && line[9] != '0' && (line.size() == 12 || line[12] == ' ');
    // A server that switches protocols speaks something else next: nobody asked it to.
    const int status = wellFormed ? int(line.sliced(9, 3).toInt()) : 0;
    if (!wellFormed || status == 101) {
        refuse();
        return;
    }
    m_status = status;
    m_contentLength.reset();
    m_chunked.reset();
    m_location.clear();
    m_contentCoding.clear();
    m_cookies.clear();
    m_stage = Stage::headerLines;
}

void HttpAnswerReader::takeHeaderLine(QByteArrayView line)
{
    if (!line.isEmpty() && (line.front() == ' ' || line.front() == '\t')) {
        // An obsolete folded line goes on with the field before it.
        if (!m_field) {
            refuse();
            return;
        }
        m_field->second += ' ' + line.trimmed().toByteArray();
        return;
    }
    takeField();
    if (m_state != State::reading)
        return;
    if (line.isEmpty()) {
        endHead();
        return;
    }
    const qsizetype colon = line.indexOf(':');
    const QByteArrayView name = colon > 0 ? line.first(colon) : QByteArrayView();
    if (name.isEmpty() || name.contains(' ') || name.contains('\t')) {
        refuse();
        return;
    }
    m_field = {name.toByteArray().toLower(), line.sliced(colon + 1).trimmed().toByteArray()};
}

void HttpAnswerReader::takeField()
{
    if (!m_field)
        return;
    const auto [name, folded] = *std::exchange(m_field, std::nullopt);
    const QByteArray value = folded.trimmed();
    if (name == "content-length") {
        const std::optional<qint64> length = numberOf(value, 10, 18);
        // Two lengths that differ leave the body's end in doubt.
        if (!length || (m_contentLength && *m_contentLength != *length))
            refuse();
        m_contentLength = length;
    } else if (name == "transfer-encoding") {
        // The last coding decides whether the body comes in chunks.
        m_chunked = value.split(',').constLast().trimmed().toLower() == "chunked";
    } else if (name == "location") {
        m_location = value;
    } else if (name == "content-encoding") {
        m_contentCoding = value.toLower();
    } else if (name == "set-cookie") {
        m_cookies.append(value);
    }
}

void HttpAnswerReader::endHead()
{
    if (m_status < 200) {
        m_stage = Stage::statusLine;
        return;
    }
    if (m_status == 204 || m_status == 304) {
        complete();
    } else if (!startDecoding()) {
        refuse();
    } else if (m_chunked) {
        m_stage = *m_chunked ? Stage::chunkSize : Stage::bodyToClose;
    } else if (m_contentLength) {
        m_dataLeft = *m_contentLength;
        m_stage = Stage::sizedBody;
        // A compressed body's length says nothing of its decoded size.
        if (!m_decoder && m_dataLeft > m_largestBody)
            refuse();
        else if (m_dataLeft == 0)
            complete();
    } else {
        m_stage = Stage::bodyToClose;
    }
}

void HttpAnswerReader::takeChunkSize(QByteArrayView line)
{
    // "1a2b" with perhaps ";name=value" extensions after it.
    const qsizetype extensions = line.indexOf(';');
    const std::optional<qint64> size = numberOf((extensions < 0 ? line : line.first(extensions)).trimmed(), 16, 15);
    if (!size || (!m_decoder && m_body.size() + *size > m_largestBody)) {
        refuse();
    } else if (*size == 0) {
        m_stage = Stage::trailers;
    } else {
        m_dataLeft = *size;
        m_stage = Stage::chunkData;
    }
}

bool HttpAnswerReader::startDecoding()
{
    if (m_contentCoding == "gzip" || m_contentCoding == "x-gzip")
        m_decoder.emplace(ContentDecoder::Format::gzip, m_largestBody);
    else if (m_contentCoding == "deflate")
        m_decoder.emplace(ContentDecoder::Format::deflate, m_largestBody);
    // A body in a coding this cannot read is no body it could pass on.
    return m_decoder || m_contentCoding.isEmpty() || m_contentCoding == "identity";
}
