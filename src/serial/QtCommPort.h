#pragma once

#include "CommPort.h"
#include "LineControl.h"
#include "LineMarkerParser.h"
#include "ReadPacer.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QTimer>

#include <optional>

class QSocketNotifier;

// The real port, on QSerialPort.
//
// Opening: a missing device, one that is not a terminal and the
// pseudo-terminal multiplexer are NoSuchPort. The port is taken exclusively
// (see takeExclusively()); a device that another program has locked or opened
// exclusively is PortBusy, its holder named where /proc tells, and so is a
// device that is some process's controlling terminal. 4 data bits
// and 1.5 stop bits are SettingRefused, as Linux has neither.
//
// Receiving: breaks and parity and framing errors arrive marked in the data
// and are told apart with the driver's error counters where it has them. A
// pseudo-terminal has none of them and is not asked to mark them, which keeps
// the kernel's fast path for raw data.
// Overruns, buffer overflows and CTS changes are seen in the counters and the
// modem lines, polled every PollInterval ms while the device supports them.
// RTS and DTR are set with the modem-line calls, a break with TIOCSBRK and
// TIOCCBRK around a timer, and the rate applied is read back with TCGETS2.
// A hang-up (the device removed, the other end of a pseudo-terminal closed)
// or a read that fails as a vanished device's does (EIO, ENXIO, ENODEV) is a
// lost device.
//
// A steady stream is read in batches (see ReadPacer): a 115200-baud stream
// wakes the program some 25 times a second and 1 MB/s some 500 times, instead
// of once for every few bytes, and each wake reads all the device holds. The
// first data after a quiet spell are read at once, and so is a stream that
// fills the kernel's buffer.
class QtCommPort : public CommPort
{
    Q_OBJECT

public:
    static constexpr int PollInterval = 20;
    // The most one wake reads before the display gets its turn.
    static constexpr qint64 MaxBatchBytes = 64 * 1024;

    explicit QtCommPort(QObject *parent = nullptr);
    ~QtCommPort() override;

protected:
    CommError openDevice(const QString &commPort, const LineSettings &settings,
                         ::Handshaking handshaking) override;
    void closeDevice() override;
    CommError applySettings(const LineSettings &settings, ::Handshaking handshaking) override;
    void writeDevice(const QByteArray &data) override;
    qint64 deviceOutputCount() const override;
    bool deviceCts() const override;
    bool applyLineRate(qint32 rate) override;
    qint32 deviceLineRate() const override;
    bool applyRts(bool raised) override;
    bool applyDtr(bool raised) override;
    // A pseudo-terminal takes a break request without sending anything: it is
    // refused.
    bool applyBreak(int ms) override;

private:
    bool openPastStaleLock(const QString &path);
    CommError openFailure(const QString &path);
    CommError busy(const QString &path);
    bool configure(const LineSettings &settings, ::Handshaking handshaking);
    bool applyFraming();

    struct Drained
    {
        qint64 bytes = 0;
        bool more = false; // stopped at MaxBatchBytes with data waiting
        int error = 0;     // errno of a failed read
    };

    void startReading(int fd);
    void readReceived();
    void readBatch(bool notified);
    Drained drain();
    void readFailed(int error);
    void take(QByteArrayView data);
    void pollLines();
    void portError(QSerialPort::SerialPortError error);
    void scheduleLoss();
    void deviceGone();

    QSerialPort m_port{this}; // a child, so that it can be found
    QTimer m_pollTimer;
    QTimer m_readPause;
    QTimer m_breakEnd;
    ReadPacer m_pacer;
    QElapsedTimer m_clock;
    QSocketNotifier *m_readNotifier = nullptr;
    QByteArray m_batch;
    QSocketNotifier *m_hangupNotifier = nullptr;
    LineMarkerParser m_parser;
    LineSettings m_settings;
    ::Handshaking m_handshaking = ::Handshaking::None;
    bool m_markErrors = true;
    bool m_pseudoTerminal = false;
    bool m_configuring = false;
    bool m_lossPending = false;
    QSerialPort::SerialPortError m_reportedError = QSerialPort::NoError;
    std::optional<LineControl::Counters> m_counters;
    LineErrorCounts m_unusedErrors;
    std::optional<bool> m_cts;
};
