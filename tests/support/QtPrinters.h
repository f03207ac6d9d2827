#pragma once

// Lets GoogleTest print Qt values in its failure messages.

#include <QString>
#include <QUrl>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QUrl& url, std::ostream* out)
{
    *out << "QUrl(\"" << url.toString().toStdString() << "\")";
}
