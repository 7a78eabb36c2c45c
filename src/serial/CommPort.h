#pragma once

#include "LineSettings.h"
#include "TrafficRecorder.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <deque>

// Why an open or a setting failed. The values are the error numbers the
// program's port handling acts on.
enum class CommError
{
    None = 0,
    SettingRefused = 380, // a setting the port or device cannot take
    NoSuchPort = 8002,    // no such device, or not a serial device
    PortBusy = 8005,      // another program holds the device
    Other = -1,
};

// The serial port as the program uses it: port text, settings text,
// handshaking, open state, output queue, input, the current event and the CTS
// level, plus the device operations: any whole-number line rate (and the rate
// the driver really applied), the RTS and DTR lines and a break.
//
// What is received reaches the program as one ordered sequence. Arrivals
// raise OnComm() with CommEvent() == Receive; Input() then takes the data up
// to the next line event (break, framing or parity error, ...), and that event
// is raised once the data before it have been taken, so every event keeps its
// place in the stream. A device lost while open closes the port at once;
// deviceLost() follows everything received before it, exactly once.
//
// All signals come on the thread that owns the port. A handler may call any
// operation, including closing the port.
class CommPort : public QObject
{
    Q_OBJECT

public:
    enum EventCode
    {
        Receive = 2,
        CtsChange = 3,
        Break = 1001,
        FramingError = 1004,
        Overrun = 1006,
        ReceiveOverflow = 1008,
        ParityError = 1009,
        TransmitFull = 1010,
        ControlBlockError = 1011,
    };
    Q_ENUM(EventCode)

    static constexpr int DefaultOutBufferSize = 16384;

    explicit CommPort(QObject *parent = nullptr);

    // The port the next open uses: see resolvePortName().
    void setCommPort(const QString &text);
    QString CommPortText() const { return m_commPort; }

    // A text that does not parse is refused and the previous settings kept.
    // While open, the new settings apply at once.
    CommError setSettings(const QString &text);
    QString Settings() const { return m_settingsText; }

    // 0 to 3; anything else is refused. While open it applies at once.
    CommError setHandshaking(int mode);
    int Handshaking() const { return int(m_handshaking); }

    bool PortOpen() const { return m_open; }
    // Opening an open port or closing a closed one does nothing. Opening and
    // closing discard waiting input and events.
    CommError setPortOpen(bool open);
    // The reason for the last failed open or setting, naming the device.
    QString errorString() const { return m_errorString; }
    // The device of the last open as the backend names it (the port text where
    // it does not), kept after the port closes.
    QString deviceName() const { return m_deviceName; }

    // Queues data for sending without waiting; ignored while closed. Data
    // beyond the free room of the queue are dropped and TransmitFull is raised.
    void Output(const QByteArray &data);
    // Characters still waiting to be sent.
    int OutBufferCount() const;
    int OutBufferSize() const { return m_outBufferSize; }

    // The waiting received data up to the next line event, removed.
    QByteArray Input();
    // The code of the event being raised, or of the last one.
    int CommEvent() const { return m_commEvent; }
    // The present CTS level; false while closed or where the device has no CTS.
    bool CTSHolding() const;

    // Sets the line rate of the open device to any whole number; false if
    // the port is closed or the device refuses it. A rate the driver applies
    // more than 2% away from it is recorded as such.
    bool setLineRate(qint32 rate);
    // The rate the driver set, read back after the last open, settings or rate change;
    // 0 while closed or where the device does not tell.
    qint32 appliedLineRate() const { return m_open ? m_appliedRate : 0; }
    // Raise or lower RTS or DTR on the open device; false if closed or unsupported.
    bool setRTS(bool raised);
    bool setDTR(bool raised);
    // Holds the line in the break state for ms milliseconds without waiting
    // for it to end; false if closed or unsupported.
    bool sendBreak(int ms);

    // Tells the recorder of an event that the port does not see itself.
    void recordEvent(const QString &text) { record(text); }

    // Everything received, sent and raised from now on is also told to
    // recorder (none: nullptr). The port does not own it.
    void setRecorder(TrafficRecorder *recorder) { m_recorder = recorder; }

signals:
    void OnComm();
    void deviceLost();

protected:
    // Backend operations. openDevice() is called while the port reads closed.
    virtual CommError openDevice(const QString &commPort, const LineSettings &settings,
                                 ::Handshaking handshaking) = 0;
    virtual void closeDevice() = 0;
    virtual CommError applySettings(const LineSettings &settings, ::Handshaking handshaking) = 0;
    virtual void writeDevice(const QByteArray &data) = 0;
    virtual qint64 deviceOutputCount() const = 0;
    virtual bool deviceCts() const = 0;
    virtual bool applyLineRate(qint32 rate) = 0;
    // The rate the device runs at now; 0 if unknown.
    virtual qint32 deviceLineRate() const = 0;
    virtual bool applyRts(bool raised) = 0;
    virtual bool applyDtr(bool raised) = 0;
    virtual bool applyBreak(int ms) = 0;

    void setErrorString(const QString &text) { m_errorString = text; }
    void setDeviceName(const QString &name) { m_deviceName = name; }
    void setOutBufferSize(int size) { m_outBufferSize = size; }

    // Backends queue what the device reported, in order, then deliver. Both
    // are ignored while the port is closed.
    void queueInput(const QByteArray &data);
    void queueEvent(int code);
    void deliverQueued();
    // The device is gone: closes the port now and raises deviceLost() after
    // the input already queued. Ignored while closed.
    void reportLost();

private:
    struct Pending
    {
        enum Kind
        {
            Data,
            Event,
            Lost
        };
        Kind kind;
        QByteArray data;
        int code = 0;
        qsizetype announced = 0; // bytes of data already announced by OnComm
    };

    void scheduleDelivery();
    void record(const QString &text);
    static QString eventText(int code, bool ctsHigh);

    QString m_commPort = QStringLiteral("1");
    QString m_settingsText = QStringLiteral("9600,N,8,1");
    LineSettings m_settings;
    ::Handshaking m_handshaking = ::Handshaking::None;
    QString m_errorString;
    QString m_deviceName;
    int m_outBufferSize = DefaultOutBufferSize;
    bool m_open = false;
    qint32 m_appliedRate = 0;
    int m_commEvent = 0;
    std::deque<Pending> m_pending;
    bool m_delivering = false;
    bool m_deliveryScheduled = false;
    TrafficRecorder *m_recorder = nullptr;
};
