#pragma once

#include "PlatformServices.h"

#include <QFont>
#include <QPainter>

#include <memory>

class QPrinter;

// The printer service on QPrinter: the system's default printer with its
// default settings, or a PDF file. Text is set in the system's fixed-pitch
// font from the top left of the printable area down.
class QtPrinter : public Printer
{
public:
    // An empty pdfFile prints on the default printer.
    explicit QtPrinter(const QString &pdfFile = QString());
    ~QtPrinter() override;

    bool beginDocument(QString *reason) override;
    void setFontSize(int points) override;
    qreal textWidth(const QString &text) override;
    void printLine(const QString &text) override;
    bool endDocument(QString *reason) override;

private:
    QString m_pdfFile;
    std::unique_ptr<QPrinter> m_printer;
    QPainter m_painter;
    QFont m_font;
    qreal m_y = 0;
};
