// Renders one of our SVG drawings to a square PNG:
//   lumivo-render-artwork <drawing.svg> <picture.png> <pixels> [<canvas>]
// With a canvas larger than pixels, the drawing sits centred on a transparent
// square of that size (a 22-pixel drawing on a 24-pixel icon stays sharp).
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: %s <drawing.svg> <picture.png> <pixels> [<canvas>]\n", argv[0]);
        return 2;
    }
    QSvgRenderer drawing(QString::fromLocal8Bit(argv[1]));
    const int pixels = QByteArray(argv[3]).toInt();
    const int canvas = argc == 5 ? QByteArray(argv[4]).toInt() : pixels;
    if (!drawing.isValid() || pixels <= 0 || canvas < pixels || (canvas - pixels) % 2 != 0) {
        std::fprintf(stderr, "cannot render %s\n", argv[1]);
        return 1;
    }
    QImage picture(canvas, canvas, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        const int margin = (canvas - pixels) / 2;
        drawing.render(&painter, QRectF(margin, margin, pixels, pixels));
    }
    return picture.save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;
}
