#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <memory>

struct z_stream_s;

// Decodes a body sent with the content coding gzip or deflate, with zlib, as
// its bytes arrive. The decoded body is capped, and decoding stops as soon
// as it passes the cap: a few kilobytes that would inflate to gigabytes cost
// no more than the cap.
class ContentDecoder {
public:
    enum class Format { gzip, deflate };

    ContentDecoder(Format format, qint64 largestDecoded);
    ~ContentDecoder();
    ContentDecoder(const ContentDecoder&) = delete;
    ContentDecoder& operator=(const ContentDecoder&) = delete;

    // Appends what the next bytes of the body decode to; false when they are
    // not of the format, or when the decoded body passes the cap.
    bool decode(QByteArrayView bytes, QByteArray& decoded);
    // Whether the bytes so far are a whole body: a stream (or gzip member)
    // that came to its end, or none at all.
    bool isWhole() const;

private:
    bool start();
    bool inflateInto(QByteArrayView bytes, QByteArray& decoded);

    const Format m_format;
    const qint64 m_largestDecoded;
    std::unique_ptr<z_stream_s> m_stream;
    // The first bytes of a body, kept until they show which deflate it is.
    QByteArray m_opening;
    bool m_started = false;
    bool m_ended = false;
};
