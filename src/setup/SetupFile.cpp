#include "SetupFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
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
    const QFileInfo folder(programFolder);
    if (QFileInfo::exists(QDir(programFolder).filePath(QLatin1String(SetupFormat::FileName))) ||
        (folder.isDir() && !isReadOnly(folder)))
        return programFolder;
    return userFolder;
}

SetupFormat::Reading SetupFile::restore(const SetupOptions &current) const
{
    QFile file(m_path);
    const QByteArray content = file.open(QIODevice::ReadOnly) ? file.read(ReadLimit) : QByteArray();
    return SetupFormat::read(content, current);
}

bool SetupFile::save(const LastSetup &setup) const
{
    QSaveFile file(m_path);
    return save(setup, file);
}

bool SetupFile::save(const LastSetup &setup, QSaveFile &file) const
{
    const QFileInfo existing(m_path);
    if (existing.exists() && isReadOnly(existing))
        return false;
    if (!QDir().mkpath(m_folder) || isReadOnly(QFileInfo(m_folder)))
        return false;
    const QByteArray content = SetupFormat::write(setup);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(content) != content.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
