#include "QtPrinter.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>

QtPrinter::QtPrinter(const QString &pdfFile) : m_pdfFile(pdfFile) {}

QtPrinter::~QtPrinter()
{
    if (m_painter.isActive())
        m_painter.end();
}

bool QtPrinter::beginDocument(QString *reason)
{
    if (m_pdfFile.isEmpty()) {
        const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
        if (printer.isNull()) {
            *reason =
                QStringLiteral("There is no printer to print on: no default printer is set up.");
            return false;
        }
        m_printer = std::make_unique<QPrinter>(printer, QPrinter::HighResolution);
    } else {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_printer->setOutputFormat(QPrinter::PdfFormat);
        m_printer->setOutputFileName(m_pdfFile);
    }
    if (!m_painter.begin(m_printer.get())) {
        *reason = QStringLiteral("The printer %1 could not start the document.")
                      .arg(m_pdfFile.isEmpty() ? m_printer->printerName() : m_pdfFile);
        return false;
    }
    m_font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_painter.setFont(m_font);
    m_y = 0;
    return true;
}

void QtPrinter::setFontSize(int points)
{
    m_font.setPointSize(points);
    m_painter.setFont(m_font);
}

qreal QtPrinter::textWidth(const QString &text)
{
    const QFontMetricsF metrics(m_font, m_printer.get());
    return metrics.horizontalAdvance(text) * 72.0 / m_printer->resolution();
}

void QtPrinter::printLine(const QString &text)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    const QFontMetricsF metrics(m_font, m_printer.get());
    const qreal pageHeight = m_painter.viewport().height();
    for (const QString &line : text.split(lineBreak)) {
        if (m_y > 0 && m_y + metrics.height() > pageHeight) {
            m_printer->newPage();
            m_y = 0;
        }
        m_painter.drawText(QPointF(0, m_y + metrics.ascent()), line);
        m_y += metrics.lineSpacing();
    }
}

bool QtPrinter::endDocument(QString *reason)
{
    if (m_painter.end())
        return true;
    *reason = QStringLiteral("The printer %1 could not finish the document.")
                  .arg(m_pdfFile.isEmpty() ? m_printer->printerName() : m_pdfFile);
    return false;
}
