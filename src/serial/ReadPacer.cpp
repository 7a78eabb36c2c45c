#include "ReadPacer.h"

#include <algorithm>

int ReadPacer::pauseAfterRead(qint64 bytes, qint64 nowMs, bool more)
{
    if (bytes <= 0) {
        if (m_pauseMs > 0 && m_pauseMs < MaxPauseMs)
            return m_pauseMs = std::min(2 * m_pauseMs, MaxPauseMs);
        // Nothing came in the longest pause: the stream has ended.
        m_lastReadMs = -1;
        m_bytesPerSecond = 0;
        return m_pauseMs = 0;
    }
    if (more || bytes >= LineBufferBytes) {
        m_lastReadMs = nowMs;
        return m_pauseMs = 0;
    }
    if (m_lastReadMs < 0) {
        // The first read of a stream: its rate is not known yet.
        m_lastReadMs = nowMs;
        return m_pauseMs = ProbeMs;
    }
    // These bytes came in since the last read that found any. A rise counts
    // at once, a fall only gradually, so that an uneven stream is judged by
    // its bursts.
    const qint64 rate = bytes * 1000 / std::max<qint64>(1, nowMs - m_lastReadMs);
    m_lastReadMs = nowMs;
    m_bytesPerSecond = std::max(rate, m_bytesPerSecond * 3 / 4);
    const qint64 pauseMs = (BatchBytes * 1000 + m_bytesPerSecond / 2) / m_bytesPerSecond;
    return m_pauseMs = int(std::min<qint64>(MaxPauseMs, pauseMs));
}
