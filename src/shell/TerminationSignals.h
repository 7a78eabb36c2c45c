#pragma once

#include <QObject>

// SIGTERM, SIGINT and SIGHUP, which would end the process on the spot, as a
// Qt signal on the event loop, so that the program can close as when its
// window is closed. The handler only writes the signal's number to a socket
// pair, which a socket notifier reads. Once the first of them is taken, all
// three have their default actions again: a second one ends a shutdown that
// hangs.
//
// One object at a time; it puts the default actions back when destroyed.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    // The signal that arrived; 0 while none has.
    int received() const { return m_received; }
    // Ends the process by the signal that arrived, with its default action,
    // so that the parent sees how it ended; returns when none has arrived.
    void endAsReceived() const;

signals:
    void arrived(int signalNumber);

private:
    void readArrival();

    int m_received = 0;
};
