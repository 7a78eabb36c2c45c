#pragma once

#include <QString>

#include <functional>

class CommPort;

// The six settings boxes as the user left them.
struct PortSettingsTexts
{
    QString port;
    QString baud;
    QString parity;
    QString dataBits;
    QString stopBits;
    QString handshaking;

    bool operator==(const PortSettingsTexts &other) const = default;
};

// The port button's three states.
enum class PortState { Busy, Free, Active };

struct PortOpening
{
    PortState state = PortState::Free;
    QString message;        // for a message box; empty when none is due
    QString settingsString; // "9600,N,8,1": the settings text last built
    qint32 lineRate = 0;    // the rate set on the device, after the card's division
    // Names the device and both rates when the driver applied a rate more
    // than 2% away from lineRate; empty otherwise.
    QString rateWarning;
};

// Reopens the port with the box settings: closes it, checks the typed baud
// rate (10 to 115200, or to 4,000,000 with highSpeedRates, before the card's
// division), builds the settings text with 9600 as its rate, opens the port
// and then sets the real line rate, divided by the multiplier card (1, 2 or 4)
// and rounded halves to even, and reads back the rate the driver applied.
// reapplyLines runs after a successful open (RTS, DTR). The messages for a
// port that is not valid or is busy go on with a line naming the device and
// the reason.
PortOpening EnableCommPort(CommPort &port, const PortSettingsTexts &texts, int cardDivisor,
                           const std::function<void()> &reapplyLines, bool highSpeedRates = false);
