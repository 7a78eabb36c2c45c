#include "DeviceAccess.h"

#include <QFile>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

QString joinGroupAdvice(const QString &path)
{
    struct stat status = {};
    constexpr mode_t GroupReadWrite = S_IRGRP | S_IWGRP;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0 || status.st_gid == 0 ||
        (status.st_mode & GroupReadWrite) != GroupReadWrite)
        return {};
    const group *groupEntry = ::getgrgid(status.st_gid);
    const QString group =
        groupEntry ? QString::fromLocal8Bit(groupEntry->gr_name) : QString::number(status.st_gid);
    const passwd *user = ::getpwuid(::getuid());
    return QStringLiteral("Members of the group %1 may use it: sudo usermod -aG %1 %2, then log "
                          "in again.")
        .arg(group, user ? QString::fromLocal8Bit(user->pw_name) : QStringLiteral("$USER"));
}
