#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Framing and rate of the line, as written in a settings text such as
// "9600,N,8,1": rate, parity letter (N E O M S), data bits (4 to 8) and stop
// bits (1, 1.5 or 2). Whether a device can use them is the port's concern.
struct LineSettings
{
    enum class Parity
    {
        None,
        Even,
        Odd,
        Mark,
        Space
    };
    enum class StopBits
    {
        One,
        OneAndHalf,
        Two
    };

    qint32 baudRate = 9600;
    Parity parity = Parity::None;
    int dataBits = 8;
    StopBits stopBits = StopBits::One;

    // Fields may carry surrounding blanks; the parity letter may be lower case.
    static std::optional<LineSettings> parse(QStringView text);

    bool operator==(const LineSettings &) const = default;
};

// Flow control by its number: 0 none, 1 XON/XOFF, 2 RTS/CTS, 3 both.
enum class Handshaking
{
    None = 0,
    XonXoff = 1,
    RtsCts = 2,
    Both = 3
};
