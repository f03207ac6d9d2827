#include "BrandColors.h"

const QColor& lumivoViolet()
{
    static const QColor colour = QColor::fromRgbF(106 / 255.0, 91 / 255.0, 1.0, 1.0);
    return colour;
}

const QColor& lumivoMagenta()
{
    static const QColor colour = QColor::fromRgbF(238 / 255.0, 77 / 255.0, 155 / 255.0, 1.0);
    return colour;
}

const QColor& lumivoOrange()
{
    static const QColor colour = QColor::fromRgbF(1.0, 138 / 255.0, 87 / 255.0, 1.0);
    return colour;
}
