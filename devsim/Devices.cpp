#include "Devices.h"

#include "Log.h"

namespace {

constexpr char kSyn = 0x16;
constexpr char kAck = 0x06;
constexpr char kNak = 0x15;
constexpr qsizetype kFloodChunk = 64 * 1024;

} // namespace

void EchoDevice::received(Line &line, const QByteArray &bytes)
{
    line.send(bytes);
}

ProbeDevice::ProbeDevice(const LineSettings &settings, const QByteArray &pair)
    : m_settings(settings), m_answer(QByteArray().append(kAck).append(kNak).append(pair))
{
}

void ProbeDevice::received(Line &line, const QByteArray &bytes)
{
    static const QByteArray probe = QByteArray().append(kSyn).append('C').append('\r');
    for (const char byte : bytes) {
        m_recent = (m_recent + byte).right(probe.size());
        if (m_recent != probe)
            continue;
        const auto actual = readLineSettings(line.masterFd());
        if (actual && *actual == m_settings) {
            Log::debug(QStringLiteral("probe at %1: answering").arg(actual->describe()));
            line.send(m_answer);
        } else {
            Log::debug(QStringLiteral("probe at %1: not answering, the device is at %2")
                           .arg(actual ? actual->describe() : QStringLiteral("unknown settings"),
                                m_settings.describe()));
        }
    }
}

ReadingsDevice::ReadingsDevice(const Config &config) : m_config(config) {}

void ReadingsDevice::start(Line &line)
{
    line.startTimer(m_config.interval);
}

void ReadingsDevice::received(Line &line, const QByteArray &bytes)
{
    if (m_config.echo)
        line.send(bytes);
}

void ReadingsDevice::timeout(Line &line)
{
    line.startTimer(m_config.interval);
    // Like a real line: what is sent while nobody listens is lost, so nothing is queued.
    if (!line.terminalOpen())
        return;
    ++m_sent;
    const bool bad = m_config.badEvery > 0 && m_sent % m_config.badEvery == 0;
    line.send(bad ? m_config.badReading : m_config.reading);
}

FloodDevice::FloodDevice(const Config &config)
    : m_config(config), m_payload(config.bytes, config.mix, config.seed)
{
}

void FloodDevice::start(Line &line)
{
    if (!m_config.waitOpen)
        opened(line);
}

void FloodDevice::opened(Line &line)
{
    if (m_scheduled)
        return;
    m_scheduled = true;
    if (m_config.startDelay.count() > 0)
        line.startTimer(m_config.startDelay);
    else
        sendMore(line);
}

void FloodDevice::timeout(Line &line)
{
    sendMore(line);
}

void FloodDevice::drained(Line &line)
{
    if (!m_payload.atEnd()) {
        sendMore(line);
        return;
    }
    const double seconds = std::max(m_clock.nsecsElapsed(), qint64(1)) / 1e9;
    Log::info(QStringLiteral("flood: sent %1 bytes in %2 s, %3 MB/s")
                  .arg(m_config.bytes)
                  .arg(seconds, 0, 'f', 3)
                  .arg(m_config.bytes / seconds / 1e6, 0, 'f', 2));
    // Closing the master now would discard what the terminal has not read yet.
    line.finishWhenClosed();
}

void FloodDevice::sendMore(Line &line)
{
    if (!m_clock.isValid()) {
        Log::debug(QStringLiteral("flood: starting, %1 bytes").arg(m_config.bytes));
        m_clock.start();
    }
    line.send(m_payload.take(kFloodChunk));
}
