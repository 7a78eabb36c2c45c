#include "ReceiveQueue.h"

bool ReceiveQueue::storeReceived(QByteArrayView data, qint64 time)
{
    if (m_dropping)
        return false;
    for (qsizetype at = 0; at < data.size(); at += MaxEntryBytes) {
        if (count() >= MaxEntries) {
            m_dropping = true;
            return true;
        }
        m_entries.push_back(
            {data.sliced(at, std::min(MaxEntryBytes, data.size() - at)).toByteArray(), false,
             time});
    }
    return false;
}

void ReceiveQueue::storeLineEvent(Marker marker, qint64 time)
{
    if (count() < MaxEntries)
        m_entries.push_back({markerText(marker), true, time});
}

ReceiveQueue::Entry ReceiveQueue::takeFirst()
{
    Entry entry = std::move(m_entries.front());
    m_entries.pop_front();
    return entry;
}

QByteArray ReceiveQueue::markerText(Marker marker)
{
    switch (marker) {
    case Marker::Break:
        return QByteArrayLiteral("***BREAK***");
    case Marker::Frame:
        return QByteArrayLiteral("***FRAME***");
    case Marker::Parity:
        return QByteArrayLiteral("***PARITY***");
    case Marker::Lost:
        return QByteArrayLiteral("***DEVICE LOST***");
    case Marker::Reconnected:
        return QByteArrayLiteral("***RECONNECTED***");
    }
    return {};
}
