#include "LineSettings.h"

// <asm/termbits.h> and <termios.h> define the same names; this file must not see <termios.h>.
#include <asm/termbits.h>
#include <sys/ioctl.h>

LineSettings LineSettings::expected(quint32 rate, Parity parity, int stopBits)
{
    LineSettings settings;
    settings.rate = rate;
    settings.twoStopBits = stopBits == 2;
    settings.parityOdd = parity == Parity::Odd || parity == Parity::Mark;
    settings.parityStick = parity == Parity::Mark || parity == Parity::Space;
    return settings;
}

QString LineSettings::describe() const
{
    QString parity = QStringLiteral("none/even");
    if (parityStick)
        parity = parityOdd ? QStringLiteral("mark") : QStringLiteral("space");
    else if (parityOdd)
        parity = QStringLiteral("odd");
    return QStringLiteral("%1 baud, parity %2, %3 stop bit(s)")
        .arg(rate)
        .arg(parity)
        .arg(twoStopBits ? 2 : 1);
}

std::optional<LineSettings> readLineSettings(int masterFd)
{
    termios2 tio{};
    if (ioctl(masterFd, TCGETS2, &tio) != 0)
        return std::nullopt;
    LineSettings settings;
    // The kernel fills c_ospeed for Bnnn codes as well as for BOTHER.
    settings.rate = tio.c_ospeed;
    settings.twoStopBits = tio.c_cflag & CSTOPB;
    settings.parityOdd = tio.c_cflag & PARODD;
    settings.parityStick = tio.c_cflag & CMSPAR;
    return settings;
}
