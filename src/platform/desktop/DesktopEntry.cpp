#include "platform/desktop/DesktopEntry.h"

#include "model/LogCategories.h"
#include "platform/desktop/ChildProcesses.h"

#include <QFile>
#include <QFileInfo>

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <memory>

namespace {

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct GKeyFileFree {
    void operator()(GKeyFile* file) const { g_key_file_free(file); }
};
struct GFree {
    void operator()(gpointer memory) const { g_free(memory); }
};
using KeyFile = std::unique_ptr<GKeyFile, GKeyFileFree>;
using AppInfo = std::unique_ptr<GDesktopAppInfo, GObjectUnref>;
using OwnedText = std::unique_ptr<gchar, GFree>;

KeyFile loadKeyFile(const QByteArray& contents)
{
    KeyFile file(g_key_file_new());
    GError* error = nullptr;
    if (!g_key_file_load_from_data(file.get(), contents.constData(), static_cast<gsize>(contents.size()),
                                   G_KEY_FILE_KEEP_TRANSLATIONS, &error)) {
        g_error_free(error);
        return nullptr;
    }
    return file;
}

// A key's value, empty when it is missing or not valid text.
QString stringValue(GKeyFile* file, const char* key)
{
    const OwnedText value(g_key_file_get_string(file, G_KEY_FILE_DESKTOP_GROUP, key, nullptr));
    return value ? QString::fromUtf8(value.get()) : QString();
}

QString localeStringValue(GKeyFile* file, const char* key)
{
    const OwnedText value(g_key_file_get_locale_string(file, G_KEY_FILE_DESKTOP_GROUP, key, nullptr, nullptr));
    return value ? QString::fromUtf8(value.get()) : QString();
}

bool booleanValue(GKeyFile* file, const char* key)
{
    return g_key_file_get_boolean(file, G_KEY_FILE_DESKTOP_GROUP, key, nullptr);
}

bool isApplicationEntry(GKeyFile* file)
{
    const OwnedText startGroup(g_key_file_get_start_group(file));
    return startGroup && qstrcmp(startGroup.get(), G_KEY_FILE_DESKTOP_GROUP) == 0
        && stringValue(file, G_KEY_FILE_DESKTOP_KEY_TYPE) == QLatin1String(G_KEY_FILE_DESKTOP_TYPE_APPLICATION);
}

// GIO checks what the desktop itself checks before offering an entry: the
// TryExec and Exec programs exist and the command line parses.
AppInfo applicationInfo(GKeyFile* file) { return AppInfo(g_desktop_app_info_new_from_keyfile(file)); }

bool canStart(GDesktopAppInfo* info)
{
    const char* executable = g_app_info_get_executable(G_APP_INFO(info));
    return (executable && *executable) || g_desktop_app_info_get_boolean(info, "DBusActivatable");
}

// Starts the application with the encoded addresses; a program it spawns
// starts with clean signal state (an application the session bus activates
// is the bus's child, not ours).
bool launchApplication(GDesktopAppInfo* info, const QList<QByteArray>& uris)
{
    GList* list = nullptr;
    for (auto uri = uris.crbegin(); uri != uris.crend(); ++uri)
        list = g_list_prepend(list, const_cast<char*>(uri->constData()));
    GError* error = nullptr;
    const bool launched = g_desktop_app_info_launch_uris_as_manager(info, list, nullptr, G_SPAWN_SEARCH_PATH,
                                                                    ChildProcesses::resetSignalsBeforeExec, nullptr,
                                                                    nullptr, nullptr, &error);
    g_list_free(list);
    if (error) {
        qCWarning(lcActions, "cannot start %s: %s", g_app_info_get_id(G_APP_INFO(info)), error->message);
        g_error_free(error);
    }
    return launched;
}

} // namespace

std::optional<DesktopEntry> DesktopEntry::fromData(const QByteArray& contents, const QString& id,
                                                   const QString& filePath)
{
    if (contents.size() > maximumSize)
        return std::nullopt;
    const KeyFile file = loadKeyFile(contents);
    if (!file || !isApplicationEntry(file.get()))
        return std::nullopt;

    DesktopEntry entry;
    entry.id = id;
    entry.filePath = filePath;
    entry.name = localeStringValue(file.get(), G_KEY_FILE_DESKTOP_KEY_NAME);
    entry.untranslatedName = stringValue(file.get(), G_KEY_FILE_DESKTOP_KEY_NAME);
    entry.iconName = stringValue(file.get(), G_KEY_FILE_DESKTOP_KEY_ICON);
    entry.startupWMClass = stringValue(file.get(), G_KEY_FILE_DESKTOP_KEY_STARTUP_WM_CLASS);
    entry.hidden = booleanValue(file.get(), G_KEY_FILE_DESKTOP_KEY_HIDDEN);
    entry.noDisplay = booleanValue(file.get(), G_KEY_FILE_DESKTOP_KEY_NO_DISPLAY);
    const AppInfo info = applicationInfo(file.get());
    entry.launchable = info && canStart(info.get()) && !entry.name.isEmpty();
    entry.contents = contents;
    return entry;
}

std::optional<DesktopEntry> DesktopEntry::read(const QString& filePath, const QString& id)
{
    QFile file(filePath);
    if (!QFileInfo(filePath).isFile() || file.size() > maximumSize || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return fromData(file.read(maximumSize + 1), id, filePath);
}

QIcon DesktopEntry::icon() const
{
    if (iconName.isEmpty())
        return {};
    if (QFileInfo(iconName).isAbsolute())
        return QFileInfo(iconName).isFile() ? QIcon(iconName) : QIcon();
    return QIcon::fromTheme(iconName);
}

bool DesktopEntry::launch(const QList<QUrl>& urls, const QStringList& extraArguments) const
{
    const KeyFile file = loadKeyFile(contents);
    if (!file)
        return false;
    if (!extraArguments.isEmpty()) {
        QString exec = stringValue(file.get(), G_KEY_FILE_DESKTOP_KEY_EXEC);
        for (const QString& argument : extraArguments)
            exec.append(QLatin1Char(' ')).append(DesktopEntryExec::quotedArgument(argument));
        g_key_file_set_string(file.get(), G_KEY_FILE_DESKTOP_GROUP, G_KEY_FILE_DESKTOP_KEY_EXEC,
                              exec.toUtf8().constData());
        // Activation over D-Bus would ignore the command line and its arguments.
        g_key_file_set_boolean(file.get(), G_KEY_FILE_DESKTOP_GROUP, "DBusActivatable", FALSE);
    }
    const AppInfo info = applicationInfo(file.get());
    if (!info)
        return false;
    QList<QByteArray> encoded;
    for (const QUrl& url : urls)
        encoded.append(url.toEncoded());
    return launchApplication(info.get(), encoded);
}

QString DesktopEntryExec::quotedArgument(const QString& argument)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar character : argument) {
        if (character == QLatin1Char('"') || character == QLatin1Char('`') || character == QLatin1Char('$')
            || character == QLatin1Char('\\'))
            quoted.append(QLatin1Char('\\'));
        else if (character == QLatin1Char('%'))
            quoted.append(QLatin1Char('%'));
        quoted.append(character);
    }
    return quoted.append(QLatin1Char('"'));
}

bool openWithDefaultApplication(const QUrl& url)
{
    const QByteArray uri = url.toEncoded();
    // The handler the user chose for the address's own scheme.
    const QByteArray scheme = url.scheme().toUtf8();
    std::unique_ptr<GAppInfo, GObjectUnref> handler(
        scheme.isEmpty() ? nullptr : g_app_info_get_default_for_uri_scheme(scheme.constData()));
    // Else, for a local file, the handler for its type. Any other address is
    // never asked for its type: gvfs would fetch it, on this thread.
    QByteArray failure;
    if (!handler && url.isLocalFile()) {
        const std::unique_ptr<GFile, GObjectUnref> file(g_file_new_for_uri(uri.constData()));
        GError* error = nullptr;
        handler.reset(g_file_query_default_handler(file.get(), nullptr, &error));
        if (error) {
            failure = QByteArray(": ") + error->message;
            g_error_free(error);
        }
    }
    // Every handler on this desktop is a desktop entry.
    if (!handler || !G_IS_DESKTOP_APP_INFO(handler.get())) {
        qCWarning(lcActions, "no application opens %s%s", uri.constData(), failure.constData());
        return false;
    }
    return launchApplication(G_DESKTOP_APP_INFO(handler.get()), {uri});
}
