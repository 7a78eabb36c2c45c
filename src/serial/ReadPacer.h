#pragma once

#include <QtGlobal>

// Decides after each read from a port how long its reading should rest, so
// that a steady stream is read in batches rather than a few bytes at a time,
// while no batch grows beyond what the kernel keeps without side effects.
//
// The terminal's line buffer holds 4 KiB; when it is nearly full the kernel
// throttles the device (a USB adapter stops fetching, so the adapter's own
// buffer of a few hundred bytes overflows at high rates; RTS drops under
// hardware handshaking), and a UART without handshaking is left with the
// driver's 64 KiB of flip buffers. A batch is therefore kept to BatchBytes,
// half the line buffer, at the rate measured over the last reads, and to
// MaxPauseMs at any rate: a 115200-baud line (11,520 bytes/s) is read every
// 40 ms (460 bytes), 100 KB/s every 20 ms, 1 MB/s every 2 ms.
//
// A read that filled the line buffer, or left data behind, means the stream
// outruns any pause: it is read again at once. The first read of a stream is
// followed by a ProbeMs pause that measures the rate; a read that finds
// nothing doubles a shorter pause, and after the longest one it ends the
// stream: the next data are read as they come.
class ReadPacer
{
public:
    static constexpr qint64 LineBufferBytes = 4096;
    static constexpr qint64 BatchBytes = LineBufferBytes / 2;
    static constexpr int MaxPauseMs = 40;
    static constexpr int ProbeMs = 1;

    // bytes were just read at nowMs, a monotonic time in milliseconds; more
    // tells that the read stopped with data still waiting. Returns the
    // milliseconds to rest before reading again; 0 to read as data come.
    int pauseAfterRead(qint64 bytes, qint64 nowMs, bool more = false);

private:
    qint64 m_lastReadMs = -1; // of the last read that found data; -1: no stream
    qint64 m_bytesPerSecond = 0;
    int m_pauseMs = 0;
};
