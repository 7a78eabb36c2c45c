#include "HexHistory.h"

#include "PlatformServices.h"

#include <cstring>

HexHistory::HexHistory(const Clock &clock, QObject *parent) : QObject(parent), m_clock(clock) {}

void HexHistory::received(QByteArrayView data)
{
    addData(Kind::Received, data);
}

void HexHistory::sent(QByteArrayView data)
{
    addData(Kind::Sent, data);
}

void HexHistory::event(const QString &text)
{
    Row row;
    row.time = timeNow();
    row.kind = Kind::Event;
    row.event = m_firstEvent + quint32(m_events.size());
    m_events.push_back(text.toLatin1());
    m_rows.push_back(row);
    m_rowOpen = false;
    trim();
    emit changed();
}

void HexHistory::clear()
{
    m_firstRow = endRow();
    m_rows.clear();
    m_firstEvent += quint32(m_events.size());
    m_events.clear();
    m_byteCount = 0;
    m_rowOpen = false;
    emit changed();
}

qint64 HexHistory::timeNow()
{
    // Local time is costly to read; within one tick it is the same.
    const qint64 tick = m_clock.tickCount();
    if (tick != m_timeTick) {
        m_timeTick = tick;
        m_time = m_clock.now().toMSecsSinceEpoch();
    }
    return m_time;
}

void HexHistory::addData(Kind kind, QByteArrayView data)
{
    if (data.isEmpty())
        return;
    const qint64 tick = m_clock.tickCount();
    if (m_rowOpen && (m_rows.back().kind != kind || tick - m_lastDataTick > PauseMs))
        m_rowOpen = false;
    m_lastDataTick = tick;
    const qint64 time = timeNow();
    for (qsizetype at = 0; at < data.size();) {
        if (!m_rowOpen) {
            Row row;
            row.time = time;
            row.kind = kind;
            m_rows.push_back(row);
            m_rowOpen = true;
        }
        Row &row = m_rows.back();
        const qsizetype count = std::min<qsizetype>(RowBytes - row.count, data.size() - at);
        std::memcpy(row.bytes.data() + row.count, data.data() + at, size_t(count));
        row.count = quint8(row.count + count);
        at += count;
        if (row.count == RowBytes)
            m_rowOpen = false;
    }
    m_byteCount += data.size();
    trim();
    emit changed();
}

void HexHistory::trim()
{
    while (m_rows.size() > 1 && (m_byteCount - m_rows.front().count >= KeptBytes ||
                                 qsizetype(m_rows.size()) > MaxRows)) {
        const Row &front = m_rows.front();
        m_byteCount -= front.count;
        if (front.kind == Kind::Event) {
            m_events.pop_front();
            ++m_firstEvent;
        }
        m_rows.pop_front();
        ++m_firstRow;
    }
}

QByteArray HexHistory::rowText(qint64 number) const
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    const Row &row = this->row(number);
    QByteArray text;
    text.reserve(RowWidth);
    m_timeText.appendTo(text, row.time);
    text += ' ';
    text += char(row.kind);
    text += ' ';
    if (row.kind == Kind::Event) {
        text += m_events[size_t(quint32(row.event - m_firstEvent))];
        return text;
    }
    text.resize(RowWidth, ' ');
    char *hex = text.data() + HexColumn;
    char *character = text.data() + CharColumn;
    for (int i = 0; i < row.count; ++i) {
        const auto byte = uchar(row.bytes[size_t(i)]);
        hex[3 * i] = Digits[byte >> 4];
        hex[3 * i + 1] = Digits[byte & 0xF];
        character[i] = byte >= 0x20 && byte <= 0x7E ? char(byte) : '.';
    }
    text.truncate(CharColumn + row.count);
    return text;
}

QByteArray HexHistory::text(qint64 first, qint64 last) const
{
    QByteArray text;
    text.reserve((last - first + 1) * (RowWidth + 2));
    for (qint64 number = first; number <= last; ++number) {
        text += rowText(number);
        text += "\r\n";
    }
    return text;
}
