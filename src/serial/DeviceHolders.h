#pragma once

#include <QString>

#include <optional>

#include <sys/types.h>

// Owning a terminal device the way Linux serial programs do, and telling who
// holds one.

// Whether the device number is the pseudo-terminal multiplexer (/dev/ptmx,
// /dev/pts/ptmx), which makes a new pseudo-terminal at every open: not a port.
bool isPtyMultiplexer(dev_t device);
// Whether the device number is another name for a terminal already in use:
// the opener's own controlling terminal (/dev/tty), the system console
// (/dev/console) or the current virtual console (/dev/tty0).
bool isTerminalAlias(dev_t device);
// Whether the device number is the far end of a pseudo-terminal (/dev/pts/N,
// or a BSD-style /dev/ttyXY), which carries no breaks or line errors.
bool isPseudoTerminal(dev_t device);

// Takes the device open at fd for this descriptor alone: an advisory lock
// (flock) that other programs test, and exclusive mode (TIOCEXCL), which
// refuses any later open except by the superuser. Returns 0, or the errno of
// the failure: EWOULDBLOCK when another descriptor holds the lock.
int takeExclusively(int fd);
// Gives up both before the descriptor closes: exclusive mode belongs to the
// device and would outlast it while another process keeps the device open.
void releaseExclusively(int fd);

struct DeviceHolder
{
    QString name; // the process's command name
    qint64 pid = 0;
};

// A process whose controlling terminal the device is (a shell's, a getty's),
// as /proc shows for every user's processes: the session leader where it is
// among them. Such a device belongs to that session, whoever holds it open.
std::optional<DeviceHolder> terminalOwner(dev_t device);

// A process other than this one that has the device at path open, as far as
// /proc shows: only the user's own processes, unless run as the superuser.
// The slave of a pseudo-terminal held by the process that also holds its
// master does not count: that one made the pair and plays the device at the
// other end.
std::optional<DeviceHolder> deviceHolder(const QString &path);
