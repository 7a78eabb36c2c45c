#include "SetupFile.h"

#include "FileTarget.h"
#include "Installation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// A file written by this program stays far below this; only the first 153
// lines count, so a larger file is read no further.
constexpr qint64 ReadLimit = 16 * 1024 * 1024;

// Read-only in the everyday sense: the system refuses writing, or no write
// permission bit is set at all (which counts for the superuser too).
bool isReadOnly(const QFileInfo &info)
{
    constexpr QFile::Permissions AnyWriteBit =
        QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return !info.isWritable() || !(info.permissions() & AnyWriteBit);
}

} // namespace

SetupFile::SetupFile(const QString &folder)
    : m_folder(folder), m_path(QDir(folder).absoluteFilePath(QLatin1String(SetupFormat::FileName)))
{
}

QString SetupFile::chooseFolder()
{
    return chooseFolder(QCoreApplication::applicationDirPath(),
                        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

QString SetupFile::chooseFolder(const QString &programFolder, const QString &userFolder)
{
    // An installed program's folder is shared by every user, so a file left
    // there (by root, say) must not decide for all of them.
    if (QFileInfo::exists(
            QDir(programFolder).filePath(QLatin1String(Installation::DesktopEntryFromProgram))))
        return userFolder;
    const QFileInfo folder(programFolder);
    if (QFileInfo::exists(QDir(programFolder).filePath(QLatin1String(SetupFormat::FileName))) ||
        (folder.isDir() && !isReadOnly(folder)))
        return programFolder;
    return userFolder;
}

QByteArray SetupFile::content() const
{
    // A pipe would wait for a writer, a device might never end.
    if (FileTarget::kindOf(m_path) != FileTarget::Kind::File)
        return {};
    QFile file(m_path);
    return file.open(QIODevice::ReadOnly) ? file.read(ReadLimit) : QByteArray();
}

SetupFormat::Reading SetupFile::restore(const SetupOptions &current) const
{
    return SetupFormat::read(content(), current);
}

bool SetupFile::save(const LastSetup &setup) const
{
    const QFileInfo existing(m_path);
    if (existing.exists()) {
        if (isReadOnly(existing))
            return false;
    } else if (!QDir().mkpath(m_folder) || isReadOnly(QFileInfo(m_folder))) {
        return false;
    }
    if (!keepUnreadable())
        return false;
    FileTarget file(m_path);
    return file.open() && file.write(SetupFormat::write(setup)) && file.commit();
}

bool SetupFile::keepUnreadable() const
{
    const QByteArray kept = content();
    if (kept.isEmpty() || SetupFormat::read(kept, SetupOptions()).restored)
        return true;
    QFile::remove(backupPath());
    return QFile::copy(m_path, backupPath());
}
