#pragma once

// What the companion asks of the web engine. The engine is large, so it is
// built as a separate module that WebEngineLoader loads when the first web
// window opens; the program itself never links it.

#include "WebWindow.h"

#include <QIcon>
#include <QSize>
#include <QString>
#include <QtPlugin>

#include <functional>
#include <memory>

struct WebWindowSpec {
    QString title;
    QSize size;
    QIcon backIcon;
    QIcon forwardIcon;
    // Where the pages' requests for a new window go instead (the default browser).
    std::function<void(const QUrl&)> openElsewhere;
};

class WebEngineModule {
public:
    virtual ~WebEngineModule() = default;

    // Chooses the one persistent profile every window's pages share, by its
    // storage name under the user's data folder. The first choice holds for
    // the life of the process.
    virtual void useProfile(const QString& storageName) = 0;

    virtual std::unique_ptr<WebWindow> makeWindow(const WebWindowSpec& spec) = 0;

    // Called as the program quits, once every window is gone: ends the
    // profile and waits (briefly) for its cookies to reach the disk.
    virtual void shutDown() = 0;
};

#define LumivoWebEngineModule_iid "com.lumivo-intelligence.companion.WebEngineModule/1"
Q_DECLARE_INTERFACE(WebEngineModule, LumivoWebEngineModule_iid)
