#pragma once

#include "LineSettings.h"

#include <QtGlobal>

#include <optional>

// Direct calls on an open terminal descriptor, for what QSerialPort does not
// offer. Each one fails quietly where the device does not support it (a
// pseudo-terminal has no modem lines and no error counters).
namespace LineControl {

// Sets data bits, parity and stop bits (leaving the rate alone) and the flow
// control: XON/XOFF in both directions, resumed by XON only, and RTS/CTS.
// Makes sure no break or error is ignored, stripped or turned into a signal
// (IGNBRK, BRKINT, IGNPAR, ISTRIP off), and with markErrors marks them in the
// data (PARMRK, INPCK). INPCK is set whatever the parity: drivers only pass on
// framing errors with it, and without parity there is nothing else for it to
// check. Without markErrors both are cleared: the kernel then passes raw data
// on without looking at each byte, several times faster.
//
// What the device makes of the request is its own affair (a pseudo-terminal
// keeps 8 data bits and no parity bit): only a failed call counts as refused.
struct FramingResult
{
    bool applied = false;
    bool marking = false; // whether marking is in effect afterwards
};
FramingResult applyFraming(int fd, const LineSettings &settings, Handshaking handshaking,
                           bool markErrors);

// The driver's interrupt counters (TIOCGICOUNT).
struct Counters
{
    int cts = 0;
    int frame = 0;
    int overrun = 0;
    int parity = 0;
    int brk = 0;
    int bufferOverrun = 0;
};
std::optional<Counters> counters(int fd);

// The CTS level (TIOCMGET).
std::optional<bool> cts(int fd);
bool setRts(int fd, bool raised);
bool setDtr(int fd, bool raised);
// Starts or ends a break on the line (TIOCSBRK, TIOCCBRK).
bool setBreak(int fd, bool on);

// The output rate the driver has set (TCGETS2), which may differ from the one
// asked for; 0 if unknown.
qint32 lineRate(int fd);

// Characters in the driver's output queue (TIOCOUTQ); 0 if unknown.
qint64 outputQueue(int fd);

} // namespace LineControl
