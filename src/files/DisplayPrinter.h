#pragma once

#include <QByteArrayView>
#include <QString>

class MessageBoxes;
class Printer;

// Prints display text on the default printer at 10 points: first a line
// holding one blank, then the text cut into pieces of L characters, each
// printed after one blank, without word wrap. Line breaks inside a piece
// start new lines there. L is the width of a 100-character ruler in the
// printer's font divided by the width of the letter "N" in the main window's
// font, at least 1. Where there is no printer, a message says so.
class DisplayPrinter
{
public:
    static constexpr int FontSize = 10;
    static const QString Ruler;

    DisplayPrinter(Printer &printer, MessageBoxes &messages);

    // letterWidth: the width of "N" in the main window's font, in points.
    // Returns false when nothing was printed.
    bool print(QByteArrayView text, qreal letterWidth);
    // L of the last print job.
    int lineWidth() const { return m_lineWidth; }

private:
    Printer &m_printer;
    MessageBoxes &m_messages;
    int m_lineWidth = 0;
};
