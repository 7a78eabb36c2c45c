#include "LockKeys.h"

#include <QDir>
#include <QFile>

SysfsLockKeys::SysfsLockKeys(QString ledsFolder) : m_ledsFolder(std::move(ledsFolder)) {}

bool SysfsLockKeys::numLock() const
{
    rescanIfDue();
    return anyLit(m_numLockFiles);
}

bool SysfsLockKeys::capsLock() const
{
    rescanIfDue();
    return anyLit(m_capsLockFiles);
}

void SysfsLockKeys::rescanIfDue() const
{
    if (m_sinceScan.isValid() && !m_sinceScan.hasExpired(RescanIntervalMs))
        return;
    m_sinceScan.start();
    m_numLockFiles = brightnessFiles(QStringLiteral("numlock"));
    m_capsLockFiles = brightnessFiles(QStringLiteral("capslock"));
}

QStringList SysfsLockKeys::brightnessFiles(const QString &function) const
{
    const QDir leds(m_ledsFolder);
    QStringList files;
    for (const QString &device :
         leds.entryList({QStringLiteral("*::") + function}, QDir::Dirs | QDir::NoDotAndDotDot))
        files.append(leds.filePath(device + QStringLiteral("/brightness")));
    return files;
}

bool SysfsLockKeys::anyLit(const QStringList &brightnessFiles)
{
    for (const QString &path : brightnessFiles) {
        QFile brightness(path);
        if (brightness.open(QIODevice::ReadOnly) && brightness.readAll().trimmed().toInt() > 0)
            return true;
    }
    return false;
}
