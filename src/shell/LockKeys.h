#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// The state of the keyboard's lock keys, as shown in the status bar.
class LockKeys
{
public:
    virtual ~LockKeys() = default;
    // False where the state cannot be read; both locks then read off.
    virtual bool available() const { return true; }
    virtual bool numLock() const = 0;
    virtual bool capsLock() const = 0;
};

// The lock keys as this system tells them: from the X server where the
// program runs on X11, else from the keyboard LEDs in /sys/class/leds.
std::unique_ptr<LockKeys> systemLockKeys();

// Reads the lock keys from the first of its sources that can read them now.
class FirstAvailableLockKeys : public LockKeys
{
public:
    explicit FirstAvailableLockKeys(std::vector<std::unique_ptr<LockKeys>> sources);
    bool available() const override;
    bool numLock() const override;
    bool capsLock() const override;

private:
    const LockKeys *source() const;

    std::vector<std::unique_ptr<LockKeys>> m_sources;
};

// Reads the keyboard LEDs that Linux exposes as <leds>/<device>::numlock/brightness
// (and ::capslock). A lock is on when any keyboard's LED is lit; with no such
// LED the state is not available. The folder is searched for LEDs again
// every RescanIntervalMs, so a keyboard plugged in later is seen.
class SysfsLockKeys : public LockKeys
{
public:
    static constexpr int RescanIntervalMs = 10000;

    explicit SysfsLockKeys(QString ledsFolder = QStringLiteral("/sys/class/leds"));
    bool available() const override;
    bool numLock() const override;
    bool capsLock() const override;

private:
    void rescanIfDue() const;
    QStringList brightnessFiles(const QString &function) const;
    static bool anyLit(const QStringList &brightnessFiles);

    QString m_ledsFolder;
    // What the last search found; searching is cached, reading is not.
    mutable QStringList m_numLockFiles;
    mutable QStringList m_capsLockFiles;
    mutable QElapsedTimer m_sinceScan;
};
