#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

class CommPort;
class DisplayModel;
class DisplayOptions;
class StringSetStore;
struct DisplayColors;

// The transmit style check marks; each is read on its own.
struct TransmitStyle
{
    bool receiveInterruptsAllowed = true;
    bool fullStrings = false;
};

// Sends what the user types on the display and the function-key strings, and
// echoes it in the transmit colors.
//
// A function-key string in the Receive Interrupts Allowed style goes out one
// character per pass of the event loop, so received data and typed keys are
// handled between its characters; a further key-down meanwhile is ignored. In
// the Full Strings style a string shorter than the output queue goes out in
// one write; a longer one in chunks that each wait for the queue to empty.
// Keys that arrive while chunks remain are echoed at once and sent after the
// string, so nothing comes between its characters.
class KeyboardTransmitter : public QObject
{
    Q_OBJECT

public:
    enum KeyCode { KeyBackspace = 8, KeyF1 = 112, KeyF12 = 123 };
    enum ShiftState { ShiftMask = 1, CtrlMask = 2, AltMask = 4 };

    KeyboardTransmitter(CommPort &port, DisplayModel &model, const DisplayOptions &options,
                        const DisplayColors &colors, const StringSetStore &strings,
                        QObject *parent = nullptr);

    // A typed character: sent at once if the port is open, echoed (red when closed).
    void keyPress(uchar character);
    // A key pressed; returns true when the key was consumed (function keys
    // and Backspace), false when the display should handle it.
    bool keyDown(int keyCode, int shiftState, TransmitStyle style);

    bool isBusy() const { return m_busy; }

    // While another sender holds the keys, typed characters, function keys
    // and Backspace are echoed at once and sent, in order, once every hold is
    // released.
    void holdKeys() { ++m_otherHolds; }
    void releaseKeys();

signals:
    // A function-key string has been echoed and sent.
    void stringSent();

private:
    void startString(const QByteArray &string, TransmitStyle style);
    void continueCharacters();
    // Sends now, or after the string while its chunks are being handed over.
    void send(const QByteArray &bytes);
    void appendEcho(uchar character);
    void flushEcho();
    void finishEcho();
    void writeChunk();
    void sendNextChunk();
    void finishString();
    bool holdingKeys() const { return m_holdingKeys || m_otherHolds > 0; }
    quint32 echoColor(uchar character, bool *isFunction = nullptr) const;

    CommPort &m_port;
    DisplayModel &m_model;
    const DisplayOptions &m_options;
    const DisplayColors &m_colors;
    const StringSetStore &m_strings;

    bool m_busy = false;        // a function-key string is being sent
    bool m_holdingKeys = false; // chunks of a Full Strings send remain
    int m_otherHolds = 0;       // holds of other senders
    QByteArray m_unsent;        // those chunks, then the keys held meanwhile

    QByteArray m_string;
    TransmitStyle m_style;
    qsizetype m_next = 0; // next character of the string to echo
    QByteArray m_echo;
    quint32 m_echoColor = 0;
    QTimer m_stepTimer;
};

// How many characters a selection of display text stands for: a five-character
// token counts as one, line-break characters count as none.
qsizetype SelectionCount(QByteArrayView selectedText);
