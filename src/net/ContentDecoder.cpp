#include "ContentDecoder.h"

#include <zlib.h>

#include <utility>

namespace {

// "deflate" means the zlib format, yet some servers send bare deflate data,
// and clients accept both. A zlib stream opens with two bytes that name the
// deflate method and make a multiple of 31.
bool opensZlibStream(QByteArrayView opening)
{
    const auto first = uchar(opening[0]);
    const auto second = uchar(opening[1]);
    return (first & 0x0f) == Z_DEFLATED && ((first << 8) | second) % 31 == 0;
}

} // namespace

ContentDecoder::ContentDecoder(Format format, qint64 largestDecoded)
    : m_format(format), m_largestDecoded(largestDecoded), m_stream(std::make_unique<z_stream>())
{
}

ContentDecoder::~ContentDecoder()
{
    if (m_started)
        inflateEnd(m_stream.get());
}

bool ContentDecoder::decode(QByteArrayView bytes, QByteArray& decoded)
{
    if (m_started)
        return inflateInto(bytes, decoded);
    m_opening.append(bytes);
    if (m_format == Format::deflate && m_opening.size() < 2)
        return true;
    return start() && inflateInto(std::exchange(m_opening, {}), decoded);
}

bool ContentDecoder::isWhole() const { return m_ended || (!m_started && m_opening.isEmpty()); }

bool ContentDecoder::start()
{
    const int windowBits = m_format == Format::gzip ? 16 + MAX_WBITS
        : opensZlibStream(m_opening)                ? MAX_WBITS
                                                    : -MAX_WBITS;
    m_started = inflateInit2(m_stream.get(), windowBits) == Z_OK;
    return m_started;
}

bool ContentDecoder::inflateInto(QByteArrayView bytes, QByteArray& decoded)
{
    if (bytes.isEmpty())
        return true;
    z_stream& stream = *m_stream;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = uInt(bytes.size());
    char piece[16 * 1024];
    do {
        // A gzip body may be several members one after another, as
        // concatenated files or a streaming compressor give; zlib then
        // refuses whatever does not begin another member. Nothing follows
        // the end of a deflate stream.
        if (std::exchange(m_ended, false) && (m_format != Format::gzip || inflateReset(&stream) != Z_OK))
            return false;
        stream.next_out = reinterpret_cast<Bytef*>(piece);
        stream.avail_out = sizeof piece;
        const int result = inflate(&stream, Z_NO_FLUSH);
        const qsizetype produced = qsizetype(sizeof piece - stream.avail_out);
        if ((result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR)
            || decoded.size() + produced > m_largestDecoded)
            return false;
        decoded.append(piece, produced);
        m_ended = result == Z_STREAM_END;
    } while (stream.avail_in > 0 || (stream.avail_out == 0 && !m_ended));
    return true;
}
