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
#include <memory>

namespace {

constexpr unsigned PtySlaveMajor = 136;
constexpr unsigned PtyMultiplexerMajor = 5; // /dev/ptmx is 5:2
constexpr unsigned PtyMultiplexerMinor = 2;
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

} // namespace

bool isPtyMultiplexer(dev_t device)
{
    return major(device) == PtyMultiplexerMajor && minor(device) == PtyMultiplexerMinor;
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
