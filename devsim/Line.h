#pragma once

#include <QByteArray>

#include <chrono>
#include <optional>

class PseudoTerminal;
class Line;

// A simulated device: the line calls these as things happen; each may call back into the line.
class Device
{
public:
    virtual ~Device() = default;
    virtual void start(Line &) {}
    virtual void opened(Line &) {}
    virtual void received(Line &, const QByteArray &) {}
    virtual void timeout(Line &) {}
    // Everything sent so far has been taken by the pty.
    virtual void drained(Line &) {}
};

// The device's end of the line: a poll loop on the pty master and on the termination signals.
// It hands the device what the terminal sends, writes what the device sends as fast as the pty
// takes it (bytes sent while the slave is closed wait in the pty until it is full), and runs one
// timer for the device.
//
// The terminal counts as having the slave open while the master reports no POLLHUP. POLLHUP
// does not end while the slave is closed, so then the master is looked at every 10 ms instead
// of being waited on; an open and close within that time, without traffic, can go unnoticed.
class Line
{
public:
    using Clock = std::chrono::steady_clock;

    Line(PseudoTerminal &pty, int signalFd);

    // Runs until a termination signal, the end set by the calls below or the device vanishing;
    // returns the exit code.
    int run(Device &device);

    void send(const QByteArray &bytes);
    bool terminalOpen() const { return m_open; }
    int masterFd() const;

    void startTimer(std::chrono::milliseconds delay);
    // Exits when the terminal closes the slave.
    void setExitOnClose();
    // Exits as soon as the terminal has closed the slave, at once if it has done so already.
    void finishWhenClosed();
    // After that many bytes nothing more is sent, and `delay` later the master is closed.
    void vanishAfter(qint64 bytes, std::chrono::milliseconds delay);

private:
    void quit(int exitCode);
    void checkMaster();
    void readInput();
    void writeOutput();
    void fireTimers();
    int pollTimeout() const;

    PseudoTerminal &m_pty;
    int m_signalFd;
    Device *m_device = nullptr;
    bool m_open = false;
    bool m_wasOpened = false;
    bool m_exitOnClose = false;
    std::optional<int> m_exitCode;
    QByteArray m_pending;
    qint64 m_written = 0;
    std::optional<qint64> m_vanishAfter;
    std::chrono::milliseconds m_vanishDelay{0};
    std::optional<Clock::time_point> m_timer;
    std::optional<Clock::time_point> m_vanishAt;
};
