#include "LockKeys.h"

#include <QDir>
#include <QFile>

SysfsLockKeys::SysfsLockKeys(QString ledsFolder) : m_ledsFolder(std::move(ledsFolder)) {}

bool SysfsLockKeys::numLock() const
{
    return anyLit(QStringLiteral("numlock"));
}

bool SysfsLockKeys::capsLock() const
{
    return anyLit(QStringLiteral("capslock"));
}

bool SysfsLockKeys::anyLit(const QString &function) const
{
    const QDir leds(m_ledsFolder);
    const QStringList devices =
        leds.entryList({QStringLiteral("*::") + function}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &device : devices) {
        QFile brightness(leds.filePath(device + QStringLiteral("/brightness")));
        if (brightness.open(QIODevice::ReadOnly) && brightness.readAll().trimmed().toInt() > 0)
            return true;
    }
    return false;
}
