#include "DeviceHolders.h"

#include <QByteArray>
#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <memory>

namespace {

constexpr unsigned PtySlaveMajor = 136;
constexpr unsigned PtyMultiplexerMajor = 5; // /dev/ptmx is 5:2
constexpr unsigned PtyMultiplexerMinor = 2;

struct CloseDirectory
{
    void operator()(DIR *directory) const { ::closedir(directory); }
};
using Directory = std::unique_ptr<DIR, CloseDirectory>;

Directory openDirectory(const QByteArray &path)
{
    return Directory(::opendir(path.constData()));
}

bool isPtyMultiplexer(dev_t device)
{
    return major(device) == PtyMultiplexerMajor && minor(device) == PtyMultiplexerMinor;
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

// Whether a terminal driver owns the device number, by /proc/tty/drivers:
// name, device node, major number, minor number or range, type.
bool isTerminal(dev_t device)
{
    QFile drivers(QStringLiteral("/proc/tty/drivers"));
    if (!drivers.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : drivers.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 4 || fields[2].toUInt() != major(device))
            continue;
        const QList<QByteArray> range = fields[3].split('-');
        const unsigned first = range.front().toUInt();
        const unsigned last = range.back().toUInt();
        if (minor(device) >= first && minor(device) <= last)
            return true;
    }
    return false;
}

} // namespace

bool heldByAnotherProcess(const QString &path)
{
    struct stat device = {};
    if (::stat(QFile::encodeName(path).constData(), &device) != 0 || !S_ISCHR(device.st_mode) ||
        !isTerminal(device.st_rdev))
        return false;
    const long ptyIndex = major(device.st_rdev) == PtySlaveMajor ? long(minor(device.st_rdev)) : -1;
    const QByteArray self = QByteArray::number(::getpid());

    const Directory processes = openDirectory("/proc");
    if (!processes)
        return false;
    while (const dirent *process = ::readdir(processes.get())) {
        const QByteArray pid(process->d_name);
        bool isPid = false;
        pid.toLong(&isPid);
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
            return true;
    }
    return false;
}
