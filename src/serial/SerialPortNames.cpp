#include "SerialPortNames.h"

#include <QDir>
#include <QSerialPortInfo>

#include <algorithm>

namespace {

constexpr int NumberedPorts = 8;

bool isWholeNumber(const QString &text)
{
    return !text.isEmpty() &&
           std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit(); });
}

// Name and trailing number apart, so that numbered devices sort by number.
bool naturalLess(const QString &a, const QString &b)
{
    const auto split = [](const QString &text) {
        qsizetype digits = text.size();
        while (digits > 0 && text[digits - 1].isDigit())
            --digits;
        return std::pair(QStringView(text).left(digits), text.sliced(digits).toULongLong());
    };
    const auto [stemA, numberA] = split(a);
    const auto [stemB, numberB] = split(b);
    if (stemA != stemB)
        return stemA < stemB;
    return numberA != numberB ? numberA < numberB : a < b;
}

} // namespace

QString resolvePortName(const QString &text)
{
    const QString name = text.trimmed();
    if (name.isEmpty())
        return {};
    if (isWholeNumber(name)) {
        bool ok = false;
        const uint number = name.toUInt(&ok);
        if (!ok || number == 0)
            return {};
        return QStringLiteral("/dev/ttyS%1").arg(number - 1);
    }
    if (name.startsWith(u'/'))
        return name;
    return QStringLiteral("/dev/") + name;
}

QStringList portChoices(const QStringList &systemLocations, const QStringList &stableNames)
{
    QStringList numbered;
    for (int n = 1; n <= NumberedPorts; ++n)
        numbered.append(QString::number(n));

    QStringList devices;
    for (const QString &location : systemLocations) {
        const bool numberedPort =
            std::any_of(numbered.cbegin(), numbered.cend(),
                        [&](const QString &number) { return resolvePortName(number) == location; });
        if (!numberedPort && !devices.contains(location))
            devices.append(location);
    }
    std::sort(devices.begin(), devices.end(), naturalLess);
    for (const QString &name : stableNames) {
        if (!devices.contains(name))
            devices.append(name);
    }
    return numbered + devices;
}

QStringList stablePortNames(const QString &folder)
{
    const QDir directory(folder);
    QStringList names;
    for (const QString &entry :
         directory.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name))
        names.append(directory.absoluteFilePath(entry));
    return names;
}

QStringList availablePortChoices()
{
    QStringList locations;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        locations.append(info.systemLocation());
    return portChoices(locations, stablePortNames());
}
