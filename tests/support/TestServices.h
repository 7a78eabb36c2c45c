#pragma once

#include "PlatformServices.h"

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
    void setText(const QString &value) override
    {
        text = value;
        ++setCount;
    }
    QString text;
    int setCount = 0;
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

// One set of recording services with a PlatformServices view of them.
struct TestServices
{
    RecordingMessageBoxes messageBoxes;
    RecordingClipboard clipboard;
    ManualClock clock;
    CountingBeeper beeper;
    PlatformServices services() { return {&messageBoxes, &clipboard, &clock, &beeper}; }
};
