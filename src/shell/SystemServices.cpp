#include "SystemServices.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QMessageBox>

void SystemMessageBoxes::information(const QString &text)
{
    // A message's CR LF is one line break on the screen.
    QMessageBox::information(QApplication::activeWindow(), QStringLiteral("Wirelook"),
                             QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
                             QMessageBox::Ok);
}

bool SystemMessageBoxes::question(const QString &text, const QString &title)
{
    return QMessageBox::question(QApplication::activeWindow(), title, text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void SystemClipboard::setText(const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
}

SystemClock::SystemClock()
{
    m_ticks.start();
}

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

qint64 SystemClock::tickCount() const
{
    return m_ticks.elapsed();
}

void SystemBeeper::beep()
{
    QApplication::beep();
}

QString SystemFileDialogs::saveFileName(const QString &title, const QString &filter,
                                        const QString &fileName)
{
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), title, fileName, filter);
}

QString SystemFileDialogs::appendFileName(const QString &title, const QString &filter,
                                          const QString &fileName)
{
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), title, fileName, filter,
                                        nullptr, QFileDialog::DontConfirmOverwrite);
}

QString SystemFileDialogs::openFileName(const QString &title, const QString &filter,
                                        const QString &fileName)
{
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), title, fileName, filter);
}
