#pragma once

// The web windows on the private desktop, with the build's real web engine
// module, in a private home whose default browser is a recording stand-in.

#include "desktop/DesktopTestKit.h"
#include "model/ResourceBundle.h"
#include "platform/desktop/ApplicationDirectory.h"
#include "platform/desktop/XdgApplications.h"
#include "platform/fake/FakeWorkspace.h"
#include "support/ApplicationFolder.h"
#include "ui/Symbols.h"
#include "web/WebEngineLoader.h"
#include "web/WebEngineModule.h"
#include "web/WebViewProperties.h"
#include "web/WebWindowsTestKit.h"

#include <QColor>
#include <QDir>
#include <QToolButton>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

inline const QStringList engineFolders{QStringLiteral(LUMIVO_BINARY_DIR "/src")};

// Set up once per test program, before the engine loads: the private home
// (inherited by the program's own child runs), the default browser, the
// engine's sandbox (which cannot run as root) and its stand-in microphone.
class PrivateWebHome final : public ::testing::Environment {
public:
    static inline const char* homeVariable = "LUMIVO_WEB_TEST_HOME";
    static inline ApplicationFolder* browserFolder = nullptr;

    void SetUp() override
    {
        if (::geteuid() == 0)
            qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--use-fake-device-for-media-stream");
        if (qEnvironmentVariableIsEmpty(homeVariable)) {
            m_folder = std::make_unique<ApplicationFolder>();
            browserFolder = m_folder.get();
            m_folder->addApplication(QStringLiteral("browser"), QStringLiteral("Browser"),
                                     "MimeType=x-scheme-handler/http;x-scheme-handler/https;\n", "%u");
            m_folder->write(QStringLiteral("../mimeapps.list"),
                            "[Default Applications]\nx-scheme-handler/http=browser.desktop\n"
                            "x-scheme-handler/https=browser.desktop\n");
            qputenv(homeVariable, QFileInfo(m_folder->path()).path().toUtf8());
        }
        const QByteArray home = qgetenv(homeVariable);
        for (const char* variable : {"HOME", "XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME"})
            qputenv(variable, home);
        qputenv("XDG_CACHE_HOME", home + "/cache");
        Symbols::loadFont(ResourceBundle(QStringLiteral(LUMIVO_BINARY_DIR "/src/lumivo-companion.resources")));
    }

    // Leaks are looked for once every test has ended, while the engine still
    // runs: its teardown at the end of the process leaves a few allocations
    // whose stacks name no library (code it made at run time), which no
    // suppression can name.
    void TearDown() override
    {
#if defined(__SANITIZE_ADDRESS__)
        __lsan_do_leak_check();
#endif
    }

private:
    std::unique_ptr<ApplicationFolder> m_folder;
};

class WebDesktop : public ::testing::Test {
protected:
    ApplicationDirectory directory{{PrivateWebHome::browserFolder ? PrivateWebHome::browserFolder->path() : QString()}};
    FakeWorkspace workspace;
    XdgApplications browser{directory, workspace};
    WebWindowsTestKit kit{browser, engineFolders};

    // A window of the engine module itself, made as the companion makes one.
    std::unique_ptr<WebWindow> makeWindow()
    {
        WebEngineModule* module = WebEngineLoader::load(engineFolders);
        if (!module)
            return nullptr;
        module->useProfile(QStringLiteral("commandCenter"));
        return module->makeWindow({QStringLiteral("Test"), QSize(480, 760), QIcon(), QIcon(), {}});
    }
};

// The colour of the one control of the test pages.
inline const QColor fillColour(0x33, 0x66, 0xcc);

// Waits until the page's title reads title; then the page has run its script.
inline bool titleBecomes(WebWindow& window, const QString& title, int timeoutMs = 20000)
{
    return waitUntil([&] { return pageTitle(window) == title; }, timeoutMs);
}

inline QToolButton* navigationButton(WebWindow& window, const QString& name)
{
    for (QToolButton* button : window.window().findChildren<QToolButton*>()) {
        if (button->toolTip() == name)
            return button;
    }
    return nullptr;
}

// Clicks the middle of the page, where the test pages put their one control,
// once the window is on screen with the focus and the control drawn, until
// the page has reacted: a busy engine may drop a click that comes right
// after the page is drawn.
inline bool clickPageUntil(WebWindow& window, const std::function<bool()>& reacted)
{
    QWidget& frame = window.window();
    QWidget* view = webViewOf(window);
    // Below the control's label, where only its colour shows.
    const QRect control(view->mapToGlobal(QPoint(view->width() / 2, view->height() * 3 / 4)), QSize(1, 1));
    waitUntil([&] {
        return frame.windowHandle() && frame.windowHandle()->isExposed() && frame.isActiveWindow()
            && grabDesktop(control).pixel(0, 0) == fillColour.rgb();
    });
    for (int attempt = 0; attempt < 3; ++attempt) {
        clickAt(view->mapToGlobal(view->rect().center()));
        if (waitUntil(reacted, 4000))
            return true;
    }
    return false;
}

// A whole page whose one control fills it, in fillColour.
inline QByteArray pageFilledBy(const QByteArray& title, const QByteArray& control, const QByteArray& script = {})
{
    return "<!doctype html><title>" + title
        + "</title><style>body{margin:0} .fill{position:fixed;inset:0;"
          "display:block;width:100%;height:100%;background:"
        + fillColour.name().toLatin1() + "}</style><body>" + control + "<script>" + script + "</script></body>";
}
