#include "PseudoTerminal.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

PseudoTerminal::~PseudoTerminal()
{
    removeLink();
    closeMaster();
}

bool PseudoTerminal::open(QString *error)
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_master < 0) {
        *error = QStringLiteral("cannot open a pseudo-terminal: %1").arg(systemError());
        return false;
    }
    const char *name = nullptr;
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0 || !(name = ptsname(m_master))) {
        *error = QStringLiteral("cannot unlock the pseudo-terminal: %1").arg(systemError());
        return false;
    }
    m_slavePath = QString::fromLocal8Bit(name);

    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        *error = QStringLiteral("cannot open %1: %2").arg(m_slavePath, systemError());
        return false;
    }
    termios tio{};
    bool ok = tcgetattr(slave, &tio) == 0;
    if (ok) {
        cfmakeraw(&tio);
        ok = tcsetattr(slave, TCSANOW, &tio) == 0;
    }
    if (!ok)
        *error = QStringLiteral("cannot make %1 raw: %2").arg(m_slavePath, systemError());
    ::close(slave);
    return ok;
}

bool PseudoTerminal::link(const QString &linkPath, QString *error)
{
    const QByteArray path = QFile::encodeName(linkPath);
    if (QFileInfo(linkPath).isSymLink() && ::unlink(path.constData()) != 0) {
        *error = QStringLiteral("cannot replace %1: %2").arg(linkPath, systemError());
        return false;
    }
    if (::symlink(QFile::encodeName(m_slavePath).constData(), path.constData()) != 0) {
        *error =
            QStringLiteral("cannot link %1 to %2: %3").arg(linkPath, m_slavePath, systemError());
        return false;
    }
    m_linkPath = linkPath;
    return true;
}

void PseudoTerminal::closeMaster()
{
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}

void PseudoTerminal::removeLink()
{
    // Leave the link alone if another simulator has taken the path over since.
    if (!m_linkPath.isEmpty() && QFileInfo(m_linkPath).symLinkTarget() == m_slavePath)
        QFile::remove(m_linkPath);
    m_linkPath.clear();
}
