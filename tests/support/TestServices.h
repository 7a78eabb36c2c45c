#pragma once

#include "PlatformServices.h"

#include <QList>
#include <QStringList>

#include <functional>

// Test doubles of the platform services: they record what the user would see.
class RecordingMessageBoxes : public MessageBoxes
{
public:
    void information(const QString &text) override
    {
        shown.append(text);
        if (onShow)
            onShow(text);
    }
    bool question(const QString &text, const QString &title) override
    {
        asked.append(title + QLatin1Char('|') + text);
        return answer;
    }
    QStringList shown;
    std::function<void(const QString &)> onShow; // sees the window as the box comes up
    QStringList asked;      // "title|text" of every question
    bool answer = true;     // what the user answers
};

class RecordingClipboard : public Clipboard
{
public:
    void setText(const QString &value) override { text = value; }
    QString text;
};

class ManualClock : public Clock
{
public:
    QDateTime now() const override { return current; }
    qint64 tickCount() const override { return ticks; }
    QDateTime current = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5));
    qint64 ticks = 0;
};

class CountingBeeper : public Beeper
{
public:
    void beep() override { ++count; }
    int count = 0;
};

// Answers every file dialog with `answer` ("" cancels) and records how each was shown.
class ScriptedFileDialogs : public FileDialogs
{
public:
    struct Showing
    {
        bool save;
        QString title;
        QString filter;
        QString fileName;
    };
    QString saveFileName(const QString &title, const QString &filter,
                         const QString &fileName) override
    {
        showings.append({true, title, filter, fileName});
        return answer;
    }
    QString openFileName(const QString &title, const QString &filter,
                         const QString &fileName) override
    {
        showings.append({false, title, filter, fileName});
        return answer;
    }
    QString appendFileName(const QString &title, const QString &filter,
                           const QString &fileName) override
    {
        return saveFileName(title, filter, fileName);
    }
    QString answer;
    QList<Showing> showings;
};

// A printer whose characters are all 6 points wide at 10 points; it records
// the printed lines of each document, or is missing.
class RecordingPrinter : public Printer
{
public:
    bool beginDocument(QString *reason) override
    {
        if (missing)
            *reason = QStringLiteral("no printer");
        else
            documents.append(QStringList());
        return !missing;
    }
    void setFontSize(int points) override { fontSize = points; }
    qreal textWidth(const QString &text) override { return text.size() * 0.6 * fontSize; }
    void printLine(const QString &text) override { documents.last().append(text); }
    bool endDocument(QString *) override { return true; }
    bool missing = false;
    int fontSize = 0;
    QList<QStringList> documents;
};

// One set of recording services with a PlatformServices view of them.
struct TestServices
{
    RecordingMessageBoxes messageBoxes;
    RecordingClipboard clipboard;
    ManualClock clock;
    CountingBeeper beeper;
    ScriptedFileDialogs fileDialogs;
    RecordingPrinter printer;
    PlatformServices services()
    {
        return {&messageBoxes, &clipboard, &clock, &beeper, &fileDialogs, &printer};
    }
};
