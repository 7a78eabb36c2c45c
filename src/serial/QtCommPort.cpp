#include "QtCommPort.h"

#include "DeviceAccess.h"
#include "DeviceHolders.h"
#include "SerialLockFile.h"
#include "SerialPortNames.h"

#include <QFile>
#include <QMetaObject>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Linux has neither 4 data bits nor 1.5 stop bits; empty when the device can
// be asked for the settings.
QString unsupportedSetting(const LineSettings &settings)
{
    if (settings.dataBits < 5)
        return QtCommPort::tr("%1 data bits are not supported").arg(settings.dataBits);
    if (settings.stopBits == LineSettings::StopBits::OneAndHalf)
        return QtCommPort::tr("1.5 stop bits are not supported");
    return {};
}

bool hungUp(int fd)
{
    pollfd descriptor{fd, POLLIN, 0};
    return ::poll(&descriptor, 1, 0) == 1 && (descriptor.revents & (POLLHUP | POLLERR | POLLNVAL));
}

QString systemError(const QString &path, int error)
{
    return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(error)));
}

} // namespace

QtCommPort::QtCommPort(QObject *parent) : CommPort(parent)
{
    m_pollTimer.setInterval(PollInterval);
    m_readPause.setSingleShot(true);
    m_breakEnd.setSingleShot(true);
    connect(&m_breakEnd, &QTimer::timeout, this,
            [this] { LineControl::setBreak(int(m_port.handle()), false); });
    m_clock.start();
    connect(&m_readPause, &QTimer::timeout, this, [this] { readBatch(false); });
    connect(&m_port, &QSerialPort::readyRead, this, &QtCommPort::readReceived);
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtCommPort::portError);
    connect(&m_pollTimer, &QTimer::timeout, this, [this] {
        pollLines();
        deliverQueued();
    });
}

QtCommPort::~QtCommPort()
{
    setPortOpen(false);
}

CommError QtCommPort::openDevice(const QString &commPort, const LineSettings &settings,
                                 ::Handshaking handshaking)
{
    const QString path = resolvePortName(commPort);
    if (path.isEmpty()) {
        setErrorString(tr("Port \"%1\" names no device").arg(commPort));
        return CommError::NoSuchPort;
    }
    setDeviceName(path);
    struct stat status = {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
        setErrorString(systemError(path, errno));
        return CommError::NoSuchPort;
    }
    if (!S_ISCHR(status.st_mode) || isPtyMultiplexer(status.st_rdev) ||
        isTerminalAlias(status.st_rdev)) {
        setErrorString(tr("%1: not a serial device").arg(path));
        return CommError::NoSuchPort;
    }
    // Checked before the open, which would already change its modes.
    if (const std::optional<DeviceHolder> owner = terminalOwner(status.st_rdev)) {
        setErrorString(tr("%1: the controlling terminal of %2 (process %3)")
                           .arg(path, owner->name)
                           .arg(owner->pid));
        return CommError::PortBusy;
    }
    if (const QString reason = unsupportedSetting(settings); !reason.isEmpty()) {
        setErrorString(QStringLiteral("%1: %2").arg(path, reason));
        return CommError::SettingRefused;
    }
    m_pseudoTerminal = isPseudoTerminal(status.st_rdev);
    m_markErrors = !m_pseudoTerminal;

    // Open at a standard rate, so that a refused rate is told apart from a
    // device that cannot be opened.
    m_port.setPortName(path);
    m_port.setBaudRate(QSerialPort::Baud9600);
    if (!m_port.open(QIODevice::ReadWrite) && !openPastStaleLock(path))
        return openFailure(path);
    const int fd = int(m_port.handle());
    if (const int error = takeExclusively(fd); error != 0) {
        closeDevice();
        if (error == EWOULDBLOCK)
            return busy(path);
        setErrorString(systemError(path, error));
        return CommError::Other;
    }

    if (!configure(settings, handshaking)) {
        setErrorString(tr("%1: the device refuses the settings").arg(path));
        closeDevice();
        return CommError::SettingRefused;
    }
    m_counters = LineControl::counters(fd);
    m_unusedErrors = {};
    m_cts = LineControl::cts(fd);
    if (m_counters || m_cts)
        m_pollTimer.start();
    m_reportedError = QSerialPort::NoError;
    startReading(fd);
    m_hangupNotifier = new QSocketNotifier(fd, QSocketNotifier::Exception, this);
    connect(m_hangupNotifier, &QSocketNotifier::activated, this, [this] {
        if (hungUp(int(m_port.handle())))
            scheduleLoss();
    });
    return CommError::None;
}

// A lock file of QSerialPort's (see SerialLockFile) whose program is gone,
// but which this user may not remove, would keep the device busy for good:
// the device is then opened under another spelling of its path, whose lock
// file is free. The device's own lock and exclusive mode still decide.
bool QtCommPort::openPastStaleLock(const QString &path)
{
    if (m_port.error() != QSerialPort::PermissionError)
        return false;
    constexpr qint64 LongestLock = 4096;
    QFile lock(SerialLockFile::pathFor(path));
    if (!lock.open(QIODevice::ReadOnly) || !SerialLockFile::ownerGone(lock.read(LongestLock)))
        return false;
    m_port.clearError();
    m_port.setPortName(SerialLockFile::otherSpelling(path));
    return m_port.open(QIODevice::ReadWrite);
}

CommError QtCommPort::openFailure(const QString &path)
{
    CommError result = CommError::Other;
    QString reason = m_port.errorString();
    switch (m_port.error()) {
    case QSerialPort::DeviceNotFoundError:
    case QSerialPort::UnsupportedOperationError: // not a terminal
    case QSerialPort::ResourceError:             // no hardware behind the device node
        result = CommError::NoSuchPort;
        break;
    case QSerialPort::PermissionError:
        // Opened exclusively or locked by another program, unless access
        // itself is denied.
        if (::access(QFile::encodeName(path).constData(), R_OK | W_OK) == 0) {
            m_port.clearError();
            return busy(path);
        }
        if (const QString advice = joinGroupAdvice(path); !advice.isEmpty())
            reason += QLatin1Char('\n') + advice;
        break;
    default:
        break;
    }
    setErrorString(QStringLiteral("%1: %2").arg(path, reason));
    m_port.clearError();
    return result;
}

// Who holds the port is looked up only to say so.
CommError QtCommPort::busy(const QString &path)
{
    const std::optional<DeviceHolder> holder = deviceHolder(path);
    setErrorString(holder ? tr("%1: in use by %2 (process %3)")
                                .arg(path, holder->name.isEmpty() ? tr("a program") : holder->name)
                                .arg(holder->pid)
                          : tr("%1: in use by another program").arg(path));
    return CommError::PortBusy;
}

void QtCommPort::closeDevice()
{
    m_pollTimer.stop();
    m_readPause.stop();
    if (m_readNotifier) {
        m_readNotifier->setEnabled(false);
        m_readNotifier->deleteLater();
        m_readNotifier = nullptr;
    }
    if (m_hangupNotifier) {
        m_hangupNotifier->setEnabled(false);
        m_hangupNotifier->deleteLater();
        m_hangupNotifier = nullptr;
    }
    if (m_port.isOpen()) {
        if (m_breakEnd.isActive()) {
            m_breakEnd.stop();
            LineControl::setBreak(int(m_port.handle()), false);
        }
        releaseExclusively(int(m_port.handle()));
        m_port.close();
    }
    m_port.clearError();
    m_lossPending = false;
    m_parser.reset();
    m_counters.reset();
    m_cts.reset();
}

CommError QtCommPort::applySettings(const LineSettings &settings, ::Handshaking handshaking)
{
    if (const QString reason = unsupportedSetting(settings); !reason.isEmpty()) {
        setErrorString(QStringLiteral("%1: %2").arg(deviceName(), reason));
        return CommError::SettingRefused;
    }
    if (!configure(settings, handshaking)) {
        setErrorString(tr("%1: the device refuses the settings").arg(deviceName()));
        return CommError::SettingRefused;
    }
    return CommError::None;
}

// QSerialPort sets only the rate: its framing setters refuse what a
// pseudo-terminal adjusts (data bits, the parity bit) and leave mark or space
// parity behind when switching to even or odd. Its setters rewrite the
// terminal attributes, so the framing and marking flags come after them.
bool QtCommPort::configure(const LineSettings &settings, ::Handshaking handshaking)
{
    m_settings = settings;
    m_handshaking = handshaking;
    m_configuring = true;
    const bool rateSet = m_port.setBaudRate(settings.baudRate);
    const bool framed = applyFraming();
    m_configuring = false;
    return rateSet && framed;
}

bool QtCommPort::applyFraming()
{
    const LineControl::FramingResult result =
        LineControl::applyFraming(int(m_port.handle()), m_settings, m_handshaking, m_markErrors);
    if (result.marking != m_parser.marking())
        m_parser.setMarking(result.marking);
    return result.applied;
}

void QtCommPort::writeDevice(const QByteArray &data)
{
    m_port.write(data);
}

qint64 QtCommPort::deviceOutputCount() const
{
    return m_port.bytesToWrite() + LineControl::outputQueue(int(m_port.handle()));
}

bool QtCommPort::deviceCts() const
{
    return LineControl::cts(int(m_port.handle())).value_or(false);
}

bool QtCommPort::applyLineRate(qint32 rate)
{
    m_configuring = true;
    const bool applied = m_port.setBaudRate(rate);
    applyFraming();
    m_port.clearError();
    m_configuring = false;
    return applied;
}

qint32 QtCommPort::deviceLineRate() const
{
    return LineControl::lineRate(int(m_port.handle()));
}

bool QtCommPort::applyRts(bool raised)
{
    return LineControl::setRts(int(m_port.handle()), raised);
}

bool QtCommPort::applyDtr(bool raised)
{
    return LineControl::setDtr(int(m_port.handle()), raised);
}

// The break ends from a timer, so that the window keeps answering meanwhile.
// A request during a break makes it last ms from then.
bool QtCommPort::applyBreak(int ms)
{
    if (m_pseudoTerminal || !LineControl::setBreak(int(m_port.handle()), true))
        return false;
    m_breakEnd.start(ms);
    return true;
}

// QSerialPort reads the device when its own read notifier, a child of the
// port, fires, once per notification. This port reads the device itself, in
// batches: that notifier rests for good. Without one (another platform or Qt
// version), QSerialPort's reading is kept, unpaced.
void QtCommPort::startReading(int fd)
{
    m_pacer = {};
    const QList<QSocketNotifier *> notifiers =
        m_port.findChildren<QSocketNotifier *>(Qt::FindDirectChildrenOnly);
    // A closed port's notifiers linger until deleted; the newest is current.
    const auto own = std::find_if(notifiers.crbegin(), notifiers.crend(), [fd](auto *notifier) {
        return notifier->type() == QSocketNotifier::Read && notifier->socket() == fd;
    });
    if (own == notifiers.crend())
        return;
    (*own)->setEnabled(false);
    m_readNotifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, [this] { readBatch(true); });
}

void QtCommPort::readReceived()
{
    // The driver counts an error before its marked byte can be read, so the
    // counts read now cover the markers of these data.
    pollLines();
    take(m_port.readAll());
    deliverQueued();
}

// Reads what the device holds, up to MaxBatchBytes, delivers it, and rests as
// the pacer says. A notification that finds nothing may be a hang-up.
void QtCommPort::readBatch(bool notified)
{
    if (!PortOpen() || !m_readNotifier)
        return;
    m_readNotifier->setEnabled(false);
    m_readPause.stop();
    pollLines();
    const Drained drained = drain();
    deliverQueued(); // a handler may close the port
    if (!PortOpen() || m_lossPending || !m_readNotifier)
        return;
    if (drained.error != 0) {
        readFailed(drained.error);
        return;
    }
    if (drained.bytes == 0 && notified && hungUp(int(m_port.handle()))) {
        scheduleLoss();
        return;
    }
    const int pauseMs = m_pacer.pauseAfterRead(drained.bytes, m_clock.elapsed(), drained.more);
    if (pauseMs > 0)
        m_readPause.start(pauseMs);
    else
        m_readNotifier->setEnabled(true);
}

QtCommPort::Drained QtCommPort::drain()
{
    const int fd = int(m_port.handle());
    if (m_batch.size() < MaxBatchBytes)
        m_batch.resize(MaxBatchBytes);
    Drained drained;
    while (drained.bytes < MaxBatchBytes) {
        const ssize_t count =
            ::read(fd, m_batch.data() + drained.bytes, size_t(MaxBatchBytes - drained.bytes));
        if (count > 0) {
            drained.bytes += count;
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        // Nothing waits: a raw terminal's read returns 0 or EAGAIN.
        if (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            drained.error = errno;
        break;
    }
    drained.more = drained.bytes == MaxBatchBytes;
    take(QByteArrayView(m_batch.constData(), drained.bytes));
    return drained;
}

// A read that fails because the device hung up is its loss; any other
// failure is reported once, and reading tries again after a pause.
void QtCommPort::readFailed(int error)
{
    if (error == EIO || error == EBADF || error == ENXIO || error == ENODEV ||
        hungUp(int(m_port.handle()))) {
        scheduleLoss();
        return;
    }
    if (m_reportedError != QSerialPort::ReadError) {
        m_reportedError = QSerialPort::ReadError;
        queueEvent(ControlBlockError);
        deliverQueued();
    }
    if (PortOpen() && m_readNotifier)
        m_readPause.start(ReadPacer::MaxPauseMs);
}

void QtCommPort::take(QByteArrayView data)
{
    if (data.isEmpty())
        return;
    for (const LineMarkerParser::Piece &piece : m_parser.feed(data)) {
        if (piece.kind == LineMarkerParser::Piece::Data) {
            queueInput(piece.bytes);
            continue;
        }
        const LineEvent event = classifyMarkedByte(piece.bytes.front(), &m_unusedErrors,
                                                   m_settings.parity != LineSettings::Parity::None);
        queueEvent(event.code);
        if (event.keepByte)
            queueInput(piece.bytes);
    }
}

void QtCommPort::pollLines()
{
    const int fd = int(m_port.handle());
    bool ctsChanged = false;
    if (m_counters) {
        if (const std::optional<LineControl::Counters> now = LineControl::counters(fd)) {
            m_unusedErrors.breaks += now->brk - m_counters->brk;
            m_unusedErrors.framing += now->frame - m_counters->frame;
            m_unusedErrors.parity += now->parity - m_counters->parity;
            if (now->overrun != m_counters->overrun)
                queueEvent(Overrun);
            if (now->bufferOverrun != m_counters->bufferOverrun)
                queueEvent(ReceiveOverflow);
            ctsChanged = now->cts != m_counters->cts;
            m_counters = now;
        }
    }
    if (m_cts) {
        const std::optional<bool> level = LineControl::cts(fd);
        if (level && *level != *m_cts) {
            m_cts = level;
            ctsChanged = true;
        }
    }
    if (ctsChanged)
        queueEvent(CtsChange);
}

void QtCommPort::portError(QSerialPort::SerialPortError error)
{
    if (m_configuring || !PortOpen())
        return;
    // A read or write that fails because the device hung up is its loss, not
    // an error of its own.
    if (error == QSerialPort::ResourceError ||
        ((error == QSerialPort::ReadError || error == QSerialPort::WriteError) &&
         hungUp(int(m_port.handle())))) {
        scheduleLoss();
        return;
    }
    const bool unexpected = error == QSerialPort::ReadError || error == QSerialPort::WriteError ||
                            error == QSerialPort::UnknownError;
    if (unexpected && error != m_reportedError) {
        m_reportedError = error;
        queueEvent(ControlBlockError);
        deliverQueued();
    }
}

// The loss is handled from the event loop, not inside QSerialPort's own
// notification, and only once however often the hang-up is signalled.
void QtCommPort::scheduleLoss()
{
    if (m_lossPending)
        return;
    m_lossPending = true;
    if (m_hangupNotifier)
        m_hangupNotifier->setEnabled(false);
    QMetaObject::invokeMethod(this, &QtCommPort::deviceGone, Qt::QueuedConnection);
}

void QtCommPort::deviceGone()
{
    if (!m_lossPending)
        return; // closed in the meantime
    if (m_readNotifier) {
        pollLines();
        drain();
        deliverQueued();
    } else {
        readReceived();
    }
    if (m_lossPending)
        reportLost();
}
