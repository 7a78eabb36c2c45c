#pragma once

#include <QByteArrayView>
#include <QCoreApplication>
#include <QString>

#include <memory>

class QFile;
class QFileDevice;

// The one way a file is written here: by what stands at its path, links
// followed.
//
// - A regular file, or nothing yet: written to a new file beside it and
//   renamed over it once complete, so a failed write leaves the old one
//   whole; where the folder takes no new file, the file is written in place.
// - A character device (/dev/null, /dev/full, a printer port): written
//   directly, as renaming over it would put a plain file in its place.
// - Anything else (a pipe, a socket, a folder): refused, as opening a pipe
//   waits for a reader.
//
// Every write is unbuffered and checked, so a full disk is seen at the write
// that meets it, with the system's reason.
class FileTarget
{
    Q_DECLARE_TR_FUNCTIONS(FileTarget)

public:
    enum class Kind
    {
        Missing,
        File,
        Device,
        Other,
    };

    // What stands at path. what, if given, gets it in words for a message
    // ("a pipe"), or the system's reason when nothing can be found there.
    static Kind kindOf(const QString &path, QString *what = nullptr);

    // Why path is no regular file to read, in words; empty when it is one.
    static QString whyNotAFile(const QString &path);

    // Writes all of bytes to an open file; false with the reason otherwise.
    static bool writeAll(QFileDevice &file, QByteArrayView bytes, QString *reason);

    // Opens file, named already, for appending, creating it readable by
    // its owner only; false with the reason otherwise.
    static bool openForAppending(QFile &file, QString *reason);

    explicit FileTarget(const QString &path);
    ~FileTarget();
    Q_DISABLE_COPY_MOVE(FileTarget)

    QString fileName() const { return m_path; }
    // Each false leaves the reason in errorString() and the target as it was
    // (but for a device, or a file written in place).
    bool open();
    bool write(QByteArrayView bytes);
    bool commit();
    QString errorString() const { return m_error; }

private:
    static QString refusal(const QString &what);

    QString m_path;
    std::unique_ptr<QFileDevice> m_file;
    QString m_error;
};
