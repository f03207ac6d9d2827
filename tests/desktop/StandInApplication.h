#pragma once

// A running copy of the test stand-in application with X11 windows, ended
// (if still running) when the test is done with it.

#include <QProcess>
#include <QStringList>

#include <memory>

class StandInApplication {
public:
    explicit StandInApplication(QStringList arguments)
    {
        m_process->start(QStringLiteral(LUMIVO_TEST_APP), arguments);
        m_process->waitForStarted(5000);
    }
    ~StandInApplication()
    {
        if (m_process && m_process->state() != QProcess::NotRunning) {
            m_process->kill();
            m_process->waitForFinished(5000);
        }
    }
    StandInApplication(StandInApplication&&) = default;

    qint32 processIdentifier() const { return qint32(m_process->processId()); }
    bool hasExited() const { return m_process->state() == QProcess::NotRunning; }
    // Serves the process's own signals, so hasExited() sees an exit.
    bool waitForExit(int timeoutMs = 5000) { return m_process->waitForFinished(timeoutMs); }
    // Started with --report-presses: how many button presses its windows have had.
    int presses()
    {
        m_output += m_process->readAllStandardOutput();
        return int(m_output.count("press\n"));
    }

private:
    std::unique_ptr<QProcess> m_process = std::make_unique<QProcess>();
    QByteArray m_output;
};
