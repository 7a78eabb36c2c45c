#pragma once

#include <QByteArray>

#include <deque>

// Received data waiting to be shown: entries of at most 1024 bytes, or a
// line-event marker, in order of arrival. At most 100,000 entries wait; data
// that would need more are dropped until the queue has been shown, and the
// dropping is reported. Each entry carries the time it arrived.
class ReceiveQueue
{
public:
    static constexpr qsizetype MaxEntries = 100000;
    static constexpr qsizetype MaxEntryBytes = 1024;

    // Line errors, and the device of the port lost and back again.
    enum class Marker
    {
        Break,
        Frame,
        Parity,
        Lost,
        Reconnected
    };

    struct Entry
    {
        QByteArray bytes;
        bool isMarker = false;
        qint64 time = 0; // milliseconds since the epoch
    };

    // Stores what one read delivered. Returns true when this read started
    // dropping: the part that did not fit is discarded, and so is every read
    // until the dropping ends.
    bool storeReceived(QByteArrayView data, qint64 time);
    // Stores a marker while fewer than MaxEntries entries wait; otherwise it is lost.
    void storeLineEvent(Marker marker, qint64 time);

    bool isEmpty() const { return m_entries.empty(); }
    qsizetype count() const { return qsizetype(m_entries.size()); }
    Entry takeFirst();
    // Discards every waiting entry; dropping goes on until it is reported.
    void purge() { m_entries.clear(); }

    bool isDropping() const { return m_dropping; }
    void endDropping() { m_dropping = false; }

    static QByteArray markerText(Marker marker);

private:
    std::deque<Entry> m_entries;
    bool m_dropping = false;
};
