#pragma once

#include "CommPort.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

// A port without a device. It records what the program does to it (opens,
// settings, rate, RTS, DTR, breaks, everything written), lets a test deliver
// what a device would send (data, line events, CTS changes, loss), can refuse
// to open and can play a driver that applies another rate than asked.
//
// Everything written is appended to `written` at once. With holdOutput set it
// also stays in the output queue (OutBufferCount) until drainOutput().
class FakeCommPort : public CommPort
{
    Q_OBJECT

public:
    explicit FakeCommPort(QObject *parent = nullptr) : CommPort(parent) {}

    using CommPort::setOutBufferSize;

    // Device side, for the test.
    void deliverInput(const QByteArray &data);
    void deliverEvent(int code);
    // Sets the CTS level and raises CtsChange.
    void setCts(bool level);
    void loseDevice();
    // Sends up to count queued characters, all when count is negative.
    void drainOutput(qint64 count = -1);

    // While not None, every open fails with refuseOpen and every settings
    // change of the open port with refuseSettings.
    CommError refuseOpen = CommError::None;
    CommError refuseSettings = CommError::None;
    bool refuseLineRate = false;
    bool holdOutput = false;
    // Set, the driver applies this rate whatever is asked.
    qint32 driverRate = 0;
    // As a pseudo-terminal: no DTR line, no break.
    bool noDtrOrBreak = false;

    // What the program did, in order: "open <port> <settings> <handshaking>",
    // "close", "settings <settings> <handshaking>", "rate <n>", "rts 0|1",
    // "dtr 0|1", "break <ms>".
    QStringList log;
    QByteArray written;
    qint64 outputQueued = 0;
    qint32 lineRate = 0;
    bool rts = false;
    bool dtr = false; // raised by each open, as Linux does
    bool cts = false;
    int openCount = 0;

protected:
    CommError openDevice(const QString &commPort, const LineSettings &settings,
                         ::Handshaking handshaking) override;
    void closeDevice() override;
    CommError applySettings(const LineSettings &settings, ::Handshaking handshaking) override;
    void writeDevice(const QByteArray &data) override;
    qint64 deviceOutputCount() const override { return outputQueued; }
    bool deviceCts() const override { return cts; }
    bool applyLineRate(qint32 rate) override;
    qint32 deviceLineRate() const override { return lineRate; }
    bool applyRts(bool raised) override;
    bool applyDtr(bool raised) override;
    bool applyBreak(int ms) override;
};
