#include "CompanionSettings.h"

#include "LogCategories.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace CompanionSettings {
namespace {

// Keeps a settings file that could not be read beside itself, for the user
// to mend: QSettings writes over it at the first save.
void keepUnreadable(const QString& path, const QString& problem)
{
    const QString kept = path + QStringLiteral(".unreadable");
    QFile::remove(kept);
    const bool keptIt = QFile::copy(path, kept);
    qCWarning(lcSettings).noquote() << "cannot read" << path
                                    << QStringLiteral("(%1): the settings start afresh; the file").arg(problem)
                                    << (keptIt ? "is kept as" : "could not be kept as") << kept;
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
    if (const auto* file = qobject_cast<const QFile*>(&device))
        keepUnreadable(file->fileName(), problem);
    return false;
}

bool writeJson(QIODevice& device, const QSettings::SettingsMap& map)
{
    QJsonObject object;
    for (auto entry = map.begin(); entry != map.end(); ++entry)
        object.insert(entry.key(), QJsonValue::fromVariant(entry.value()));
    return device.write(QJsonDocument(object).toJson()) >= 0;
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
    return std::make_unique<QSettings>(path, jsonFormat());
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
    settings.sync();
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
