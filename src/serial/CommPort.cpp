#include "CommPort.h"

#include "LineRates.h"

#include <QMetaObject>

#include <limits>

CommPort::CommPort(QObject *parent) : QObject(parent) {}

void CommPort::setCommPort(const QString &text)
{
    m_commPort = text;
}

CommError CommPort::setSettings(const QString &text)
{
    const std::optional<LineSettings> settings = LineSettings::parse(text);
    if (!settings) {
        m_errorString = tr("Settings \"%1\" are not valid").arg(text);
        return CommError::SettingRefused;
    }
    if (m_open) {
        const CommError result = applySettings(*settings, m_handshaking);
        if (result != CommError::None)
            return result;
    }
    m_settings = *settings;
    m_settingsText = text;
    if (m_open) {
        m_appliedRate = deviceLineRate();
        record(tr("settings %1").arg(text));
    }
    return CommError::None;
}

CommError CommPort::setHandshaking(int mode)
{
    if (mode < 0 || mode > 3) {
        m_errorString = tr("Handshaking %1 is not valid").arg(mode);
        return CommError::SettingRefused;
    }
    const auto handshaking = ::Handshaking(mode);
    if (m_open) {
        const CommError result = applySettings(m_settings, handshaking);
        if (result != CommError::None)
            return result;
    }
    m_handshaking = handshaking;
    if (m_open)
        record(tr("handshaking %1").arg(mode));
    return CommError::None;
}

CommError CommPort::setPortOpen(bool open)
{
    if (open == m_open)
        return CommError::None;
    m_pending.clear();
    if (!open) {
        m_open = false;
        closeDevice();
        record(tr("port %1 closed").arg(m_deviceName));
        return CommError::None;
    }
    m_errorString.clear();
    m_deviceName = m_commPort;
    const CommError result = openDevice(m_commPort, m_settings, m_handshaking);
    m_open = result == CommError::None;
    if (m_open) {
        m_appliedRate = deviceLineRate();
        record(tr("port %1 opened, settings %2, handshaking %3")
                   .arg(m_deviceName, m_settingsText)
                   .arg(int(m_handshaking)));
    }
    return result;
}

void CommPort::Output(const QByteArray &data)
{
    if (!m_open || data.isEmpty())
        return;
    const qsizetype room = std::max<qsizetype>(0, m_outBufferSize - OutBufferCount());
    if (data.size() <= room) {
        writeDevice(data);
        if (m_recorder)
            m_recorder->sent(data);
        return;
    }
    if (room > 0) {
        writeDevice(data.left(room));
        if (m_recorder)
            m_recorder->sent(QByteArrayView(data).first(room));
    }
    queueEvent(TransmitFull);
    deliverQueued();
}

int CommPort::OutBufferCount() const
{
    if (!m_open)
        return 0;
    return int(std::min<qint64>(deviceOutputCount(), std::numeric_limits<int>::max()));
}

QByteArray CommPort::Input()
{
    if (m_pending.empty() || m_pending.front().kind != Pending::Data)
        return {};
    QByteArray data = std::move(m_pending.front().data);
    m_pending.pop_front();
    if (!m_pending.empty() && !m_delivering)
        scheduleDelivery();
    return data;
}

bool CommPort::CTSHolding() const
{
    return m_open && deviceCts();
}

bool CommPort::setLineRate(qint32 rate)
{
    if (!m_open || rate <= 0 || !applyLineRate(rate))
        return false;
    m_appliedRate = deviceLineRate();
    if (LineRates::differs(rate, m_appliedRate))
        record(tr("line rate %1 asked, the device runs at %2").arg(rate).arg(m_appliedRate));
    else
        record(tr("line rate %1").arg(rate));
    return true;
}

bool CommPort::setRTS(bool raised)
{
    return m_open && applyRts(raised);
}

bool CommPort::setDTR(bool raised)
{
    return m_open && applyDtr(raised);
}

bool CommPort::sendBreak(int ms)
{
    if (!m_open || ms <= 0 || !applyBreak(ms))
        return false;
    record(tr("break sent, %1 ms").arg(ms));
    return true;
}

void CommPort::queueInput(const QByteArray &data)
{
    if (!m_open || data.isEmpty())
        return;
    if (m_recorder)
        m_recorder->received(data);
    if (!m_pending.empty() && m_pending.back().kind == Pending::Data)
        m_pending.back().data += data;
    else
        m_pending.push_back({Pending::Data, data});
}

void CommPort::queueEvent(int code)
{
    if (!m_open)
        return;
    if (m_recorder)
        m_recorder->event(eventText(code, code == CtsChange && deviceCts()));
    m_pending.push_back({Pending::Event, {}, code});
}

void CommPort::reportLost()
{
    if (!m_open)
        return;
    m_open = false;
    closeDevice();
    record(tr("port %1 lost: the device is gone").arg(m_deviceName));
    m_pending.push_back({Pending::Lost, {}});
    deliverQueued();
}

// Raises the queued items in order. Data wait at the front, after their
// OnComm, until Input() takes them; later items follow from the event loop.
// A handler that lets events run (a modal box) may queue more: this loop,
// not a nested one, delivers them.
void CommPort::deliverQueued()
{
    if (m_delivering)
        return;
    m_delivering = true;
    while (!m_pending.empty()) {
        Pending &front = m_pending.front();
        if (front.kind == Pending::Data) {
            if (front.announced == front.data.size())
                break;
            front.announced = front.data.size();
            m_commEvent = Receive;
            emit OnComm();
            continue;
        }
        const Pending item = std::move(front);
        m_pending.pop_front();
        if (item.kind == Pending::Event) {
            m_commEvent = item.code;
            emit OnComm();
        } else {
            emit deviceLost();
        }
    }
    m_delivering = false;
}

void CommPort::scheduleDelivery()
{
    if (m_deliveryScheduled)
        return;
    m_deliveryScheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_deliveryScheduled = false;
            deliverQueued();
        },
        Qt::QueuedConnection);
}

void CommPort::record(const QString &text)
{
    if (m_recorder)
        m_recorder->event(text);
}

QString CommPort::eventText(int code, bool ctsHigh)
{
    switch (code) {
    case Break:
        return tr("break");
    case FramingError:
        return tr("framing error");
    case ParityError:
        return tr("parity error");
    case Overrun:
        return tr("overrun");
    case ReceiveOverflow:
        return tr("receive buffer overflow");
    case TransmitFull:
        return tr("transmit buffer full");
    case ControlBlockError:
        return tr("device error");
    case CtsChange:
        return ctsHigh ? tr("CTS high") : tr("CTS low");
    default:
        return tr("event %1").arg(code);
    }
}
