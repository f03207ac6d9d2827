#pragma once

#include <QColor>
#include <QPainter>
#include <QWidget>

// A plain desktop-coloured window that holds the views in the screenshot
// tests, as the panels would show them over a dark desktop.
inline const QColor backdropColour(38, 44, 58);

class Backdrop final : public QWidget {
public:
    Backdrop() { setWindowFlags(Qt::FramelessWindowHint); }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), backdropColour); }
};
