#include "FileTarget.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

QString FileTarget::refusal(const QString &what)
{
    return tr("it is %1, not a file").arg(what);
}

FileTarget::Kind FileTarget::kindOf(const QString &path, QString *what)
{
    struct stat status = {};
    Kind kind = Kind::Other;
    QString words;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
        kind = Kind::Missing;
        words = QString::fromLocal8Bit(std::strerror(errno));
    } else if (S_ISREG(status.st_mode)) {
        kind = Kind::File;
        words = tr("a file");
    } else if (S_ISCHR(status.st_mode)) {
        kind = Kind::Device;
        words = tr("a device");
    } else if (S_ISDIR(status.st_mode)) {
        words = tr("a folder");
    } else if (S_ISFIFO(status.st_mode)) {
        words = tr("a pipe");
    } else if (S_ISSOCK(status.st_mode)) {
        words = tr("a socket");
    } else {
        words = tr("a block device");
    }
    if (what)
        *what = words;
    return kind;
}

QString FileTarget::whyNotAFile(const QString &path)
{
    QString what;
    switch (kindOf(path, &what)) {
    case Kind::File:
        return {};
    case Kind::Missing:
        return what;
    case Kind::Device:
    case Kind::Other:
        break;
    }
    return refusal(what);
}

bool FileTarget::writeAll(QFileDevice &file, QByteArrayView bytes, QString *reason)
{
    while (!bytes.isEmpty()) {
        const qint64 written = file.write(bytes.data(), bytes.size());
        if (written <= 0) {
            *reason = file.errorString();
            return false;
        }
        // A short write sets no error; the next write meets its cause.
        bytes = bytes.sliced(written);
    }
    return true;
}

bool FileTarget::openForAppending(QFile &file, QString *reason)
{
    QString what;
    if (kindOf(file.fileName(), &what) == Kind::Other) {
        *reason = refusal(what);
        return false;
    }
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered,
                   QFile::ReadOwner | QFile::WriteOwner)) {
        *reason = file.errorString();
        return false;
    }
    return true;
}

FileTarget::FileTarget(const QString &path) : m_path(path) {}

FileTarget::~FileTarget() = default; // an uncommitted new file goes with its QSaveFile

bool FileTarget::open()
{
    QString what;
    switch (kindOf(m_path, &what)) {
    case Kind::Other:
        m_error = refusal(what);
        return false;
    case Kind::Device:
        m_file = std::make_unique<QFile>(m_path);
        break;
    case Kind::Missing:
    case Kind::File: {
        auto file = std::make_unique<QSaveFile>(m_path);
        file->setDirectWriteFallback(true);
        m_file = std::move(file);
        break;
    }
    }
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        m_error = m_file->errorString();
        m_file.reset();
        return false;
    }
    return true;
}

bool FileTarget::write(QByteArrayView bytes)
{
    if (!m_file)
        return false;
    if (!writeAll(*m_file, bytes, &m_error)) {
        m_file.reset();
        return false;
    }
    return true;
}

bool FileTarget::commit()
{
    if (!m_file)
        return false;
    bool done = true;
    if (auto *save = qobject_cast<QSaveFile *>(m_file.get())) {
        done = save->commit();
    } else {
        m_file->close();
        done = m_file->error() == QFileDevice::NoError;
    }
    if (!done)
        m_error = m_file->errorString();
    m_file.reset();
    return done;
}
