#pragma once

#include "PlatformServices.h"
#include "QtPrinter.h"

#include <QElapsedTimer>

// The real platform services of a running program.
class SystemMessageBoxes : public MessageBoxes
{
public:
    void information(const QString &text) override;
    bool question(const QString &text, const QString &title) override;
};

class SystemClipboard : public Clipboard
{
public:
    void setText(const QString &text) override;
};

class SystemClock : public Clock
{
public:
    SystemClock();
    QDateTime now() const override;
    qint64 tickCount() const override;

private:
    QElapsedTimer m_ticks;
};

class SystemBeeper : public Beeper
{
public:
    void beep() override;
};

class SystemFileDialogs : public FileDialogs
{
public:
    QString saveFileName(const QString &title, const QString &filter,
                         const QString &fileName) override;
    QString openFileName(const QString &title, const QString &filter,
                         const QString &fileName) override;
    QString appendFileName(const QString &title, const QString &filter,
                           const QString &fileName) override;
};

class SystemServices
{
public:
    PlatformServices services()
    {
        return {&m_messageBoxes, &m_clipboard, &m_clock, &m_beeper, &m_fileDialogs, &m_printer};
    }

private:
    SystemMessageBoxes m_messageBoxes;
    SystemClipboard m_clipboard;
    SystemClock m_clock;
    SystemBeeper m_beeper;
    SystemFileDialogs m_fileDialogs;
    QtPrinter m_printer;
};
