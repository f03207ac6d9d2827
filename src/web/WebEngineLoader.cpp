#include "WebEngineLoader.h"

#include "WebEngineModule.h"
#include "model/LogCategories.h"
#include "model/ModuleFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QOpenGLContext>
#include <QPluginLoader>

#include <utility>

#include <unistd.h>

QT_BEGIN_NAMESPACE
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
QT_END_NAMESPACE

namespace {

// The engine draws through OpenGL contexts shared with Qt's global share
// context, which programs usually ask for before their application object
// exists. Asking for it at start-up would load the graphics driver into
// every idle companion, so the context is made here, just before the
// engine arrives. Without OpenGL the context stays invalid and the engine
// draws in software.
void prepareSharedGraphics()
{
    if (QOpenGLContext::globalShareContext())
        return;
    auto* context = new QOpenGLContext; // lives as long as the process
    context->create();
    qt_gl_set_global_share_context(context);
}

// Says once why the web windows' pages go to the browser.
void reportFallback(QtMsgType type, const QString& why)
{
    static bool reported = false;
    if (std::exchange(reported, true))
        return;
    const QString message = why + QStringLiteral(": web pages open in the default browser");
    if (type == QtWarningMsg)
        qCWarning(lcWeb).noquote() << message;
    else
        qCInfo(lcWeb).noquote() << message;
}

} // namespace

namespace WebEngineLoader {

QStringList moduleFolders() { return {ModuleFolder::ofThisProgram()}; }

bool engineCanStart(bool runningAsRoot, const QByteArray& disableSandbox, const QByteArray& chromiumFlags)
{
    const bool sandboxOff = (!disableSandbox.isEmpty() && disableSandbox != "0")
        || chromiumFlags.split(' ').contains(QByteArrayLiteral("--no-sandbox"));
    return !runningAsRoot || sandboxOff;
}

WebEngineModule* load(const QStringList& folders)
{
    static WebEngineModule* loaded = nullptr;
    if (loaded)
        return loaded;
    const bool runningAsRoot = ::geteuid() == 0;
    if (!engineCanStart(runningAsRoot, qgetenv("QTWEBENGINE_DISABLE_SANDBOX"), qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"))) {
        reportFallback(QtInfoMsg,
                       QStringLiteral("the web engine's sandbox cannot run as root "
                                      "(QTWEBENGINE_DISABLE_SANDBOX=1 turns it off)"));
        return nullptr;
    }
    QStringList failures;
    for (const QString& folder : folders) {
        // A relative name would be looked for among Qt's plugin folders.
        const QFileInfo file(QDir(folder).filePath(moduleFileName));
        if (!file.isFile())
            continue;
        prepareSharedGraphics();
        QPluginLoader plugin(file.absoluteFilePath());
        loaded = qobject_cast<WebEngineModule*>(plugin.instance());
        if (loaded) {
            qCDebug(lcWeb).noquote() << "loaded" << file.absoluteFilePath();
            return loaded;
        }
        failures.append(plugin.errorString());
    }
    if (failures.isEmpty()) {
        reportFallback(QtInfoMsg,
                       QStringLiteral("the web engine module %1 is not installed in %2")
                           .arg(moduleFileName, folders.join(QStringLiteral(", "))));
    } else {
        reportFallback(QtWarningMsg, failures.join(QStringLiteral("; ")));
    }
    return nullptr;
}

} // namespace WebEngineLoader
