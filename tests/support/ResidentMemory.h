#pragma once

#include <QFile>
#include <QString>

#include <unistd.h>

// The memory a process holds resident (this one by default), in bytes; -1
// once it is gone.
inline qint64 residentBytes(const QString& process = QStringLiteral("self"))
{
    QFile statm(QStringLiteral("/proc/%1/statm").arg(process));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    return statm.readAll().split(' ').value(1).toLongLong() * ::sysconf(_SC_PAGESIZE);
}
