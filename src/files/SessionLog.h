#pragma once

#include "SessionLogLines.h"
#include "TrafficRecorder.h"

#include <QFile>
#include <QObject>
#include <QTimer>

class Clock;
class DisplayOptions;
class MessageBoxes;

// Records a session to a log file (see SessionLogLines) while logging is on.
// The file is opened for appending and never truncated; a new one is readable
// by its owner only (it may hold passwords typed to a device), and what is
// no file or device (see FileTarget) is refused. The text is kept in
// memory and written at least once every FlushIntervalMs, whenever
// WriteThreshold bytes wait, and when logging stops. A write that fails, or
// the file being removed or replaced meanwhile, stops logging with one
// message that names the file and the reason; the session goes on.
class SessionLog : public QObject, public TrafficRecorder
{
    Q_OBJECT

public:
    static constexpr int FlushIntervalMs = 1000;
    static constexpr qsizetype WriteThreshold = 64 * 1024;

    SessionLog(const DisplayOptions &options, const Clock &clock, MessageBoxes &messages,
               QObject *parent = nullptr);
    ~SessionLog() override;

    // Starts logging to path; false, with a message, when it cannot be opened.
    bool start(const QString &path);
    void stop();
    bool isLogging() const { return m_file.isOpen(); }
    QString fileName() const { return m_file.fileName(); }

    void received(QByteArrayView data) override;
    void sent(QByteArrayView data) override;
    void event(const QString &text) override;

signals:
    void loggingChanged(bool logging);

private:
    void addData(SessionLogLines::Direction direction, QByteArrayView data);
    // Writes the closing line; false when logging was off or has just failed.
    bool finish();
    void writeOut();
    bool fileStillThere(QString *reason) const;
    void fail(const QString &reason);
    void close();

    MessageBoxes &m_messages;
    SessionLogLines m_lines;
    QFile m_file;
    QTimer m_flushTimer;
    quint64 m_device = 0;
    quint64 m_inode = 0;
};
