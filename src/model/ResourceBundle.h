#pragma once

#include <QImage>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

// The folder of artwork, marks, sounds and the Info file that ships with each
// edition of the program. It sits next to the program in the build tree
// ("<program>.resources") and under "share/<program>" once installed. The
// editions share one program file: an edition's name is a symbolic link to
// it, so the bundle is looked for under the name the program was started by
// before the names the link leads to.
class ResourceBundle {
public:
    explicit ResourceBundle(QString root);

    // The bundle of the running program, found once. A missing bundle stops
    // the program with missingBundleMessage().
    static const ResourceBundle& main();

    // The program as started (the path it was executed by), then each path
    // the symbolic links lead to, one link at a time, ending at the file itself.
    static QStringList programChain(const QString& startedAs);
    // The places looked in, in order, for a program at programPath.
    static QStringList candidatePlaces(const QString& programPath);
    // Those of each path of the program's chain, in turn.
    static QStringList placesFor(const QString& startedAs);
    // The first of places that is a folder.
    static std::optional<QString> locate(const QStringList& places);
    static QString missingBundleMessage(const QStringList& places);

    const QString& root() const { return m_root; }
    // The name of the program whose bundle this is.
    QString programName() const;
    // The path of the resource named name.type, or an empty text when the bundle has none.
    QString pathFor(const QString& name, const QString& type) const;
    // The typed settings of the Info file; empty when the file is absent or not a JSON object.
    QJsonObject info() const;

private:
    QString m_root;
};

// The PNG picture at path, or held in data; null when there is none. Read as
// a PNG: guessing a picture's format loads and keeps every image plugin of
// the system.
QImage readPng(const QString& path);
QImage decodePng(const QByteArray& data);
