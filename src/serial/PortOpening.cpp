#include "PortOpening.h"

#include "CommPort.h"
#include "LineRates.h"
#include "NumberText.h"

namespace {
// The message, then a line naming the device and the system's reason.
QString withReason(const QString &message, const CommPort &port)
{
    return port.errorString().isEmpty() ? message
                                        : message + QLatin1Char('\n') + port.errorString();
}
} // namespace

PortOpening EnableCommPort(CommPort &port, const PortSettingsTexts &texts, int cardDivisor,
                           const std::function<void()> &reapplyLines, bool highSpeedRates)
{
    PortOpening result;
    if (port.PortOpen())
        port.setPortOpen(false);
    result.state = PortState::Free;

    const double typedBaud = NumberText::leadingValue(texts.baud);
    if (typedBaud < LineRates::Lowest) {
        result.message = QStringLiteral("The Baud Is Too Low!!!");
        return result;
    }
    if (typedBaud > (highSpeedRates ? LineRates::HighestHighSpeed : LineRates::Highest)) {
        result.message = QStringLiteral("The Baud Is Too High!!!");
        return result;
    }
    const std::optional<qint32> baud = NumberText::toLong(texts.baud);
    if (!baud)
        return result;
    result.lineRate =
        cardDivisor > 1 ? qint32(NumberText::roundHalfEven(double(*baud) / cardDivisor)) : *baud;

    result.settingsString = QStringLiteral("9600,") + texts.parity.left(1) + QLatin1Char(',') +
                            texts.dataBits + QLatin1Char(',') + texts.stopBits;
    port.setCommPort(texts.port);
    if (port.setSettings(result.settingsString) != CommError::None)
        return result;
    const int handshaking = int(NumberText::leadingValue(texts.handshaking.left(1)));
    if (port.setHandshaking(handshaking) != CommError::None)
        return result;

    switch (port.setPortOpen(true)) {
    case CommError::None:
        break;
    case CommError::NoSuchPort:
        result.message = withReason(QStringLiteral("The port selected is not a Valid Port"), port);
        return result;
    case CommError::PortBusy:
        result.state = PortState::Busy;
        result.message = withReason(QStringLiteral("Someone else has control of the port"), port);
        return result;
    case CommError::SettingRefused:
        return result;
    case CommError::Other:
        // Named with the system's reason, where a silent failure would leave
        // the user guessing (a device without access rights, for one).
        result.message = port.errorString();
        return result;
    }

    if (!port.setLineRate(result.lineRate)) {
        result.message = QStringLiteral("The device refused the line rate %1; the port is open "
                                        "at 9600 baud.")
                             .arg(result.lineRate);
    } else if (const qint32 applied = port.appliedLineRate();
               LineRates::differs(result.lineRate, applied)) {
        result.rateWarning =
            QStringLiteral("The device %1 runs at %2 baud, not at the %3 baud asked for.")
                .arg(port.deviceName())
                .arg(applied)
                .arg(result.lineRate);
    }
    if (reapplyLines)
        reapplyLines();
    result.state = PortState::Active;
    return result;
}
