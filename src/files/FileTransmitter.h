#pragma once

#include "KeyboardTransmitter.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QTimer>

class CommonDialog;
class CommPort;
class DisplayModel;
class DisplayOptions;
class MessageBoxes;
struct DisplayColors;

// Sends the bytes of a file the user chooses through the port, unchanged, and
// echoes them in the transmit colors as if they had been typed; with the port
// closed nothing is sent and the echo is red. Echo text of one color goes to
// the display in one append, as for typed strings.
//
// The file goes out in slices on the event loop. A slice fills the port's
// output queue up to its size less a small reserve and never beyond, so a
// large file neither stalls the window nor loses bytes on a full queue, and
// only one slice of the file is held in memory. Between slices received data
// are shown. In the Receive Interrupts Allowed style typed characters go out
// between the file's bytes; without it keys wait until the whole file has
// been handed over. A function-key string that is being sent goes out whole
// before the file goes on.
//
// A file that cannot be read to its end stops the send silently: what was
// sent stays sent and is shown. A port that closes under the send (freed by
// the user, or the device lost) stops it with a red marker that tells how
// many bytes went out, and so does the user's stop.
class FileTransmitter : public QObject
{
    Q_OBJECT

public:
    FileTransmitter(CommPort &port, DisplayModel &model, const DisplayOptions &options,
                    const DisplayColors &colors, KeyboardTransmitter &keyboard,
                    CommonDialog &dialog, MessageBoxes &messages, QObject *parent = nullptr);

    // Asks for the file, then sends it; while a file is being sent, asks
    // whether to stop it instead.
    void transmitFile(TransmitStyle style);
    void transmit(const QString &path, TransmitStyle style);
    bool isBusy() const { return m_file.isOpen(); }
    // Ends the send where it is, with the marker.
    void stop();

signals:
    void busyChanged(bool busy);
    // How far the send is, for the status bar; empty once it has ended.
    void progress(const QString &text);

private:
    void sendSlice();
    void echo(QByteArrayView bytes, bool portOpen);
    void flushLongEcho();
    void reportProgress();
    void finish(bool stopped = false);

    CommPort &m_port;
    DisplayModel &m_model;
    const DisplayOptions &m_options;
    const DisplayColors &m_colors;
    KeyboardTransmitter &m_keyboard;
    CommonDialog &m_dialog;
    MessageBoxes &m_messages;

    QFile m_file;
    TransmitStyle m_style;
    qint64 m_total = 0;
    qint64 m_remaining = 0;
    bool m_portWasOpen = false; // the port was seen open during this send
    QElapsedTimer m_sinceProgress;
    QByteArray m_echo;
    quint32 m_echoColor = 0;
    QTimer m_stepTimer;
};
