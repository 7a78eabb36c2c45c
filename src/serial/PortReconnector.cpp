#include "PortReconnector.h"

#include "CommPort.h"

#include <QFile>

#include <sys/stat.h>

PortReconnector::PortReconnector(CommPort &port, std::function<bool()> reopen, QObject *parent)
    : QObject(parent), m_port(port), m_reopen(std::move(reopen))
{
    m_checks.setInterval(CheckIntervalMs);
    connect(&m_checks, &QTimer::timeout, this, &PortReconnector::check);
}

void PortReconnector::waitForDevice()
{
    m_path = m_port.deviceName();
    m_failedNode.reset();
    m_checks.start();
}

void PortReconnector::stop()
{
    m_checks.stop();
}

std::optional<PortReconnector::Node> PortReconnector::nodeAt(const QString &path)
{
    struct stat status = {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return Node{quint64(status.st_dev), quint64(status.st_ino),
                qint64(status.st_ctim.tv_sec) * 1000000000 + status.st_ctim.tv_nsec};
}

void PortReconnector::check()
{
    if (m_port.PortOpen()) {
        stop();
        return;
    }
    const std::optional<Node> node = nodeAt(m_path);
    if (!node) {
        m_failedNode.reset();
        return;
    }
    if (node == m_failedNode && m_sinceAttempt.elapsed() < RetryIntervalMs)
        return;
    m_sinceAttempt.start();
    if (!m_reopen()) {
        m_failedNode = node;
        return;
    }
    stop();
    m_port.recordEvent(tr("port %1 reconnected").arg(m_port.deviceName()));
    emit reconnected();
}
