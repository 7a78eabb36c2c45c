#pragma once

#include <QString>

// The state of the keyboard's lock keys, as shown in the status bar.
class LockKeys
{
public:
    virtual ~LockKeys() = default;
    virtual bool numLock() const = 0;
    virtual bool capsLock() const = 0;
};

// Reads the keyboard LEDs that Linux exposes as <leds>/<device>::numlock/brightness
// (and ::capslock). A lock is on when any keyboard's LED is lit; with no such
// LED, or none readable, it is off.
class SysfsLockKeys : public LockKeys
{
public:
    explicit SysfsLockKeys(QString ledsFolder = QStringLiteral("/sys/class/leds"));
    bool numLock() const override;
    bool capsLock() const override;

private:
    bool anyLit(const QString &function) const;

    QString m_ledsFolder;
};
