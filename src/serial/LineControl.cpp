// Uses the kernel's termios2 (asm/termbits.h), which cannot be combined with
// <termios.h>: nothing here may include it.
#include "LineControl.h"

#include <asm/termbits.h>
#include <linux/serial.h>
#include <sys/ioctl.h>

namespace LineControl {

namespace {

tcflag_t characterSize(int dataBits)
{
    switch (dataBits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

tcflag_t parityFlags(LineSettings::Parity parity)
{
    switch (parity) {
    case LineSettings::Parity::None:
        return 0;
    case LineSettings::Parity::Even:
        return PARENB;
    case LineSettings::Parity::Odd:
        return PARENB | PARODD;
    case LineSettings::Parity::Mark:
        return PARENB | PARODD | CMSPAR;
    case LineSettings::Parity::Space:
        return PARENB | CMSPAR;
    }
    return 0;
}

bool setModemLine(int fd, int line, bool raised)
{
    return ::ioctl(fd, raised ? TIOCMBIS : TIOCMBIC, &line) != -1;
}

} // namespace

FramingResult applyFraming(int fd, const LineSettings &settings, Handshaking handshaking,
                           bool markErrors)
{
    termios2 tio{};
    if (::ioctl(fd, TCGETS2, &tio) == -1)
        return {};

    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= characterSize(settings.dataBits) | parityFlags(settings.parity);
    if (settings.stopBits == LineSettings::StopBits::Two)
        tio.c_cflag |= CSTOPB;
    if (handshaking == Handshaking::RtsCts || handshaking == Handshaking::Both)
        tio.c_cflag |= CRTSCTS;

    tio.c_iflag &= ~(IGNBRK | BRKINT | IGNPAR | ISTRIP | IXON | IXOFF | IXANY | PARMRK | INPCK);
    if (markErrors)
        tio.c_iflag |= PARMRK | INPCK;
    if (handshaking == Handshaking::XonXoff || handshaking == Handshaking::Both)
        tio.c_iflag |= IXON | IXOFF;

    if (::ioctl(fd, TCSETS2, &tio) == -1 || ::ioctl(fd, TCGETS2, &tio) == -1)
        return {};
    return {true, (tio.c_iflag & PARMRK) != 0};
}

std::optional<Counters> counters(int fd)
{
    serial_icounter_struct icount{};
    if (::ioctl(fd, TIOCGICOUNT, &icount) == -1)
        return std::nullopt;
    return Counters{icount.cts,    icount.frame, icount.overrun,
                    icount.parity, icount.brk,   icount.buf_overrun};
}

std::optional<bool> cts(int fd)
{
    int lines = 0;
    if (::ioctl(fd, TIOCMGET, &lines) == -1)
        return std::nullopt;
    return (lines & TIOCM_CTS) != 0;
}

bool setRts(int fd, bool raised)
{
    return setModemLine(fd, TIOCM_RTS, raised);
}

bool setDtr(int fd, bool raised)
{
    return setModemLine(fd, TIOCM_DTR, raised);
}

bool setBreak(int fd, bool on)
{
    return ::ioctl(fd, on ? TIOCSBRK : TIOCCBRK) != -1;
}

qint32 lineRate(int fd)
{
    termios2 tio{};
    if (::ioctl(fd, TCGETS2, &tio) == -1)
        return 0;
    return qint32(tio.c_ospeed);
}

qint64 outputQueue(int fd)
{
    int count = 0;
    return ::ioctl(fd, TIOCOUTQ, &count) == -1 ? 0 : count;
}

} // namespace LineControl
