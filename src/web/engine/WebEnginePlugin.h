#pragma once

#include "web/WebEngineModule.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>

#include <memory>

class QWebEngineProfile;

// The web engine module's entry: makes the chat windows on Qt WebEngine and
// keeps the one persistent profile their pages share.
class WebEnginePlugin final : public QObject, public WebEngineModule {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID LumivoWebEngineModule_iid)
    Q_INTERFACES(WebEngineModule)

public:
    WebEnginePlugin();
    ~WebEnginePlugin() override;

    void useProfile(const QString& storageName) override;
    std::unique_ptr<WebWindow> makeWindow(const WebWindowSpec& spec) override;
    void shutDown() override;

private:
    QWebEngineProfile& profile();
    static void endProfileBeforeEngine();

    QString m_storageName;
    std::unique_ptr<QWebEngineProfile> m_profile;
    // When a cookie that outlives the session last changed; none when none has.
    QDateTime m_lastLastingCookieChange;
};
