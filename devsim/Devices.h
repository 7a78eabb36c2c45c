#pragma once

#include "Line.h"
#include "LineSettings.h"
#include "Payload.h"

#include <QElapsedTimer>

#include <chrono>

// Sends back what it receives.
class EchoDevice : public Device
{
public:
    void received(Line &line, const QByteArray &bytes) override;
};

// Answers the settings probe SYN "C" CR with ACK NAK and a byte pair, but only while the
// terminal's line settings match the device's.
class ProbeDevice : public Device
{
public:
    ProbeDevice(const LineSettings &settings, const QByteArray &pair);
    void received(Line &line, const QByteArray &bytes) override;

private:
    LineSettings m_settings;
    QByteArray m_answer;
    QByteArray m_recent;
};

// Sends a reading at a fixed interval while the terminal has the port open; every Nth reading
// sent is the bad one. Optionally echoes what it receives.
class ReadingsDevice : public Device
{
public:
    struct Config
    {
        QByteArray reading;
        QByteArray badReading;
        std::chrono::milliseconds interval{1000};
        int badEvery = 0;
        bool echo = false;
    };
    explicit ReadingsDevice(const Config &config);
    void start(Line &line) override;
    void received(Line &line, const QByteArray &bytes) override;
    void timeout(Line &line) override;

private:
    Config m_config;
    int m_sent = 0;
};

// Sends a payload as fast as the pty takes it, reports the rate, and exits when the terminal
// closes the port after the last byte.
class FloodDevice : public Device
{
public:
    struct Config
    {
        qint64 bytes = 0;
        Payload::Mix mix = Payload::Mix::Mixed;
        quint64 seed = 1;
        bool waitOpen = true;
        std::chrono::milliseconds startDelay{0};
    };
    explicit FloodDevice(const Config &config);
    void start(Line &line) override;
    void opened(Line &line) override;
    void timeout(Line &line) override;
    void drained(Line &line) override;

private:
    void sendMore(Line &line);

    Config m_config;
    Payload m_payload;
    bool m_scheduled = false;
    QElapsedTimer m_clock;
};
