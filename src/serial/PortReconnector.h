#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

class CommPort;

// Reopens a port whose device was lost, as soon as the device is back.
//
// Waiting starts with waitForDevice() after a loss and looks at the lost
// device's path every CheckIntervalMs: no wake-ups beyond that, and nothing
// but a look at the path while the device is away. A device that is there is
// reopened through the reopen callback, which opens the port with the
// settings as they were and says whether it is open. The same device node is
// tried again after a failed attempt only once RetryIntervalMs have passed
// (another program may hold it for a moment); a node made anew, such as a
// replugged adapter or one whose access rights were just set, is tried at
// once. A path given by a stable name (/dev/serial/by-id/...) finds the
// adapter whatever device it has become.
//
// Waiting ends when the port is open again, by the callback or otherwise, or
// with stop().
class PortReconnector : public QObject
{
    Q_OBJECT

public:
    static constexpr int CheckIntervalMs = 250;
    static constexpr int RetryIntervalMs = 1000;

    PortReconnector(CommPort &port, std::function<bool()> reopen, QObject *parent = nullptr);

    // Waits for the device the port had open last.
    void waitForDevice();
    void stop();
    bool isWaiting() const { return m_checks.isActive(); }

signals:
    // The port is open again: the callback opened it.
    void reconnected();

private:
    // What tells one device node from another made at the same path.
    struct Node
    {
        quint64 device = 0;
        quint64 inode = 0;
        qint64 changedNs = 0; // status change: creation, access rights
        bool operator==(const Node &) const = default;
    };
    static std::optional<Node> nodeAt(const QString &path);

    void check();

    CommPort &m_port;
    std::function<bool()> m_reopen;
    QTimer m_checks;
    QString m_path;
    std::optional<Node> m_failedNode; // where the last attempt failed
    QElapsedTimer m_sinceAttempt;
};
