#include "SessionLog.h"

#include "FileTarget.h"
#include "PlatformServices.h"

#include <QDir>
#include <QSignalBlocker>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

SessionLog::SessionLog(const DisplayOptions &options, const Clock &clock, MessageBoxes &messages,
                       QObject *parent)
    : QObject(parent), m_messages(messages), m_lines(options, clock)
{
    m_flushTimer.setInterval(FlushIntervalMs);
    connect(&m_flushTimer, &QTimer::timeout, this, [this] {
        m_lines.endIfPaused();
        writeOut();
    });
}

SessionLog::~SessionLog()
{
    const QSignalBlocker quiet(this);
    if (finish())
        close();
}

bool SessionLog::start(const QString &path)
{
    stop();
    m_file.setFileName(path);
    QString reason;
    if (!FileTarget::openForAppending(m_file, &reason)) {
        m_messages.information(tr("The log file %1 could not be opened: %2")
                                   .arg(QDir::toNativeSeparators(path), reason));
        return false;
    }
    struct stat status = {};
    if (::fstat(m_file.handle(), &status) == 0) {
        m_device = status.st_dev;
        m_inode = status.st_ino;
    }
    m_lines.takeText();
    m_lines.addEvent(tr("log started"));
    m_flushTimer.start();
    emit loggingChanged(true);
    writeOut();
    return isLogging();
}

void SessionLog::stop()
{
    if (finish()) {
        close();
        emit loggingChanged(false);
    }
}

bool SessionLog::finish()
{
    if (!isLogging())
        return false;
    m_lines.addEvent(tr("log stopped"));
    writeOut();
    return isLogging();
}

void SessionLog::received(QByteArrayView data)
{
    addData(SessionLogLines::Direction::Received, data);
}

void SessionLog::sent(QByteArrayView data)
{
    addData(SessionLogLines::Direction::Sent, data);
}

void SessionLog::addData(SessionLogLines::Direction direction, QByteArrayView data)
{
    if (!isLogging())
        return;
    m_lines.addData(direction, data);
    if (m_lines.textSize() >= WriteThreshold)
        writeOut();
}

void SessionLog::event(const QString &text)
{
    if (isLogging())
        m_lines.addEvent(text);
}

void SessionLog::writeOut()
{
    if (!isLogging())
        return;
    QString reason;
    if (!fileStillThere(&reason)) {
        fail(reason);
        return;
    }
    if (!FileTarget::writeAll(m_file, m_lines.takeText(), &reason))
        fail(reason);
}

// Writing to a removed file succeeds and is lost with it.
bool SessionLog::fileStillThere(QString *reason) const
{
    struct stat status = {};
    if (::stat(QFile::encodeName(m_file.fileName()).constData(), &status) != 0) {
        *reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    if (status.st_dev != m_device || status.st_ino != m_inode) {
        *reason = tr("another file has taken its place");
        return false;
    }
    return true;
}

void SessionLog::fail(const QString &reason)
{
    const QString name = QDir::toNativeSeparators(m_file.fileName());
    close();
    emit loggingChanged(false);
    m_messages.information(tr("Logging to %1 stopped: %2").arg(name, reason));
}

void SessionLog::close()
{
    m_flushTimer.stop();
    m_file.close();
    m_lines.endLine();
    m_lines.takeText();
}
