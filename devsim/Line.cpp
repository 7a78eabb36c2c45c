#include "Line.h"

#include "Log.h"
#include "PseudoTerminal.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

constexpr std::chrono::milliseconds kClosedRecheck{10};
constexpr qsizetype kChunk = 64 * 1024;

} // namespace

Line::Line(PseudoTerminal &pty, int signalFd) : m_pty(pty), m_signalFd(signalFd) {}

int Line::masterFd() const
{
    return m_pty.master();
}

int Line::run(Device &device)
{
    m_device = &device;
    device.start(*this);
    checkMaster();
    while (!m_exitCode) {
        pollfd fds[2] = {{m_signalFd, POLLIN, 0}, {-1, 0, 0}};
        if (m_open) {
            fds[1].fd = m_pty.master();
            fds[1].events = POLLIN | (m_pending.isEmpty() ? 0 : POLLOUT);
        }
        if (::poll(fds, 2, pollTimeout()) < 0 && errno != EINTR) {
            Log::error(QStringLiteral("poll: %1").arg(QString::fromLocal8Bit(strerror(errno))));
            return 1;
        }
        if (fds[0].revents & POLLIN) {
            signalfd_siginfo info{};
            if (::read(m_signalFd, &info, sizeof info) == sizeof info)
                Log::debug(QStringLiteral("%1, exiting")
                               .arg(QString::fromLocal8Bit(strsignal(int(info.ssi_signo)))));
            return 0;
        }
        checkMaster();
        if (!m_exitCode)
            fireTimers();
    }
    return *m_exitCode;
}

void Line::quit(int exitCode)
{
    m_exitCode = exitCode;
}

void Line::send(const QByteArray &bytes)
{
    if (!m_vanishAfter) {
        m_pending += bytes;
        return;
    }
    const qint64 room = *m_vanishAfter - m_written - m_pending.size();
    m_pending += bytes.left(std::max<qint64>(room, 0));
}

void Line::startTimer(std::chrono::milliseconds delay)
{
    m_timer = Clock::now() + delay;
}

void Line::setExitOnClose()
{
    m_exitOnClose = true;
}

void Line::finishWhenClosed()
{
    m_exitOnClose = true;
    if (m_wasOpened && !m_open)
        quit(0);
}

void Line::vanishAfter(qint64 bytes, std::chrono::milliseconds delay)
{
    m_vanishAfter = bytes;
    m_vanishDelay = delay;
}

void Line::checkMaster()
{
    if (m_pty.master() < 0)
        return;
    pollfd fd{m_pty.master(), POLLIN | POLLOUT, 0};
    if (::poll(&fd, 1, 0) < 0)
        return;
    const bool open = !(fd.revents & POLLHUP);
    if (open && !m_open) {
        m_open = true;
        m_wasOpened = true;
        Log::debug(QStringLiteral("terminal opened %1").arg(m_pty.slavePath()));
        m_device->opened(*this);
    }
    if (fd.revents & POLLIN)
        readInput();
    if (!m_pending.isEmpty() && (fd.revents & POLLOUT))
        writeOutput();
    if (!open && m_open) {
        m_open = false;
        Log::debug(QStringLiteral("terminal closed %1").arg(m_pty.slavePath()));
        if (m_exitOnClose)
            quit(0);
    }
}

void Line::readInput()
{
    QByteArray buffer(kChunk, Qt::Uninitialized);
    const ssize_t n = ::read(m_pty.master(), buffer.data(), buffer.size());
    // EIO: the slave was closed and nothing is left to read.
    if (n <= 0)
        return;
    buffer.truncate(n);
    if (Log::verbose())
        Log::debug(QStringLiteral("received %1 byte(s): %2").arg(n).arg(buffer.toHex(' ')));
    m_device->received(*this, buffer);
}

void Line::writeOutput()
{
    while (!m_pending.isEmpty()) {
        const ssize_t n =
            ::write(m_pty.master(), m_pending.constData(), std::min(m_pending.size(), kChunk));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN)
                Log::error(QStringLiteral("write to %1: %2")
                               .arg(m_pty.slavePath(), QString::fromLocal8Bit(strerror(errno))));
            return;
        }
        m_pending.remove(0, n);
        m_written += n;
        if (m_vanishAfter && m_written >= *m_vanishAfter) {
            Log::debug(QStringLiteral("sent %1 bytes, vanishing").arg(m_written));
            m_vanishAt = Clock::now() + m_vanishDelay;
            return;
        }
        if (m_pending.isEmpty())
            m_device->drained(*this);
    }
}

void Line::fireTimers()
{
    const auto now = Clock::now();
    if (m_vanishAt && now >= *m_vanishAt) {
        m_pty.closeMaster();
        m_open = false;
        Log::debug(QStringLiteral("device vanished"));
        quit(0);
        return;
    }
    if (m_timer && now >= *m_timer) {
        m_timer.reset();
        m_device->timeout(*this);
    }
}

int Line::pollTimeout() const
{
    using namespace std::chrono;
    auto wait = m_open ? milliseconds::max() : kClosedRecheck;
    const auto now = Clock::now();
    for (const auto &deadline : {m_timer, m_vanishAt}) {
        if (deadline)
            wait = std::min(wait, ceil<milliseconds>(std::max(*deadline - now, Clock::duration{})));
    }
    return wait == milliseconds::max() ? -1 : int(wait.count());
}
