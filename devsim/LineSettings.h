#pragma once

#include <QString>

#include <optional>

enum class Parity
{
    None,
    Even,
    Odd,
    Mark,
    Space
};

// The part of a line setting that a Linux pseudo-terminal keeps. The kernel forces 8 data bits
// and clears PARENB on a pty, so the data bits cannot be seen and None looks like Even; the
// rate (arbitrary ones too), CSTOPB, PARODD and CMSPAR survive.
struct LineSettings
{
    quint32 rate = 0;
    bool twoStopBits = false;
    bool parityOdd = false;   // PARODD
    bool parityStick = false; // CMSPAR

    static LineSettings expected(quint32 rate, Parity parity, int stopBits);
    bool operator==(const LineSettings &) const = default;
    QString describe() const;
};

// Reads the slave's settings through the master: termios requests on a pty master act on the
// slave. Uses TCGETS2, so a rate set with BOTHER reads back exactly.
std::optional<LineSettings> readLineSettings(int masterFd);
