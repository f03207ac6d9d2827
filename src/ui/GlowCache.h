#pragma once

#include <QCache>
#include <QColor>
#include <QHash>
#include <QImage>
#include <QPointF>

class QPainter;

// A soft glow (a shadow with no offset, or with one) of a drawn shape: the
// shape's coverage blurred and tinted. Blurring is the costly part, so each
// glow is made once per shape, radius and colour and then composited with
// whatever opacity the moment asks for.
struct Glow {
    QImage image;   // at the shape image's device pixel ratio
    QPointF origin; // where the image's top-left lies relative to the shape's, in points
};

class GlowCache {
public:
    explicit GlowCache(qsizetype maximumBytes = 8 * 1024 * 1024);

    static GlowCache& shared();

    // The glow of shape (a premultiplied ARGB image with its device pixel
    // ratio set) blurred by radius points, in colour. Glows are known by what
    // shapes them: the shape's size, ratio and pixels, the radius and the
    // colour; so a picture drawn afresh with the same content (the same
    // bubble for every alert) finds the glow made for the first one.
    const Glow& glow(const QImage& shape, qreal radius, const QColor& colour);

    // Draws shape's glow with its top-left at topLeft, at opacity, offset by
    // offset; nothing is drawn for a clear colour or a zero opacity.
    void paint(QPainter& painter, const QImage& shape, QPointF topLeft, qreal radius, const QColor& colour,
               qreal opacity = 1, QPointF offset = {});

    int count() const { return static_cast<int>(m_glows.count()); }

    // A glow made afresh, for pictures that are drawn once and kept.
    static Glow make(const QImage& shape, qreal radius, const QColor& colour);

private:
    struct Key {
        std::size_t pixels; // a hash of the shape's pixels
        QSize size;
        qreal dpr;
        qreal radius;
        quint64 colour;
        friend bool operator==(const Key&, const Key&) = default;
        friend std::size_t qHash(const Key& key, std::size_t seed)
        {
            return qHashMulti(seed, key.pixels, key.size, key.dpr, key.radius, key.colour);
        }
    };
    // A shape's pixels are hashed once per version of its picture: drawing
    // on a picture gives it a new cache key.
    std::size_t pixelsHash(const QImage& shape);

    QCache<Key, Glow> m_glows;
    QHash<qint64, std::size_t> m_pixelsHashes;
};

// A transparent image of size points at device pixel ratio dpr, ready to draw on.
QImage transparentImage(QSizeF size, qreal dpr);
