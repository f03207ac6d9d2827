// Renders one of our SVG drawings to a square PNG for the resource bundle:
//   lumivo-render-artwork <drawing.svg> <picture.png> <pixels>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <drawing.svg> <picture.png> <pixels>\n", argv[0]);
        return 2;
    }
    QSvgRenderer drawing(QString::fromLocal8Bit(argv[1]));
    const int pixels = QByteArray(argv[3]).toInt();
    if (!drawing.isValid() || pixels <= 0) {
        std::fprintf(stderr, "cannot render %s\n", argv[1]);
        return 1;
    }
    QImage picture(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        drawing.render(&painter);
    }
    return picture.save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;
}
