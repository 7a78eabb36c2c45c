#pragma once

#include <QtGlobal>

// Decides after each read from a port whether its read notifications should
// rest for PauseMs, so that a stream trickling in is read in batches instead
// of a few bytes at a time. A stream that brings FastBytesPerSecond or more,
// measured over windows of WindowMs, is read without pauses. After a quiet
// spell of WindowMs a stream counts as slow again.
class ReadPacer
{
public:
    static constexpr int PauseMs = 40;
    static constexpr int WindowMs = 100;
    static constexpr qint64 FastBytesPerSecond = 50'000;

    // bytes were just read at nowMs, a monotonic time in milliseconds.
    bool pauseAfterRead(qint64 bytes, qint64 nowMs);

private:
    qint64 m_windowStartMs = -1;
    qint64 m_lastReadMs = 0;
    qint64 m_windowBytes = 0;
    bool m_fast = false;
};
