#pragma once

// A private XDG applications folder for the application tests, with desktop
// entries whose programs are the test stand-in application, and waits that
// poll instead of sleeping.

#include "support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

// Polls condition while serving events, for at most timeoutMs.
template <typename Condition>
bool eventually(Condition condition, int timeoutMs = 15000)
{
    return waitUntil([&] { return bool(condition()); }, timeoutMs);
}

class ApplicationFolder {
public:
    ApplicationFolder() { QDir(m_root.path()).mkpath(QStringLiteral("applications")); }

    QString path() const { return m_root.filePath(QStringLiteral("applications")); }
    QString filePath(const QString& name) const { return m_root.filePath(name); }

    // Writes applications/<relativePath> as given and returns its path.
    QString write(const QString& relativePath, const QByteArray& contents) const
    {
        const QString file = QDir(path()).filePath(relativePath);
        QDir().mkpath(QFileInfo(file).path());
        QFile out(file);
        if (out.open(QIODevice::WriteOnly))
            out.write(contents);
        return file;
    }

    // An application entry named name whose program records its command line
    // into the file recordOf(id) and then leaves (or shows windows).
    QString addApplication(const QString& id, const QString& name, const QByteArray& extraLines = {},
                           const QByteArray& arguments = "%U") const
    {
        return write(id + QStringLiteral(".desktop"),
                     "[Desktop Entry]\nType=Application\nName=" + name.toUtf8() + "\nExec=" + execLine(id) + ' '
                         + arguments + '\n' + extraLines);
    }

    QByteArray execLine(const QString& id) const
    {
        return QByteArray(LUMIVO_TEST_APP) + " --record " + recordOf(id).toUtf8();
    }

    QString recordOf(const QString& id) const { return filePath(id + QStringLiteral(".args")); }
    // Where the stand-in started with "--signals" and this path writes the
    // signals it started with blocked and ignored.
    QString signalsOf(const QString& id) const { return filePath(id + QStringLiteral(".signals")); }

    // The arguments the stand-in recorded after its --record option, once it
    // has run; none when it did not run in time.
    std::optional<QStringList> waitForRecord(const QString& id, int timeoutMs = 5000) const
    {
        const auto lines = waitForLines(recordOf(id), timeoutMs);
        return lines ? std::optional(lines->mid(2)) : std::nullopt;
    }

    // "SigBlk:\t..." and "SigIgn:\t..." as the stand-in saw them.
    std::optional<QStringList> waitForSignals(const QString& id, int timeoutMs = 5000) const
    {
        return waitForLines(signalsOf(id), timeoutMs);
    }

private:
    static std::optional<QStringList> waitForLines(const QString& path, int timeoutMs)
    {
        QFile file(path);
        if (!eventually([&] { return file.exists(); }, timeoutMs) || !file.open(QIODevice::ReadOnly))
            return std::nullopt;
        QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        lines.removeLast();
        return lines;
    }

    QTemporaryDir m_root;
};
