#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// Splits what a terminal device delivers with error marking on (PARMRK) into
// plain data and marked bytes:
//   \377 \377    a data byte 0xFF
//   \377 \0 \0   a break, or a parity or framing error on a NUL
//   \377 \0 X    a parity or framing error on the byte X
// A marker may be split over reads; the parser keeps its place between them.
// A \377 followed by anything else stands for itself. With marking off,
// every byte is data.
class LineMarkerParser
{
public:
    struct Piece
    {
        enum Kind
        {
            Data,
            Marked
        };
        Kind kind;
        QByteArray bytes; // Data: the bytes; Marked: the one byte received with the error

        bool operator==(const Piece &) const = default;
    };

    explicit LineMarkerParser(bool marking = true) : m_marking(marking) {}

    // Also forgets an unfinished marker.
    void setMarking(bool marking);
    bool marking() const { return m_marking; }
    void reset() { m_state = State::Plain; }

    // The pieces of this read, neighbouring data joined into one piece.
    QList<Piece> feed(QByteArrayView bytes);

private:
    enum class State
    {
        Plain,
        AfterEscape,
        AfterEscapeNul
    };

    bool m_marking;
    State m_state = State::Plain;
};

// Error counts of the driver that no marked byte has used yet.
struct LineErrorCounts
{
    int breaks = 0;
    int framing = 0;
    int parity = 0;
};

struct LineEvent
{
    int code;      // CommPort::Break, FramingError or ParityError
    bool keepByte; // whether the marked byte is also received data
};

// What a marked byte stands for, using up one of the counts when there is a
// matching one: a marked NUL is a break if a break is counted, otherwise a
// parity error, otherwise a framing error. Without a matching count, a marked
// NUL is a break, and any other marked byte a parity error when parity is on
// and a framing error when it is off. The byte of a break is not data.
LineEvent classifyMarkedByte(char byte, LineErrorCounts *unused, bool parityOn);
