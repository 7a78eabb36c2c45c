#include "FakeCommPort.h"

namespace {

QString describe(const LineSettings &settings, ::Handshaking handshaking)
{
    static const char parities[] = "NEOMS";
    const char *stopBits = settings.stopBits == LineSettings::StopBits::One          ? "1"
                           : settings.stopBits == LineSettings::StopBits::OneAndHalf ? "1.5"
                                                                                     : "2";
    return QStringLiteral("%1,%2,%3,%4 %5")
        .arg(settings.baudRate)
        .arg(QLatin1Char(parities[int(settings.parity)]))
        .arg(settings.dataBits)
        .arg(QLatin1String(stopBits))
        .arg(int(handshaking));
}

} // namespace

void FakeCommPort::deliverInput(const QByteArray &data)
{
    queueInput(data);
    deliverQueued();
}

void FakeCommPort::deliverEvent(int code)
{
    queueEvent(code);
    deliverQueued();
}

void FakeCommPort::setCts(bool level)
{
    cts = level;
    deliverEvent(CtsChange);
}

void FakeCommPort::loseDevice()
{
    reportLost();
}

void FakeCommPort::drainOutput(qint64 count)
{
    outputQueued = count < 0 ? 0 : std::max<qint64>(0, outputQueued - count);
}

CommError FakeCommPort::openDevice(const QString &commPort, const LineSettings &settings,
                                   ::Handshaking handshaking)
{
    if (refuseOpen != CommError::None) {
        setErrorString(QStringLiteral("refused: %1").arg(commPort));
        return refuseOpen;
    }
    ++openCount;
    outputQueued = 0;
    lineRate = settings.baudRate;
    dtr = true;
    log.append(QStringLiteral("open %1 %2").arg(commPort, describe(settings, handshaking)));
    return CommError::None;
}

void FakeCommPort::closeDevice()
{
    outputQueued = 0;
    log.append(QStringLiteral("close"));
}

CommError FakeCommPort::applySettings(const LineSettings &settings, ::Handshaking handshaking)
{
    if (refuseSettings != CommError::None)
        return refuseSettings;
    lineRate = settings.baudRate;
    log.append(QStringLiteral("settings %1").arg(describe(settings, handshaking)));
    return CommError::None;
}

void FakeCommPort::writeDevice(const QByteArray &data)
{
    written += data;
    if (holdOutput)
        outputQueued += data.size();
}

bool FakeCommPort::applyLineRate(qint32 rate)
{
    if (refuseLineRate)
        return false;
    lineRate = driverRate > 0 ? driverRate : rate;
    log.append(QStringLiteral("rate %1").arg(rate));
    return true;
}

bool FakeCommPort::applyDtr(bool raised)
{
    if (noDtrOrBreak)
        return false;
    dtr = raised;
    log.append(QStringLiteral("dtr %1").arg(int(raised)));
    return true;
}

bool FakeCommPort::applyBreak(int ms)
{
    if (noDtrOrBreak)
        return false;
    log.append(QStringLiteral("break %1").arg(ms));
    return true;
}

bool FakeCommPort::applyRts(bool raised)
{
    rts = raised;
    log.append(QStringLiteral("rts %1").arg(int(raised)));
    return true;
}
