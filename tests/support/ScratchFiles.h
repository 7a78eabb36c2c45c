#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sched.h>
#include <sys/fsuid.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

// A small file system of its own (tmpfs) in a private mount namespace, so a
// test can fill it up without touching the machine's own. It needs the
// superuser; otherwise, or where mounting is not allowed, why() says so and
// the test skips.
class ScratchFiles
{
public:
    explicit ScratchFiles(qint64 bytes = 256 * 1024)
    {
        if (::geteuid() != 0) {
            m_why = "needs the superuser to mount a file system of its own";
            return;
        }
        // Once for the process: mounts from here on stay out of the machine's view.
        static const bool isPrivate =
            ::unshare(CLONE_NEWNS) == 0 &&
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0755";
        if (!isPrivate || ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0,
                                  options.constData()) != 0) {
            m_why = "a tmpfs could not be mounted in a private mount namespace";
            return;
        }
        m_mounted = true;
    }
    ~ScratchFiles()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    Q_DISABLE_COPY_MOVE(ScratchFiles)

    // Empty when usable.
    const char *why() const { return m_why; }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    // Fills the file system but for about `room` bytes (whole pages).
    bool fill(qint64 room = 0)
    {
        QFile filler(filePath(QStringLiteral(".filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {
        }
        return filler.resize(std::max<qint64>(0, filler.size() - room));
    }

private:
    QTemporaryDir m_dir;
    const char *m_why = "";
    bool m_mounted = false;
};

// The bytes of a file, or "(none)" where it cannot be read.
inline QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

inline bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// What stands at a path, links followed: 'f' file, 'c' device, 'p' pipe, 'd'
// folder, '-' nothing.
inline char fileKind(const QString &path)
{
    struct stat status = {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return '-';
    return S_ISREG(status.st_mode)    ? 'f'
           : S_ISCHR(status.st_mode)  ? 'c'
           : S_ISFIFO(status.st_mode) ? 'p'
           : S_ISDIR(status.st_mode)  ? 'd'
                                      : '?';
}

// While it lives, files are reached with an ordinary user's permissions
// (nobody's), as the superuser's would let every write through.
class OrdinaryUserFiles
{
public:
    static constexpr uid_t Nobody = 65534;
    OrdinaryUserFiles()
    {
        if (::geteuid() == 0) {
            ::setfsgid(Nobody);
            ::setfsuid(Nobody);
        }
    }
    ~OrdinaryUserFiles()
    {
        if (::geteuid() == 0) {
            ::setfsuid(0);
            ::setfsgid(0);
        }
    }
    Q_DISABLE_COPY_MOVE(OrdinaryUserFiles)
};
