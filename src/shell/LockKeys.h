#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

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
// LED, or none readable, it is off. The folder is searched for LEDs again
// every RescanIntervalMs, so a keyboard plugged in later is seen.
class SysfsLockKeys : public LockKeys
{
public:
    static constexpr int RescanIntervalMs = 10000;

    explicit SysfsLockKeys(QString ledsFolder = QStringLiteral("/sys/class/leds"));
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
