#pragma once

// A web window's page, seen through its web view's properties alone: the
// tests do not link the web engine, as the companion does not.

#include "web/WebWindow.h"

#include <QString>
#include <QUrl>
#include <QVariant>
#include <QWidget>

inline QWidget* webViewOf(WebWindow& window)
{
    for (QWidget* child : window.window().findChildren<QWidget*>()) {
        if (child->inherits("QWebEngineView"))
            return child;
    }
    return nullptr;
}
inline QString pageTitle(WebWindow& window) { return webViewOf(window)->property("title").toString(); }
inline QUrl pageURL(WebWindow& window) { return webViewOf(window)->property("url").toUrl(); }
