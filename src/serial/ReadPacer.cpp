#include "ReadPacer.h"

bool ReadPacer::pauseAfterRead(qint64 bytes, qint64 nowMs)
{
    if (m_windowStartMs < 0 || nowMs - m_lastReadMs >= WindowMs) {
        // The first read, or the first after a quiet spell.
        m_fast = false;
        m_windowStartMs = nowMs;
        m_windowBytes = 0;
    } else if (const qint64 spanMs = nowMs - m_windowStartMs; spanMs >= WindowMs) {
        m_fast = m_windowBytes * 1000 >= FastBytesPerSecond * spanMs;
        m_windowStartMs = nowMs;
        m_windowBytes = 0;
    }
    m_lastReadMs = nowMs;
    m_windowBytes += bytes;
    return !m_fast;
}
