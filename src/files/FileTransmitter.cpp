#include "FileTransmitter.h"

#include "ColorValue.h"
#include "CommPort.h"
#include "CommonDialog.h"
#include "DisplayColors.h"
#include "DisplayModel.h"
#include "DisplayOptions.h"
#include "FileTarget.h"
#include "GeneralUtilities.h"
#include "PlatformServices.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {
const QString TransmitTitle = QStringLiteral("Select the file to be transmitted.");
// Room kept free in the output queue for typed characters.
constexpr qint64 QueueReserve = 10;
// The most read at once, and how long a slice may go on while nothing is sent.
constexpr qint64 ReadChunk = 16384;
constexpr qint64 SliceMs = 4;
// While the queue has less room than this (or than half of it), the next
// look comes after a pause.
constexpr qint64 QueueLowRoom = 4096;
constexpr int QueuePollMs = 2;
// Echo text beyond this goes to the display at the end of a slice.
constexpr qsizetype LongEcho = 65536;
// The status bar hears how far the send is at most this often.
constexpr qint64 ProgressMs = 100;
} // namespace

FileTransmitter::FileTransmitter(CommPort &port, DisplayModel &model, const DisplayOptions &options,
                                 const DisplayColors &colors, KeyboardTransmitter &keyboard,
                                 CommonDialog &dialog, MessageBoxes &messages, QObject *parent)
    : QObject(parent), m_port(port), m_model(model), m_options(options), m_colors(colors),
      m_keyboard(keyboard), m_dialog(dialog), m_messages(messages)
{
    m_stepTimer.setSingleShot(true);
    connect(&m_stepTimer, &QTimer::timeout, this, &FileTransmitter::sendSlice);
}

void FileTransmitter::transmitFile(TransmitStyle style)
{
    if (isBusy()) {
        // The send goes on while the question is open, and may end meanwhile.
        const QString name = QFileInfo(m_file.fileName()).fileName();
        if (m_messages.question(QStringLiteral("Stop sending %1?").arg(name),
                                QStringLiteral("Transmit a File")))
            stop();
        return;
    }
    const QString path = m_dialog.showOpen(TransmitTitle);
    if (!path.isEmpty())
        transmit(path, style);
}

void FileTransmitter::transmit(const QString &path, TransmitStyle style)
{
    if (isBusy())
        return;
    if (const QString why = FileTarget::whyNotAFile(path); !why.isEmpty()) {
        // A missing file keeps its long-standing first line.
        const QString missing =
            QFileInfo::exists(path) ? QString() : QStringLiteral("No File Selected Yet\r\n");
        m_messages.information(missing + QStringLiteral("The file %1 cannot be sent: %2")
                                             .arg(QDir::toNativeSeparators(path), why));
        return;
    }
    m_file.setFileName(path);
    // Unbuffered: only the slice being sent is held, and a failing read stops at once.
    if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        m_messages.information(QStringLiteral("The file %1 could not be read: %2")
                                   .arg(QDir::toNativeSeparators(path), m_file.errorString()));
        return;
    }
    m_style = style;
    m_total = m_file.size();
    m_remaining = m_total;
    m_portWasOpen = m_port.PortOpen();
    m_sinceProgress.invalidate();
    m_echo.clear();
    m_echoColor = 0;
    // Without the Receive Interrupts Allowed style nothing comes between the file's bytes.
    if (!m_style.receiveInterruptsAllowed)
        m_keyboard.holdKeys();
    emit busyChanged(true);
    sendSlice();
}

void FileTransmitter::sendSlice()
{
    // The display hears once per slice, however many runs it gets.
    const DisplayModel::ChangeBatch batch(m_model);
    QElapsedTimer elapsed;
    elapsed.start();
    while (m_remaining > 0) {
        const bool open = m_port.PortOpen();
        if (m_portWasOpen && !open) {
            stop();
            return;
        }
        m_portWasOpen = open;
        if (m_keyboard.isBusy()) {
            flushLongEcho();
            m_stepTimer.start(QueuePollMs);
            return;
        }
        qint64 count = std::min(m_remaining, ReadChunk);
        if (open) {
            const qint64 capacity = std::max(1, m_port.OutBufferSize() - int(QueueReserve));
            const qint64 room = capacity - m_port.OutBufferCount();
            // Each write waits for a good part of the queue, or for the rest of the file.
            if (room <= 0 || room < std::min({count, capacity / 2, QueueLowRoom})) {
                flushLongEcho();
                reportProgress();
                m_stepTimer.start(QueuePollMs);
                return;
            }
            count = std::min(count, room);
        }
        const QByteArray bytes = m_file.read(count);
        if (!bytes.isEmpty()) {
            echo(bytes, open);
            if (open)
                m_port.Output(bytes);
            m_remaining -= bytes.size();
        }
        if (bytes.size() < count)
            break;
        // An open port writes what was queued once the event loop runs.
        if (open || elapsed.elapsed() >= SliceMs) {
            flushLongEcho();
            reportProgress();
            m_stepTimer.start(0);
            return;
        }
    }
    finish();
}

void FileTransmitter::echo(QByteArrayView bytes, bool portOpen)
{
    for (const char byte : bytes) {
        const auto token = GeneralUtilities::CharacterTokenOf(uchar(byte), m_options);
        const quint32 color = !portOpen          ? ColorValue::Red
                              : token.isFunction ? m_colors.xmitFunc
                                                 : m_colors.xmitChar;
        if (!m_echo.isEmpty() && color != m_echoColor) {
            m_model.putInDisplay(m_echo, m_echoColor, m_options.breakCharacter());
            m_echo.clear();
        }
        m_echo += token.text;
        m_echoColor = color;
    }
}

void FileTransmitter::flushLongEcho()
{
    if (m_echo.size() <= LongEcho)
        return;
    // The part kept back is longer than the break character, so the run's
    // last append can never equal it, as a single append could not.
    const qsizetype keep = m_options.breakCharacter().size() + 1;
    m_model.putInDisplay(QByteArrayView(m_echo).first(m_echo.size() - keep), m_echoColor,
                         m_options.breakCharacter());
    m_echo.remove(0, m_echo.size() - keep);
}

void FileTransmitter::reportProgress()
{
    if (m_sinceProgress.isValid() && m_sinceProgress.elapsed() < ProgressMs)
        return;
    m_sinceProgress.start();
    const qint64 sent = m_total - m_remaining;
    emit progress(QStringLiteral("Sent %1 of %2 bytes (%3%)")
                      .arg(sent)
                      .arg(m_total)
                      .arg(sent * 100 / m_total));
}

void FileTransmitter::stop()
{
    if (isBusy())
        finish(true);
}

void FileTransmitter::finish(bool stopped)
{
    m_stepTimer.stop();
    const QByteArrayView lineEnd = m_options.breakCharacter();
    m_model.putInDisplay(m_echo, m_echoColor, lineEnd);
    m_echo.clear();
    if (stopped) {
        // On a line of its own.
        if (m_model.lineLength(m_model.lineCount() - 1) > 0)
            m_model.putInDisplay("\r\n", ColorValue::Red, lineEnd);
        m_model.putInDisplay("***Transmit stopped: " + QByteArray::number(m_total - m_remaining) +
                                 " of " + QByteArray::number(m_total) + " bytes sent***\r\n",
                             ColorValue::Red, lineEnd);
    }
    m_file.close();
    m_remaining = 0;
    if (!m_style.receiveInterruptsAllowed)
        m_keyboard.releaseKeys();
    emit progress(QString());
    emit busyChanged(false);
}
