#pragma once

#include "ReceiveQueue.h"
#include "TokenRunWriter.h"

#include <QObject>

#include <chrono>

class Clock;
class DisplayModel;
class DisplayOptions;
struct DisplayColors;

// From the port to the display: reads are queued at once, and the queue is
// shown in slices of bounded time so that the window keeps answering. When a
// slice finds the queue empty and data were dropped, the drop report follows.
class ReceivePath : public QObject
{
    Q_OBJECT

public:
    ReceivePath(DisplayModel &model, const DisplayOptions &options, const DisplayColors &colors,
                const Clock &clock, QObject *parent = nullptr);

    void receive(QByteArrayView data);
    void lineEvent(ReceiveQueue::Marker marker);
    void purge() { m_queue.purge(); }

    // Shows waiting entries until the queue is empty or the budget is spent.
    // Returns true when nothing waits any more.
    bool showSlice(std::chrono::microseconds budget);

    qsizetype waitingEntries() const { return m_queue.count(); }
    bool isDropping() const { return m_queue.isDropping(); }

    // Seconds since midnight as the drop report counts them.
    static double secondsSinceMidnight(const QDateTime &time);

signals:
    void entriesWaiting();
    void droppingStarted();
    // The drop report is in the display; the port's waiting input is to be discarded.
    void droppingReported();

private:
    void showDropReport();

    DisplayModel &m_model;
    const DisplayOptions &m_options;
    const DisplayColors &m_colors;
    const Clock &m_clock;
    ReceiveQueue m_queue;
    TokenRunWriter m_writer;
    double m_dropStartTime = 0;
};
