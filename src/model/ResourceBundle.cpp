#include "ResourceBundle.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QJsonDocument>

#include <cstdio>
#include <cstdlib>

namespace {

// Readable before the application object exists, which the single-instance
// lock needs (it names its file after the edition).
QString runningProgramPath()
{
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

} // namespace

ResourceBundle::ResourceBundle(QString root) : m_root(std::move(root)) {}

const ResourceBundle& ResourceBundle::main()
{
    static const ResourceBundle bundle = [] {
        const QStringList places = candidatePlaces(runningProgramPath());
        const std::optional<QString> root = locate(places);
        if (!root) {
            std::fprintf(stderr, "%s\n", qPrintable(missingBundleMessage(places)));
            std::abort();
        }
        return ResourceBundle(*root);
    }();
    return bundle;
}

QStringList ResourceBundle::candidatePlaces(const QString& programPath)
{
    const QFileInfo program(programPath);
    const QString folder = program.absolutePath();
    const QString name = program.fileName();
    return {QDir::cleanPath(folder + QStringLiteral("/") + name + QStringLiteral(".resources")),
            QDir::cleanPath(folder + QStringLiteral("/../share/") + name)};
}

std::optional<QString> ResourceBundle::locate(const QStringList& places)
{
    for (const QString& place : places) {
        if (QFileInfo(place).isDir())
            return place;
    }
    return std::nullopt;
}

QString ResourceBundle::missingBundleMessage(const QStringList& places)
{
    return QStringLiteral("could not load resource bundle: from ") + places.join(QStringLiteral(", "));
}

QString ResourceBundle::pathFor(const QString& name, const QString& type) const
{
    const QString path = m_root + QStringLiteral("/") + name + QStringLiteral(".") + type;
    return QFileInfo(path).isFile() ? path : QString();
}

QJsonObject ResourceBundle::info() const
{
    QFile file(m_root + QStringLiteral("/Info.json"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

namespace {

QImage readAsPng(QImageReader& reader)
{
    reader.setFormat("png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

} // namespace

QImage readPng(const QString& path)
{
    QImageReader reader(path);
    return readAsPng(reader);
}

QImage decodePng(const QByteArray& data)
{
    QBuffer buffer;
    buffer.setData(data);
    QImageReader reader(&buffer);
    return readAsPng(reader);
}
