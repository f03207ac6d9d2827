#include "MascotArtwork.h"

#include "model/BrandColors.h"
#include "model/ResourceBundle.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPainter>

namespace {

QImage loadPng(const ResourceBundle& bundle, const QString& name)
{
    const QString path = bundle.pathFor(name, QStringLiteral("png"));
    return path.isEmpty() ? QImage() : readPng(path);
}

// The application's icon; a brand-gradient disc while the program has none,
// so the mascot is never blank.
QImage applicationIconImage()
{
    const QIcon icon = QGuiApplication::windowIcon();
    if (!icon.isNull()) {
        const QImage image = icon.pixmap(QSize(256, 256)).toImage();
        if (!image.isNull())
            return image;
    }
    QImage disc(256, 256, QImage::Format_ARGB32_Premultiplied);
    disc.fill(Qt::transparent);
    QPainter painter(&disc);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 256, 256, 0);
    fill.setColorAt(0, lumivoViolet());
    fill.setColorAt(0.5, lumivoMagenta());
    fill.setColorAt(1, lumivoOrange());
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawEllipse(QRectF(8, 8, 240, 240));
    return disc;
}

QColor grey(qreal level, qreal opacity) { return QColor::fromRgbF(level, level, level, opacity); }

} // namespace

QImage voraSwirlImage(const ResourceBundle& bundle)
{
    const QImage swirl = loadPng(bundle, QStringLiteral("vora-logo-light-canonical"));
    return swirl.isNull() ? voraLogoImage(bundle) : swirl;
}

QImage voraLogoImage(const ResourceBundle& bundle)
{
    const QImage logo = loadPng(bundle, QStringLiteral("vora-agent-logo"));
    return logo.isNull() ? applicationIconImage() : logo;
}

QImage shrunkToFit(const QImage& picture, qreal points, qreal dpr)
{
    const int side = std::max(1, qRound(points * dpr));
    const QSize fitted = picture.size().scaled(QSize(side, side), Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    const QImage shrunk = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                              .scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage canvas(side, side, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        painter.drawImage(QPoint((side - fitted.width()) / 2, (side - fitted.height()) / 2), shrunk);
    }
    canvas.setDevicePixelRatio(dpr);
    return canvas;
}

QLinearGradient menuPanelGradient(CompanionAppearance appearance, const QRectF& rect)
{
    QLinearGradient gradient(rect.topLeft(), rect.bottomRight());
    if (appearance == CompanionAppearance::light) {
        gradient.setColorAt(0, grey(0.32, 0.46));
        gradient.setColorAt(1, grey(0.40, 0.40));
    } else {
        gradient.setColorAt(0, grey(0.16, 0.52));
        gradient.setColorAt(1, grey(0.24, 0.46));
    }
    return gradient;
}
