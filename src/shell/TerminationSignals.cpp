#include "TerminationSignals.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::array Handled{SIGTERM, SIGINT, SIGHUP};

// [0] written by the handler, [1] read on the event loop.
int channel[2] = {-1, -1};

void handle(int signalNumber)
{
    const int saved = errno;
    const ssize_t written = ::write(channel[0], &signalNumber, sizeof signalNumber);
    static_cast<void>(written); // nothing can be done about a full channel here
    errno = saved;
}

void restoreDefaults()
{
    for (const int signalNumber : Handled)
        ::signal(signalNumber, SIG_DFL);
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, channel) != 0)
        return;
    auto *notifier = new QSocketNotifier(channel[1], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &TerminationSignals::readArrival);
    struct sigaction action = {};
    action.sa_handler = handle;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int signalNumber : Handled)
        ::sigaction(signalNumber, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    restoreDefaults();
    for (int &end : channel) {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
}

void TerminationSignals::readArrival()
{
    int signalNumber = 0;
    while (::read(channel[1], &signalNumber, sizeof signalNumber) == sizeof signalNumber) {
        if (m_received != 0)
            continue;
        m_received = signalNumber;
        restoreDefaults();
        emit arrived(signalNumber);
    }
}

void TerminationSignals::endAsReceived() const
{
    if (m_received == 0)
        return;
    ::signal(m_received, SIG_DFL);
    ::raise(m_received);
}
