#include "ResourceBundle.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QJsonDocument>

#include <cstdio>
#include <cstdlib>

#include <sys/auxv.h>

namespace {

const QString bundleSuffix = QStringLiteral(".resources");

// The path the program was executed by, symbolic links not followed (the
// kernel's record of it; the program's own file when there is none).
// Readable before the application object exists, which the single-instance
// lock needs (it names its file after the edition).
QString startedProgramPath()
{
    const auto* started = reinterpret_cast<const char*>(::getauxval(AT_EXECFN));
    if (started && *started)
        return QFileInfo(QFile::decodeName(started)).absoluteFilePath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

} // namespace

ResourceBundle::ResourceBundle(QString root) : m_root(std::move(root)) { }

const ResourceBundle& ResourceBundle::main()
{
    static const ResourceBundle bundle = [] {
        const QStringList places = placesFor(startedProgramPath());
        const std::optional<QString> root = locate(places);
        if (!root) {
            std::fprintf(stderr, "%s\n", qPrintable(missingBundleMessage(places)));
            std::abort();
        }
        return ResourceBundle(*root);
    }();
    return bundle;
}

QStringList ResourceBundle::programChain(const QString& startedAs)
{
    QStringList chain{QDir::cleanPath(startedAs)};
    for (QFileInfo program(chain.last()); program.isSymLink(); program.setFile(chain.last())) {
        const QString target = QDir::cleanPath(program.symLinkTarget());
        // A loop of links leads nowhere further.
        if (chain.contains(target))
            break;
        chain.append(target);
    }
    return chain;
}

QStringList ResourceBundle::candidatePlaces(const QString& programPath)
{
    const QFileInfo program(programPath);
    const QString folder = program.absolutePath();
    const QString name = program.fileName();
    return {QDir::cleanPath(folder + QStringLiteral("/") + name + bundleSuffix),
            QDir::cleanPath(folder + QStringLiteral("/../share/") + name)};
}

QStringList ResourceBundle::placesFor(const QString& startedAs)
{
    QStringList places;
    for (const QString& program : programChain(startedAs))
        places += candidatePlaces(program);
    return places;
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

QString ResourceBundle::programName() const
{
    const QString folder = QFileInfo(m_root).fileName();
    return folder.endsWith(bundleSuffix) ? folder.chopped(bundleSuffix.size()) : folder;
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
