#include "platform/desktop/ClipboardPasteboard.h"

#include <QClipboard>
#include <QGuiApplication>

void ClipboardPasteboard::replaceText(const QString& text)
{
    QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
}

QString ClipboardPasteboard::text() const { return QGuiApplication::clipboard()->text(QClipboard::Clipboard); }
