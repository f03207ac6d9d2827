#include "platform/desktop/ApplicationDirectory.h"

#include "platform/desktop/KnownApplications.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>

namespace {

const QString desktopSuffix = QStringLiteral(".desktop");
const QString bundleSuffix = QStringLiteral(".app");

// A desktop file ID is the file's path below the applications folder with
// "/" written as "-" ("kde4/dolphin.desktop" is "kde4-dolphin").
QString desktopFileId(const QString& folder, const QString& file)
{
    return QDir(folder)
        .relativeFilePath(file)
        .chopped(desktopSuffix.size())
        .replace(QLatin1Char('/'), QLatin1Char('-'));
}

QString identifierFor(const DesktopEntry& entry)
{
    if (const auto known = KnownApplications::withDesktopEntry(entry.id))
        return known->identifier;
    return entry.id;
}

ResolvedApplication resolvedEntry(const DesktopEntry& entry) { return {identifierFor(entry), entry, {}}; }

bool sameText(const QString& left, const QString& right)
{
    return !left.isEmpty() && left.compare(right, Qt::CaseInsensitive) == 0;
}

// "org.gnome.Calendar" also answers to "Calendar", as reverse-DNS IDs'
// windows often carry only the last part as their class.
bool idMatchesWindowClass(const QString& id, const QString& windowClass)
{
    return sameText(id, windowClass) || sameText(id.section(QLatin1Char('.'), -1), windowClass);
}

template <typename Predicate>
std::optional<DesktopEntry> firstEntry(const QList<DesktopEntry>& entries, Predicate matches)
{
    const auto found = std::find_if(entries.begin(), entries.end(), matches);
    if (found == entries.end())
        return std::nullopt;
    return *found;
}

} // namespace

ApplicationDirectory::ApplicationDirectory(QStringList folders) : m_folders(std::move(folders)) { }

ApplicationDirectory::~ApplicationDirectory() = default;

QStringList ApplicationDirectory::standardFolders()
{
    return QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
}

QList<QDateTime> ApplicationDirectory::folderTimes() const
{
    QList<QDateTime> times;
    for (const QString& folder : m_folders)
        times.append(QFileInfo(folder).lastModified());
    return times;
}

const QList<DesktopEntry>& ApplicationDirectory::installedEntries() const
{
    const QList<QDateTime> times = folderTimes();
    if (m_readAt == times)
        return m_entries;

    m_entries.clear();
    m_indexById.clear();
    QSet<QString> seen;
    QStringList allFiles;
    for (const QString& folder : m_folders) {
        QStringList files;
        QDirIterator found(folder, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        while (found.hasNext())
            files.append(found.next());
        allFiles += files;
        // The folder's own order is the file system's; sorting keeps the
        // choice among equally good entries the same from run to run.
        files.sort();
        for (const QString& file : files) {
            const QString id = desktopFileId(folder, file);
            if (seen.contains(id))
                continue;
            seen.insert(id);
            const auto entry = DesktopEntry::read(file, id);
            if (!entry || !entry->installed())
                continue;
            m_indexById.insert(id, m_entries.size());
            m_entries.append(*entry);
        }
    }
    m_readAt = times;
    watchEntries(allFiles);
    return m_entries;
}

void ApplicationDirectory::watchEntries(const QStringList& files) const
{
    // A folder's time moves when an entry comes or goes, not when one is
    // edited in place: the entries themselves tell of that.
    if (!m_entryFiles) {
        m_entryFiles = std::make_unique<QFileSystemWatcher>();
        QObject::connect(m_entryFiles.get(), &QFileSystemWatcher::fileChanged, m_entryFiles.get(),
                         [this] { m_readAt.reset(); });
    }
    if (const QStringList watched = m_entryFiles->files(); !watched.isEmpty())
        m_entryFiles->removePaths(watched);
    if (!files.isEmpty())
        m_entryFiles->addPaths(files);
}

std::optional<DesktopEntry> ApplicationDirectory::installedEntry(const QString& id) const
{
    const auto& entries = installedEntries();
    const auto index = m_indexById.find(id);
    if (index == m_indexById.end())
        return std::nullopt;
    return entries.at(*index);
}

std::optional<DesktopEntry> ApplicationDirectory::entryNamed(const QString& name) const
{
    const auto& entries = installedEntries();
    // An entry the menus show wins over one they hide, a name over an ID.
    for (const bool shown : {true, false}) {
        const auto byName = firstEntry(entries, [&](const DesktopEntry& entry) {
            return entry.noDisplay != shown && (sameText(entry.name, name) || sameText(entry.untranslatedName, name));
        });
        if (byName)
            return byName;
        const auto byId = firstEntry(
            entries, [&](const DesktopEntry& entry) { return entry.noDisplay != shown && sameText(entry.id, name); });
        if (byId)
            return byId;
    }
    return std::nullopt;
}

std::optional<DesktopEntry> ApplicationDirectory::entryForWindowClass(const QString& windowClass) const
{
    const auto& entries = installedEntries();
    if (auto declared =
            firstEntry(entries, [&](const DesktopEntry& entry) { return sameText(entry.startupWMClass, windowClass); }))
        return declared;
    return firstEntry(entries, [&](const DesktopEntry& entry) { return idMatchesWindowClass(entry.id, windowClass); });
}

QString ApplicationDirectory::idOfEntryFile(const QString& filePath) const
{
    const QString canonical = QFileInfo(filePath).canonicalFilePath();
    for (const QString& folder : m_folders) {
        const QString root = QFileInfo(folder).canonicalFilePath();
        if (!root.isEmpty() && canonical.startsWith(root + QLatin1Char('/')))
            return desktopFileId(root, canonical);
    }
    // Outside the folders the file's own name is the best ID there is.
    return QFileInfo(filePath).fileName().chopped(desktopSuffix.size());
}

QString ApplicationDirectory::lookedFor(const QString& applicationPath)
{
    if (const auto known = KnownApplications::withPath(applicationPath)) {
        return QStringLiteral("%1 (desktop entries %2)")
            .arg(known->kind, known->desktopEntries.join(QLatin1String(", ")));
    }
    if (applicationPath.endsWith(bundleSuffix))
        return QStringLiteral("desktop entry named ")
            + QFileInfo(applicationPath).fileName().chopped(bundleSuffix.size());
    return QStringLiteral("application ") + applicationPath;
}

std::optional<ResolvedApplication> ApplicationDirectory::resolve(const QString& applicationPath) const
{
    if (const auto known = KnownApplications::withPath(applicationPath)) {
        for (const QString& id : known->desktopEntries) {
            if (auto entry = installedEntry(id))
                return ResolvedApplication{known->identifier, std::move(entry), {}};
        }
        return std::nullopt;
    }

    const QFileInfo file(applicationPath);
    if (applicationPath.endsWith(desktopSuffix) && file.isFile()) {
        const auto entry = DesktopEntry::read(applicationPath, idOfEntryFile(applicationPath));
        if (!entry || !entry->installed())
            return std::nullopt;
        return resolvedEntry(*entry);
    }
    if (applicationPath.endsWith(bundleSuffix)) {
        const QString name = file.fileName().chopped(bundleSuffix.size());
        if (const auto entry = entryNamed(name))
            return resolvedEntry(*entry);
        return std::nullopt;
    }
    if (file.isFile() && file.isExecutable())
        return ResolvedApplication{{}, std::nullopt, file.canonicalFilePath()};
    return std::nullopt;
}

std::optional<ResolvedApplication> ApplicationDirectory::identifyWindow(const QString& instance,
                                                                        const QString& windowClass) const
{
    auto entry = entryForWindowClass(windowClass);
    if (!entry)
        entry = entryForWindowClass(instance);
    auto known = KnownApplications::withWindowClass(windowClass);
    if (!known)
        known = KnownApplications::withWindowClass(instance);
    if (!known && entry)
        known = KnownApplications::withDesktopEntry(entry->id);

    if (!known) {
        if (!entry)
            return std::nullopt;
        return resolvedEntry(*entry);
    }
    if (!entry) {
        for (const QString& id : known->desktopEntries) {
            if ((entry = installedEntry(id)))
                break;
        }
    }
    return ResolvedApplication{known->identifier, std::move(entry), {}};
}
