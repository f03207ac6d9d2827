#pragma once

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

// A plain desktop-coloured window that holds the views in the screenshot
// tests, as the panels would show them over a dark desktop.
inline const QColor backdropColour(38, 44, 58);

class Backdrop final : public QWidget {
public:
    Backdrop() { setWindowFlags(Qt::FramelessWindowHint); }

    // What the screen shows where the backdrop stands, views and all.
    QImage screenshot() const
    {
        return QGuiApplication::primaryScreen()
            ->grabWindow(0, x(), y(), width(), height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), backdropColour); }
};
