#include "LineSettings.h"

#include <QList>

std::optional<LineSettings> LineSettings::parse(QStringView text)
{
    const QList<QStringView> fields = text.split(u',');
    if (fields.size() != 4)
        return std::nullopt;

    LineSettings settings;
    bool ok = false;
    settings.baudRate = fields[0].trimmed().toInt(&ok);
    if (!ok || settings.baudRate <= 0)
        return std::nullopt;

    const QStringView parity = fields[1].trimmed();
    if (parity.size() != 1)
        return std::nullopt;
    switch (parity.front().toUpper().unicode()) {
    case 'N':
        settings.parity = Parity::None;
        break;
    case 'E':
        settings.parity = Parity::Even;
        break;
    case 'O':
        settings.parity = Parity::Odd;
        break;
    case 'M':
        settings.parity = Parity::Mark;
        break;
    case 'S':
        settings.parity = Parity::Space;
        break;
    default:
        return std::nullopt;
    }

    settings.dataBits = fields[2].trimmed().toInt(&ok);
    if (!ok || settings.dataBits < 4 || settings.dataBits > 8)
        return std::nullopt;

    const QStringView stopBits = fields[3].trimmed();
    if (stopBits == u"1")
        settings.stopBits = StopBits::One;
    else if (stopBits == u"1.5")
        settings.stopBits = StopBits::OneAndHalf;
    else if (stopBits == u"2")
        settings.stopBits = StopBits::Two;
    else
        return std::nullopt;

    return settings;
}
