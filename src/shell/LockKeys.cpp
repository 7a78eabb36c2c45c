#include "LockKeys.h"

#include "X11LockKeys.h"

#include <QDir>
#include <QFile>

std::unique_ptr<LockKeys> systemLockKeys()
{
    std::vector<std::unique_ptr<LockKeys>> sources;
    if (auto x11 = x11LockKeys())
        sources.push_back(std::move(x11));
    sources.push_back(std::make_unique<SysfsLockKeys>());
    return std::make_unique<FirstAvailableLockKeys>(std::move(sources));
}

FirstAvailableLockKeys::FirstAvailableLockKeys(std::vector<std::unique_ptr<LockKeys>> sources)
    : m_sources(std::move(sources))
{
}

const LockKeys *FirstAvailableLockKeys::source() const
{
    for (const auto &source : m_sources) {
        if (source->available())
            return source.get();
    }
    return nullptr;
}

bool FirstAvailableLockKeys::available() const
{
    return source() != nullptr;
}

bool FirstAvailableLockKeys::numLock() const
{
    const LockKeys *keys = source();
    return keys && keys->numLock();
}

bool FirstAvailableLockKeys::capsLock() const
{
    const LockKeys *keys = source();
    return keys && keys->capsLock();
}

SysfsLockKeys::SysfsLockKeys(QString ledsFolder) : m_ledsFolder(std::move(ledsFolder)) {}

bool SysfsLockKeys::available() const
{
    rescanIfDue();
    return !m_numLockFiles.isEmpty() || !m_capsLockFiles.isEmpty();
}

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
