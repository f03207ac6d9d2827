#pragma once

#include "ContentDecoder.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

// Reads one HTTP/1.x answer from the bytes of its connection as they arrive,
// with no I/O of its own. Interim (1xx) answers are skipped; the body is
// framed by its Content-Length, by chunks or by the end of the connection,
// and decoded when its Content-Encoding is gzip or deflate (any other
// coding is refused). Nothing grows without bound: the heads of one answer
// (interim answers and trailers included) take at most largestHead bytes
// together, the body, once decoded, at most the caller's cap, and the whole
// answer as it comes, framing included, at most largestHead and twice the
// cap. Past any of these, or on bytes that are not HTTP, the answer is
// refused at once.
class HttpAnswerReader {
public:
    enum class State { reading, complete, refused };

    // A few tens of kilobytes, far above any head a loopback peer sends.
    static constexpr qsizetype largestHead = 32 * 1024;

    explicit HttpAnswerReader(qint64 largestBody)
        : m_largestBody(largestBody), m_largestAnswer(largestHead + 2 * largestBody)
    {
    }

    // Takes the next bytes of the connection; what follows a complete answer
    // is ignored.
    State read(QByteArrayView bytes);
    // The server closed the connection: a body that runs to the close is
    // complete, anything else was cut short.
    State end();

    State state() const { return m_state; }
    // Of the final answer, once it is complete.
    int status() const { return m_status; }
    const QByteArray& body() const { return m_body; }
    // The final head's Location, empty without one.
    const QByteArray& location() const { return m_location; }
    // The values of the final head's Set-Cookie fields.
    const QList<QByteArray>& cookies() const { return m_cookies; }

private:
    enum class Stage { statusLine, headerLines, sizedBody, chunkSize, chunkData, chunkEnd, trailers, bodyToClose };

    qsizetype readLine(QByteArrayView bytes);
    qsizetype readData(QByteArrayView bytes);
    void takeLine(QByteArrayView line);
    void takeStatusLine(QByteArrayView line);
    void takeHeaderLine(QByteArrayView line);
    void takeField();
    void endHead();
    void takeChunkSize(QByteArrayView line);
    bool startDecoding();
    bool takeBody(QByteArrayView data);
    bool countsAgainstHead() const;
    void refuse() { m_state = State::refused; }
    // A body cut off inside its compressed stream is not whole.
    void complete() { m_state = m_decoder && !m_decoder->isWhole() ? State::refused : State::complete; }

    qint64 m_largestBody;
    // Twice the body's cap leaves room for the framing of small chunks.
    qint64 m_largestAnswer;
    State m_state = State::reading;
    Stage m_stage = Stage::statusLine;
    // Bytes of the whole answer so far.
    qint64 m_received = 0;
    // Bytes of the heads so far, and of the line not yet ended.
    qsizetype m_headSize = 0;
    QByteArray m_line;
    // The field whose line may still go on (an obsolete folded line).
    std::optional<std::pair<QByteArray, QByteArray>> m_field;

    int m_status = 0;
    std::optional<qint64> m_contentLength;
    std::optional<bool> m_chunked; // present when Transfer-Encoding was sent
    QByteArray m_location;
    QByteArray m_contentCoding;
    QList<QByteArray> m_cookies;
    std::optional<ContentDecoder> m_decoder;
    qint64 m_dataLeft = 0; // of the sized body or the current chunk
    QByteArray m_body;
};
