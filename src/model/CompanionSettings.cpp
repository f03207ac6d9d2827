#include "CompanionSettings.h"

#include "LogCategories.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QIODevice>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QMutex>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>

namespace CompanionSettings {
namespace {

// What the reader and the writer learn of a settings file, which QSettings
// reports only as some failure: whether it may be written over, and how the
// last write went. Keyed by the absolute path QSettings gives the file.
class FileNotes {
public:
    static FileNotes& shared()
    {
        static FileNotes notes;
        return notes;
    }

    // An unreadable file that could not be kept is never written over; the
    // message said why.
    void markUnkept(const QString& path, const QString& message)
    {
        const QMutexLocker lock(&m_mutex);
        m_unkept.insert(path, message);
    }
    std::optional<QString> unkept(const QString& path) const
    {
        const QMutexLocker lock(&m_mutex);
        const auto found = m_unkept.constFind(path);
        return found == m_unkept.cend() ? std::nullopt : std::optional(*found);
    }

    // A write that was refused or failed gives the message saying why.
    void noteWrite(const QString& path, const std::optional<QString>& problem)
    {
        const QMutexLocker lock(&m_mutex);
        m_writes.insert(path, problem.value_or(QString()));
    }
    // How the last write went, then forgotten; nothing when none was tried.
    std::optional<QString> takeWrite(const QString& path)
    {
        const QMutexLocker lock(&m_mutex);
        if (!m_writes.contains(path))
            return std::nullopt;
        return m_writes.take(path);
    }

    // A warning is said once for each cause, not at every save.
    void sayOnce(const QString& message)
    {
        {
            const QMutexLocker lock(&m_mutex);
            if (m_said.contains(message))
                return;
            m_said.insert(message);
        }
        qCWarning(lcSettings).noquote() << message;
    }

private:
    mutable QMutex m_mutex;
    QHash<QString, QString> m_unkept;
    QHash<QString, QString> m_writes;
    QSet<QString> m_said;
};

// Writes bytes to file and out of its buffer; why not, if it did not. Qt
// calls a write that a full disk cut short an unknown error: the system's
// reason is still in errno.
std::optional<QString> writeWhole(QFileDevice& file, const QByteArray& bytes)
{
    errno = 0;
    if (file.write(bytes) == bytes.size() && file.flush())
        return std::nullopt;
    return errno != 0 ? QString::fromLocal8Bit(std::strerror(errno)) : file.errorString();
}

// Copies what file holds to kept through a temporary file renamed over it,
// so an older kept copy goes only once the new one is whole, as private as
// the file. Why it failed, if it did.
std::optional<QString> copyWhole(QFileDevice& file, const QString& kept)
{
    // QSaveFile would write through a link to wherever it points; the
    // program picked the name, so anything there but its own copy stays.
    const QFileInfo there(kept);
    if (there.isSymLink() || (there.exists() && !there.isFile()))
        return QStringLiteral("that name is taken by something other than a regular file");
    QSaveFile copy(kept);
    if (!file.seek(0) || !copy.open(QIODevice::WriteOnly))
        return copy.errorString();
    if (!copy.setPermissions(file.permissions()))
        return copy.errorString();
    while (!file.atEnd()) {
        const QByteArray chunk = file.read(64 * 1024);
        if (chunk.isEmpty())
            return file.errorString();
        if (std::optional<QString> problem = writeWhole(copy, chunk))
            return problem;
    }
    if (!copy.commit())
        return copy.errorString();
    return std::nullopt;
}

// Keeps a settings file that could not be read beside itself, for the user
// to mend, before QSettings writes over it at the first save. One that
// cannot be kept is left as it is.
void keepUnreadable(QFileDevice& file, const QString& problem)
{
    const QString path = file.fileName();
    const QString kept = path + QStringLiteral(".unreadable");
    const std::optional<QString> notKept = copyWhole(file, kept);
    QString message = QStringLiteral("cannot read %1 (%2): the settings start afresh; ").arg(path, problem);
    if (notKept) {
        message += QStringLiteral("it could not be kept as %1 (%2), so it is left as it is and the settings "
                                  "hold for this run only")
                       .arg(kept, *notKept);
        FileNotes::shared().markUnkept(path, message);
    } else {
        message += QStringLiteral("the file is kept as ") + kept;
    }
    FileNotes::shared().sayOnce(message);
}

// QSettings reads the file when it opens it and again before a save when
// someone else changed it meanwhile; whatever it refuses here it writes over.
bool readJson(QIODevice& device, QSettings::SettingsMap& map)
{
    QString problem;
    if (device.size() > largestFile) {
        problem = QStringLiteral("larger than %1 bytes").arg(largestFile);
    } else {
        const QByteArray bytes = device.readAll();
        if (bytes.trimmed().isEmpty())
            return true;
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
        if (document.isObject()) {
            const QJsonObject object = document.object();
            for (auto entry = object.begin(); entry != object.end(); ++entry)
                map.insert(entry.key(), entry.value().toVariant());
            return true;
        }
        problem = error.error == QJsonParseError::NoError
            ? QStringLiteral("no JSON object")
            : QStringLiteral("%1 at byte %2").arg(error.errorString()).arg(error.offset);
    }
    if (auto* file = qobject_cast<QFileDevice*>(&device))
        keepUnreadable(*file, problem);
    return false;
}

// Why the settings were not written to file; nothing once they were.
std::optional<QString> writeProblem(QFileDevice& file, const QSettings::SettingsMap& map)
{
    if (std::optional<QString> unkept = FileNotes::shared().unkept(file.fileName()))
        return unkept;
    QJsonObject object;
    for (auto entry = map.begin(); entry != map.end(); ++entry)
        object.insert(entry.key(), QJsonValue::fromVariant(entry.value()));
    // Compact, and never more than the reader takes: what is written is read back.
    const QByteArray bytes = QJsonDocument(object).toJson(QJsonDocument::Compact);
    const QString notSaved = QStringLiteral("settings could not be saved to %1: ").arg(file.fileName());
    if (bytes.size() > largestFile)
        return notSaved
            + QStringLiteral("they would be larger than %1 bytes, the most that is read back").arg(largestFile);
    if (std::optional<QString> problem = writeWhole(file, bytes))
        return notSaved + *problem;
    return std::nullopt;
}

// QSettings writes through a QSaveFile named after the settings file.
bool writeJson(QIODevice& device, const QSettings::SettingsMap& map)
{
    auto* file = qobject_cast<QFileDevice*>(&device);
    if (!file)
        return false;
    const std::optional<QString> problem = writeProblem(*file, map);
    FileNotes::shared().noteWrite(file->fileName(), problem);
    return !problem;
}

// Why QSettings could not even start to write path (its lock file, a
// temporary file beside it, or the file itself refused): what the system
// says when asked the same.
QString whyNotWritable(const QString& path)
{
    const QString notSaved = QStringLiteral("settings could not be saved to %1: ").arg(path);
    QFile file(path);
    if (file.exists() && !file.open(QIODevice::ReadWrite))
        return notSaved + file.errorString();
    QTemporaryFile beside(path + QStringLiteral(".XXXXXX"));
    if (!beside.open())
        return notSaved + QStringLiteral("no file can be made beside it (%1)").arg(beside.errorString());
    if (const std::optional<QString> problem = writeWhole(beside, QByteArray(4096, ' ')))
        return notSaved + QStringLiteral("no file can be written beside it (%1)").arg(*problem);
    return notSaved + QStringLiteral("the reason is unknown");
}

QSettings::Format jsonFormat()
{
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("json"), readJson, writeJson, Qt::CaseSensitive);
    return format;
}

struct ScratchFolder {
    QTemporaryDir folder;
};

// Settings kept for one run: written only to a private folder that goes
// with them.
class RunOnlySettings final : private ScratchFolder, public QSettings {
public:
    RunOnlySettings() : QSettings(folder.filePath(QStringLiteral("settings.json")), jsonFormat()) { }
};

bool isNumber(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double: return true;
    default: return false;
    }
}

bool textReadsAsYes(const QString& text)
{
    qsizetype index = 0;
    while (index < text.size() && text.at(index).isSpace())
        ++index;
    if (index < text.size() && (text.at(index) == u'+' || text.at(index) == u'-'))
        ++index;
    while (index < text.size() && text.at(index) == u'0')
        ++index;
    if (index == text.size())
        return false;
    const QChar first = text.at(index);
    return first == u'Y' || first == u'y' || first == u'T' || first == u't' || (first >= u'1' && first <= u'9');
}

} // namespace

QString defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/lumivo-companion/settings.json");
}

std::unique_ptr<QSettings> open(const QString& path)
{
    if (const std::optional<QString> reason = whyNotSavedAt(path)) {
        qCWarning(lcSettings).noquote() << "settings are not saved:" << *reason;
        return std::make_unique<RunOnlySettings>();
    }
    auto settings = std::make_unique<QSettings>(path, jsonFormat());
    // An unreadable file that could not be kept aside is left alone.
    if (FileNotes::shared().unkept(settings->fileName()))
        return std::make_unique<RunOnlySettings>();
    return settings;
}

std::optional<QString> whyNotSavedAt(const QString& path)
{
    for (const QString& file : {path, path + QStringLiteral(".lock")}) {
        // Follows symbolic links, and never opens what it looks at.
        const QFileInfo info(file);
        if (info.exists() && !info.isFile())
            return file + QStringLiteral(" is not a regular file");
    }
    return std::nullopt;
}

void store(QSettings& settings, const QString& key, const QVariant& value) { store(settings, {{key, value}}); }

void store(QSettings& settings, std::initializer_list<std::pair<QString, QVariant>> values)
{
    for (const auto& [key, value] : values)
        settings.setValue(key, value);
    const QString path = settings.fileName();
    FileNotes& notes = FileNotes::shared();
    notes.takeWrite(path); // an earlier one, which no one asked about
    settings.sync();
    // QSettings tells only of its first failure ever, not how each save went.
    const std::optional<QString> written = notes.takeWrite(path);
    const QString problem = written ? *written : whyNotWritable(path);
    if (!problem.isEmpty())
        notes.sayOnce(problem);
}

std::optional<QString> textReading(const QVariant& stored)
{
    if (stored.typeId() == QMetaType::QString)
        return stored.toString();
    return std::nullopt;
}

bool boolReading(const QVariant& stored)
{
    if (stored.typeId() == QMetaType::Bool)
        return stored.toBool();
    if (isNumber(stored))
        return stored.toDouble() != 0;
    if (stored.typeId() == QMetaType::QString)
        return textReadsAsYes(stored.toString());
    return false;
}

std::optional<QStringList> stringArrayReading(const QVariant& stored)
{
    if (stored.typeId() == QMetaType::QStringList)
        return stored.toStringList();
    if (stored.typeId() != QMetaType::QVariantList)
        return std::nullopt;
    QStringList texts;
    for (const QVariant& element : stored.toList()) {
        if (element.typeId() != QMetaType::QString)
            return std::nullopt;
        texts.append(element.toString());
    }
    return texts;
}

} // namespace CompanionSettings
