#include "DeviceHolders.h"

#include <QByteArray>
#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>

namespace {

constexpr unsigned PtySlaveMajor = 136;
constexpr unsigned PtyMultiplexerMajor = 5; // /dev/ptmx is 5:2
constexpr unsigned PtyMultiplexerMinor = 2;
constexpr unsigned TtyAuxMajor = 5;       // /dev/tty is 5:0, /dev/console 5:1
constexpr unsigned VirtualConsoleMajor = 4; // /dev/tty0 is 4:0
constexpr unsigned BsdPtySlaveMajor = 3;
constexpr unsigned PtySlaveFirstMajor = 136; // Linux gives /dev/pts majors 136 to 143
constexpr unsigned PtySlaveLastMajor = 143;

struct CloseDirectory
{
    void operator()(DIR *directory) const { ::closedir(directory); }
};
using Directory = std::unique_ptr<DIR, CloseDirectory>;

Directory openDirectory(const QByteArray &path)
{
    return Directory(::opendir(path.constData()));
}

// The pseudo-terminal a master descriptor belongs to ("tty-index" of its fdinfo).
long masterIndex(const QByteArray &pid, const char *fd)
{
    QFile info(QString::fromLatin1("/proc/" + pid + "/fdinfo/" + fd));
    if (!info.open(QIODevice::ReadOnly))
        return -1;
    static const QByteArray key = "tty-index:";
    for (const QByteArray &line : info.readAll().split('\n')) {
        if (line.startsWith(key)) {
            bool ok = false;
            const long index = line.mid(key.size()).trimmed().toLong(&ok);
            return ok ? index : -1;
        }
    }
    return -1;
}

// The command name of a process, "" when it is gone.
QString commandName(const QByteArray &pid)
{
    QFile comm(QString::fromLatin1("/proc/" + pid + "/comm"));
    if (!comm.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(comm.readAll().trimmed());
}

// A process's status line, "PID (COMMAND) STATE PPID PGRP SESSION TTY_NR ...".
struct ProcessStatus
{
    QByteArray name;
    qint64 session = 0;
    dev_t terminal = 0; // 0: none
};

// Read with plain system calls: every process is looked at on every open.
std::optional<ProcessStatus> processStatus(int processes, const char *pid)
{
    char path[sizeof(dirent::d_name) + 8];
    std::snprintf(path, sizeof path, "%s/stat", pid);
    const int fd = ::openat(processes, path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    char buffer[256]; // the fields up to the terminal fit: the command is at most 15 bytes
    const ssize_t count = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    if (count <= 0)
        return std::nullopt;
    const QByteArrayView line(buffer, count);
    // The command may itself hold blanks and parentheses.
    const qsizetype open = line.indexOf('(');
    const qsizetype close = line.lastIndexOf(')');
    if (open < 0 || close < open)
        return std::nullopt;
    const QList<QByteArray> fields = line.sliced(close + 1).toByteArray().trimmed().split(' ');
    constexpr int SessionField = 3; // counted from the state
    constexpr int TerminalField = 4;
    if (fields.size() <= TerminalField)
        return std::nullopt;
    // The kernel's own encoding: minor in bits 31-20 and 7-0, major in 15-8.
    const auto code = quint32(fields[TerminalField].toLongLong());
    const unsigned terminalMajor = (code >> 8) & 0xfff;
    const unsigned terminalMinor = (code & 0xff) | ((code >> 12) & 0xfff00);
    return ProcessStatus{line.sliced(open + 1, close - open - 1).toByteArray(),
                         fields[SessionField].toLongLong(),
                         code == 0 ? dev_t(0) : makedev(terminalMajor, terminalMinor)};
}

} // namespace

bool isPtyMultiplexer(dev_t device)
{
    return major(device) == PtyMultiplexerMajor && minor(device) == PtyMultiplexerMinor;
}

bool isTerminalAlias(dev_t device)
{
    return (major(device) == TtyAuxMajor && minor(device) <= 1) ||
           (major(device) == VirtualConsoleMajor && minor(device) == 0);
}

bool isPseudoTerminal(dev_t device)
{
    const unsigned number = major(device);
    return number == BsdPtySlaveMajor ||
           (number >= PtySlaveFirstMajor && number <= PtySlaveLastMajor);
}

int takeExclusively(int fd)
{
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0)
        return errno;
    return 0;
}

void releaseExclusively(int fd)
{
    ::ioctl(fd, TIOCNXCL);
    ::flock(fd, LOCK_UN);
}

std::optional<DeviceHolder> terminalOwner(dev_t device)
{
    const Directory processes = openDirectory("/proc");
    if (!processes)
        return std::nullopt;
    std::optional<DeviceHolder> owner;
    while (const dirent *process = ::readdir(processes.get())) {
        const QByteArray pid(process->d_name);
        bool isPid = false;
        const qint64 number = pid.toLongLong(&isPid);
        if (!isPid)
            continue;
        const std::optional<ProcessStatus> status =
            processStatus(::dirfd(processes.get()), process->d_name);
        if (!status || status->terminal != device)
            continue;
        if (status->session == number)
            return DeviceHolder{QString::fromLocal8Bit(status->name), number};
        if (!owner)
            owner = DeviceHolder{QString::fromLocal8Bit(status->name), number};
    }
    return owner;
}

std::optional<DeviceHolder> deviceHolder(const QString &path)
{
    struct stat device = {};
    if (::stat(QFile::encodeName(path).constData(), &device) != 0 || !S_ISCHR(device.st_mode))
        return std::nullopt;
    const long ptyIndex = major(device.st_rdev) == PtySlaveMajor ? long(minor(device.st_rdev)) : -1;
    const QByteArray self = QByteArray::number(::getpid());

    const Directory processes = openDirectory("/proc");
    if (!processes)
        return std::nullopt;
    while (const dirent *process = ::readdir(processes.get())) {
        const QByteArray pid(process->d_name);
        bool isPid = false;
        const qint64 number = pid.toLongLong(&isPid);
        if (!isPid || pid == self)
            continue;
        const Directory fds = openDirectory("/proc/" + pid + "/fd");
        if (!fds)
            continue;
        bool holdsDevice = false;
        bool holdsMaster = false;
        while (const dirent *fd = ::readdir(fds.get())) {
            struct stat target = {};
            if (fd->d_name[0] == '.' ||
                ::fstatat(::dirfd(fds.get()), fd->d_name, &target, 0) != 0 ||
                !S_ISCHR(target.st_mode))
                continue;
            if (target.st_rdev == device.st_rdev)
                holdsDevice = true;
            else if (ptyIndex >= 0 && isPtyMultiplexer(target.st_rdev) &&
                     masterIndex(pid, fd->d_name) == ptyIndex)
                holdsMaster = true;
        }
        if (holdsDevice && !holdsMaster)
            return DeviceHolder{commandName(pid), number};
    }
    return std::nullopt;
}
