#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT, SIGTERM and SIGHUP into a clean quit of the event loop, so the
// program shuts down through its normal path (saving its state) when the
// session ends or a user stops it from a terminal.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    // Must run before any thread starts, so that every thread inherits the
    // blocked signal mask and the signals queue for the descriptor instead.
    static void blockInProcess();

    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void received(int signalNumber);

private:
    void readPending();

    int m_descriptor = -1;
    QSocketNotifier* m_notifier = nullptr;
};
