#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Platform services reached through small interfaces, so that logic and
// windows can be tested without modal boxes, a real clipboard or a real clock.

class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    // Shows text with an OK button and the program's title.
    virtual void information(const QString &text) = 0;
    // Asks a question with Yes and No buttons; true for Yes.
    virtual bool question(const QString &text, const QString &title) = 0;
};

class Clipboard
{
public:
    virtual ~Clipboard() = default;
    virtual void setText(const QString &text) = 0;
};

class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // Milliseconds from a monotonic origin.
    virtual qint64 tickCount() const = 0;
};

class Beeper
{
public:
    virtual ~Beeper() = default;
    // Sounds the system beep once.
    virtual void beep() = 0;
};

// The set of services handed to the windows.
struct PlatformServices
{
    MessageBoxes *messageBoxes = nullptr;
    Clipboard *clipboard = nullptr;
    Clock *clock = nullptr;
    Beeper *beeper = nullptr;
};
