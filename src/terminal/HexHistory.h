#pragma once

#include "TimeStampText.h"
#include "TrafficRecorder.h"

#include <QByteArray>
#include <QObject>

#include <array>
#include <deque>

class Clock;

// The session as rows of bytes, for the hex view. It hears the traffic where
// the session log does: every byte as read from the port (before the receive
// queue, so nothing the display drops is missing), every byte handed to the
// port and every event of the port.
//
// A data row holds up to 16 bytes of one direction, timed by its first byte;
// a new row starts at a change of direction, when the data pause for more
// than PauseMs, and after 16 bytes. An event is a row of its own. The newest
// rows holding at least KeptBytes bytes stay; older rows fall away whole.
// Rows are numbered from the first one ever made, so a number names the same
// row for as long as it is held.
class HexHistory : public QObject, public TrafficRecorder
{
    Q_OBJECT

public:
    static constexpr int RowBytes = 16;
    static constexpr qint64 PauseMs = 100;
    static constexpr qsizetype KeptBytes = 1000000;
    // Events count as rows too: this bounds a history of events alone.
    static constexpr qsizetype MaxRows = KeptBytes + 65536;

    // Where the parts of a row's text start, and its longest length.
    static constexpr int MarkColumn = TimeStampText::Length + 1;
    static constexpr int HexColumn = MarkColumn + 2;
    static constexpr int CharColumn = HexColumn + 3 * RowBytes + 1;
    static constexpr int RowWidth = CharColumn + RowBytes;

    enum class Kind : char
    {
        Received = '<',
        Sent = '>',
        Event = '!',
    };

    struct Row
    {
        qint64 time = 0; // milliseconds since the epoch
        std::array<char, RowBytes> bytes{};
        quint8 count = 0;
        Kind kind = Kind::Received;
        quint32 event = 0; // an event row's place among the events
    };

    explicit HexHistory(const Clock &clock, QObject *parent = nullptr);

    void received(QByteArrayView data) override;
    void sent(QByteArrayView data) override;
    void event(const QString &text) override;
    void clear();

    qint64 firstRow() const { return m_firstRow; }
    qint64 endRow() const { return m_firstRow + qint64(m_rows.size()); }
    const Row &row(qint64 number) const { return m_rows[size_t(number - m_firstRow)]; }
    qsizetype byteCount() const { return m_byteCount; }

    // A row as shown: its time, its mark, then the bytes as upper-case hex
    // digits and as characters (0x20 to 0x7E as themselves, others "."), or
    // the event's words.
    QByteArray rowText(qint64 number) const;
    // Rows first to last, each followed by CR LF.
    QByteArray text(qint64 first, qint64 last) const;

signals:
    // Rows were added, filled or removed.
    void changed();

private:
    void addData(Kind kind, QByteArrayView data);
    qint64 timeNow();
    void trim();

    const Clock &m_clock;
    std::deque<Row> m_rows;
    std::deque<QByteArray> m_events;
    qint64 m_firstRow = 0;
    quint32 m_firstEvent = 0;
    qsizetype m_byteCount = 0;
    bool m_rowOpen = false; // the last row takes more bytes of its direction
    qint64 m_lastDataTick = 0;
    qint64 m_timeTick = -1; // the tick m_time was read at
    qint64 m_time = 0;
    mutable TimeStampText m_timeText;
};
