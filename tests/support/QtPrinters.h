#pragma once

// Lets GoogleTest print Qt values in its failure messages.

#include <QString>
#include <QUrl>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

inline void PrintTo(const QUrl& url, std::ostream* out) { *out << "QUrl(\"" << url.toString().toStdString() << "\")"; }

#include <QPointF>
#include <QRectF>

inline void PrintTo(const QPointF& point, std::ostream* out) { *out << "(" << point.x() << ", " << point.y() << ")"; }

inline void PrintTo(const QRectF& rect, std::ostream* out)
{
    *out << "(" << rect.x() << ", " << rect.y() << " " << rect.width() << " x " << rect.height() << ")";
}
