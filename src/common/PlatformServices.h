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

class FileDialogs
{
public:
    virtual ~FileDialogs() = default;
    // Asks for a file to write or to read; filter is a description with its
    // patterns in brackets, "Text (*.txt)", or several joined by ";;". The
    // dialog starts at fileName.
    // Returns the chosen path, or an empty name when the user cancels.
    virtual QString saveFileName(const QString &title, const QString &filter,
                                 const QString &fileName) = 0;
    virtual QString openFileName(const QString &title, const QString &filter,
                                 const QString &fileName) = 0;
    // As saveFileName, for a file that is appended to: an existing file is
    // not questioned.
    virtual QString appendFileName(const QString &title, const QString &filter,
                                   const QString &fileName) = 0;
};

// The default printer with its default settings; lengths are in points.
class Printer
{
public:
    virtual ~Printer() = default;
    // Starts a document; false, with the reason, when there is no printer.
    virtual bool beginDocument(QString *reason) = 0;
    virtual void setFontSize(int points) = 0;
    // The width of text in the current font.
    virtual qreal textWidth(const QString &text) = 0;
    // Prints text and moves to a new line, to a new page when this one is
    // full. A CR LF, a CR or an LF inside the text also starts a new line.
    virtual void printLine(const QString &text) = 0;
    // Ends the document and sends it; false, with the reason, when that fails.
    virtual bool endDocument(QString *reason) = 0;
};

// The set of services handed to the windows.
struct PlatformServices
{
    MessageBoxes *messageBoxes = nullptr;
    Clipboard *clipboard = nullptr;
    Clock *clock = nullptr;
    Beeper *beeper = nullptr;
    FileDialogs *fileDialogs = nullptr;
    Printer *printer = nullptr;
};
