#pragma once

#include <QByteArray>
#include <QString>

class Clock;
class DisplayOptions;

// The text of a session log. Each line is a local time to the millisecond
// (ISO 8601), a blank, a direction mark ('<' received, '>' sent, '!' event),
// a blank, then the bytes in the display's token form, and CR LF. A data
// line ends after the break character, where the direction changes, when the
// data pause for more than PauseMs, and at MaxLineBytes bytes; its time is
// that of its first byte.
//
// Printable characters stand for themselves and the others are their display
// tokens, whatever the display options say, except that "[" is written as the
// token "[x5B]": so no text in a log reads as a token it is not, and the token
// decoder gives back exactly the bytes.
class SessionLogLines
{
public:
    static constexpr qsizetype MaxLineBytes = 4096;
    static constexpr qint64 PauseMs = 100;
    // No line is longer: a stamp, a mark and MaxLineBytes tokens of five.
    static constexpr qsizetype LongestLine = 32 + MaxLineBytes * 5;

    enum class Direction : char
    {
        Received = '<',
        Sent = '>',
        Event = '!',
    };

    SessionLogLines(const DisplayOptions &options, const Clock &clock);

    void addData(Direction direction, QByteArrayView data);
    void addEvent(const QString &text);
    // Ends the open data line if its data have paused for more than PauseMs.
    void endIfPaused();
    void endLine();

    // The text made so far, removed.
    QByteArray takeText();
    qsizetype textSize() const { return m_text.size(); }

    // The log text of one byte.
    static QByteArrayView byteText(uchar byte);

private:
    void startLine(Direction direction, qint64 tick);
    void appendBytes(const char *bytes, qsizetype count);

    const DisplayOptions &m_options;
    const Clock &m_clock;
    QByteArray m_text;
    bool m_lineOpen = false;
    Direction m_direction = Direction::Received;
    qsizetype m_lineBytes = 0;
    qint64 m_lastDataTick = 0;
    qint64 m_stampTick = 0; // the tick m_stamp was made at
    QByteArray m_stamp;
};
