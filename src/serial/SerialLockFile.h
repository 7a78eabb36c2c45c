#pragma once

#include <QByteArray>
#include <QString>

// The lock file that QSerialPort keeps for a device besides the device's own
// lock: LCK..NAME in the first of the usual lock folders that can be read
// and holds it or can take it. QLockFile removes one whose process is gone,
// but only where this user may: one left by another user's program (a run as
// root that was killed) would keep this user out of the device for good.
namespace SerialLockFile {

// Where QSerialPort looks for the lock file of the device at devicePath (an
// absolute path); empty when no lock folder can be used.
QString pathFor(const QString &devicePath);

// Whether content, a lock file's text (a process id, then for QLockFile the
// program's and the machine's names, one a line), names a process of this
// machine that no longer runs. Anything else counts as held.
bool ownerGone(const QByteArray &content);

// The device path spelled another way ("/dev/./ttyUSB0"), whose lock file
// QSerialPort names differently.
QString otherSpelling(const QString &devicePath);

} // namespace SerialLockFile
