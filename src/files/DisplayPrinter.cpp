#include "DisplayPrinter.h"

#include "PlatformServices.h"

#include <cmath>

const QString DisplayPrinter::Ruler = QStringLiteral(
    "123456789 123456789 123456789 123456789 123456789 123456789 123456789 123456789 "
    "123456789 123456789.");

DisplayPrinter::DisplayPrinter(Printer &printer, MessageBoxes &messages)
    : m_printer(printer), m_messages(messages)
{
}

bool DisplayPrinter::print(QByteArrayView text, qreal letterWidth)
{
    QString reason;
    if (!m_printer.beginDocument(&reason)) {
        m_messages.information(reason);
        return false;
    }
    m_printer.setFontSize(FontSize);
    const qreal pieces = letterWidth > 0 ? std::floor(m_printer.textWidth(Ruler) / letterWidth) : 0;
    m_lineWidth = int(std::clamp<qreal>(pieces, 1, 1e9));
    m_printer.printLine(QStringLiteral(" "));
    for (qsizetype start = 0; start < text.size(); start += m_lineWidth) {
        const QByteArrayView piece =
            text.sliced(start, std::min<qsizetype>(m_lineWidth, text.size() - start));
        m_printer.printLine(QLatin1Char(' ') + QString::fromLatin1(piece));
    }
    if (!m_printer.endDocument(&reason)) {
        m_messages.information(reason);
        return false;
    }
    return true;
}
