#include "SerialLockFile.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>

#include <cerrno>

#include <signal.h>

namespace SerialLockFile {

QString pathFor(const QString &devicePath)
{
    // QSerialPort's folders, in its order.
    static const QStringList folders = {
        QStringLiteral("/var/lock"),
        QStringLiteral("/etc/locks"),
        QStringLiteral("/var/spool/locks"),
        QStringLiteral("/var/spool/uucp"),
        QStringLiteral("/tmp"),
        QStringLiteral("/var/tmp"),
        QStringLiteral("/var/lock/lockdev"),
        QStringLiteral("/run/lock"),
        QStandardPaths::writableLocation(QStandardPaths::TempLocation)};
    QString name = devicePath.startsWith(QLatin1String("/dev/")) ? devicePath.mid(5) : devicePath;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    for (const QString &folder : folders) {
        const QString path = folder + QLatin1String("/LCK..") + name;
        const QFileInfo info(folder);
        if (info.isReadable() && (QFileInfo::exists(path) || info.isWritable()))
            return path;
    }
    return {};
}

bool ownerGone(const QByteArray &content)
{
    const QList<QByteArray> lines = content.split('\n');
    bool isPid = false;
    const qint64 pid = lines.value(0).trimmed().toLongLong(&isPid);
    if (!isPid || pid <= 0)
        return false;
    // The names of program and machine follow in a QLockFile's file.
    const QByteArray machine = lines.value(2).trimmed();
    if (!machine.isEmpty() && machine != QSysInfo::machineHostName().toUtf8())
        return false;
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

QString otherSpelling(const QString &devicePath)
{
    const QFileInfo device(devicePath);
    return device.path() + QLatin1String("/./") + device.fileName();
}

} // namespace SerialLockFile
