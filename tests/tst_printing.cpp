#include "DisplayPrinter.h"
#include "MainWindowFixture.h"
#include "QtPrinter.h"

#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A line of a printed page, as pdftotext reads it back.
struct PrintedLine
{
    qreal left;
    QString text; // its words, joined by one blank
};
using Page = QMap<int, PrintedLine>; // by line number, 0 at the top of the page

struct Word
{
    qreal x;
    qreal y;
    QString text;
};

// The words of each page, read back from a PDF with pdftotext.
QList<QList<Word>> pdfWords(const QString &pdf)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {"-bbox", pdf, "-"});
    if (!pdftotext.waitForFinished(20000))
        return {};
    static const QRegularExpression item(
        QStringLiteral("<page |<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>([^<]*)</word>"));
    QList<QList<Word>> pages;
    for (const auto &match :
         item.globalMatch(QString::fromUtf8(pdftotext.readAllStandardOutput()))) {
        if (match.captured(1).isEmpty())
            pages.append(QList<Word>());
        else if (!pages.isEmpty())
            pages.last().append(
                {match.captured(1).toDouble(), match.captured(2).toDouble(), match.captured(3)});
    }
    return pages;
}

// Prints display text to PDF files and reads the pages back.
class PdfPrinting
{
public:
    // The width of "N" in the window's font, in points.
    static constexpr qreal LetterWidth = 7.5;

    PdfPrinting()
    {
        // Line 1 and line 2 give the top of the page and the line spacing.
        const QList<QList<Word>> reference = printWords("1\r\n2");
        if (reference.size() == 1 && reference[0].size() == 2) {
            m_spacing = reference[0][1].y - reference[0][0].y;
            m_top = reference[0][0].y - m_spacing;
        }
    }
    bool measured() const { return m_spacing > 0; }
    int lineWidth() const { return m_lineWidth; }

    QList<Page> print(const QByteArray &text) { return pages(printWords(text)); }

    QList<Page> pages(const QList<QList<Word>> &words) const
    {
        QList<Page> result;
        for (const QList<Word> &pageWords : words) {
            Page page;
            for (const Word &word : pageWords) {
                PrintedLine &line = page[qRound((word.y - m_top) / m_spacing)];
                if (line.text.isEmpty())
                    line.left = word.x;
                else
                    line.text += QLatin1Char(' ');
                line.text += word.text;
            }
            result.append(page);
        }
        return result;
    }
    QString pdfPath() const { return m_dir.filePath(QStringLiteral("print.pdf")); }

private:
    QList<QList<Word>> printWords(const QByteArray &text)
    {
        QtPrinter printer(pdfPath());
        RecordingMessageBoxes messages;
        DisplayPrinter displayPrinter(printer, messages);
        if (!displayPrinter.print(text, LetterWidth))
            return {};
        m_lineWidth = displayPrinter.lineWidth();
        return pdfWords(pdfPath());
    }

    QTemporaryDir m_dir;
    qreal m_top = 0;
    qreal m_spacing = 0;
    int m_lineWidth = 0;
};

QStringList lineTexts(const Page &page)
{
    QStringList texts;
    for (const PrintedLine &line : page)
        texts.append(line.text);
    return texts;
}

} // namespace

class TestPrinting : public QObject
{
    Q_OBJECT

private slots:
    void pieces_data();
    void pieces();
    void pdfPiecesAndLineBreaks();
    void fortyThousandCharactersPrintCompletely();
    void printMenus_data();
    void printMenus();
    void missingPrinterIsReported();
};

void TestPrinting::pieces_data()
{
    // The recording printer's ruler is 600 points wide.
    QTest::addColumn<qreal>("letterWidth");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("lines");

    const QString hundred(100, QLatin1Char('x'));
    QTest::newRow("empty") << 6.0 << QByteArray() << QStringList{" "};
    QTest::newRow("exactly L") << 6.0 << hundred.toLatin1() << QStringList{" ", " " + hundred};
    QTest::newRow("L rounds down")
        << 7.0 << QByteArray(90, 'x') << QStringList{" ", " " + QString(85, 'x'), " xxxxx"};
    QTest::newRow("L is at least 1") << 0.0 << QByteArray("ab") << QStringList{" ", " a", " b"};
    QTest::newRow("line break kept") << 6.0 << QByteArray("a\r\nb") << QStringList{" ", " a\r\nb"};
}

void TestPrinting::pieces()
{
    QFETCH(qreal, letterWidth);
    QFETCH(QByteArray, text);

    TestServices services;
    DisplayPrinter printer(services.printer, services.messageBoxes);
    QVERIFY(printer.print(text, letterWidth));
    QCOMPARE(services.printer.fontSize, 10);
    QCOMPARE(services.printer.documents.size(), 1);
    QTEST(services.printer.documents[0], "lines");
}

void TestPrinting::pdfPiecesAndLineBreaks()
{
    PdfPrinting pdf;
    QVERIFY(pdf.measured());
    const int width = pdf.lineWidth();
    QVERIFY(width > 1);

    const QList<Page> empty = pdf.print("");
    QCOMPARE(empty.size(), 1);
    QVERIFY(empty[0].isEmpty()); // the blank line shows no text

    const QString exact(width, QLatin1Char('A'));
    QList<Page> pages = pdf.print(exact.toLatin1());
    QCOMPARE(pages.size(), 1);
    QCOMPARE(pages[0].keys(), QList<int>{1});
    QCOMPARE(pages[0][1].text, exact);

    // Text after a line break inside a piece starts at the edge, without the blank.
    pages = pdf.print("ab\r\ncd");
    QCOMPARE(lineTexts(pages[0]), (QStringList{"ab", "cd"}));
    QCOMPARE(pages[0].keys(), (QList<int>{1, 2}));
    QVERIFY(pages[0][2].left < pages[0][1].left);
}

void TestPrinting::fortyThousandCharactersPrintCompletely()
{
    PdfPrinting pdf;
    QVERIFY(pdf.measured());
    QByteArray display;
    for (int line = 0; display.size() < 40000; ++line) {
        display += "Line" + QByteArray::number(line).rightJustified(5, '0') + " ";
        display +=
            QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789[CR ][x8A]").repeated(2).left(68);
        display += "\r\n";
    }
    display.truncate(40000);
    QCOMPARE(display.size(), 40000);

    const QList<Page> pages = pdf.print(display);
    QVERIFY(pages.size() > 1);
    QString printed;
    for (const Page &page : pages)
        printed += lineTexts(page).join(QString());
    QString expected = QString::fromLatin1(display);
    expected.remove(QRegularExpression(QStringLiteral("\\s")));
    printed.remove(QLatin1Char(' '));
    QCOMPARE(printed, expected);
}

void TestPrinting::printMenus_data()
{
    QTest::addColumn<QByteArray>("menu");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("all data") << QByteArray("mnuPrintAlldata")
                              << QStringList{"first[CR ]", "second[CR ]"};
    QTest::newRow("selected data") << QByteArray("mnuPrintSelectedData") << QStringList{"second"};
}

void TestPrinting::printMenus()
{
    QFETCH(QByteArray, menu);

    PdfPrinting pdf;
    QVERIFY(pdf.measured());
    TestServices services;
    QtPrinter printer(pdf.pdfPath());
    PlatformServices withPdf = services.services();
    withPdf.printer = &printer;
    frmMain window(withPdf, std::make_unique<FakeCommPort>(), std::make_unique<NoLockKeys>());
    window.PutInDisplay("first", ColorValue::Green);
    window.PutInDisplay("[CR ]", ColorValue::Magenta);
    window.PutInDisplay("second[CR ]", ColorValue::Green);
    window.displayModel().setSelection(12, 6);
    QCOMPARE(window.displayModel().selectedText(), QByteArray("second"));

    window.findChild<QAction *>(QLatin1String(menu))->trigger();
    const QList<Page> pages = pdf.pages(pdfWords(pdf.pdfPath()));
    QCOMPARE(pages.size(), 1);
    QTEST(lineTexts(pages[0]), "lines");
    QVERIFY(services.messageBoxes.shown.isEmpty());
}

void TestPrinting::missingPrinterIsReported()
{
    Window f;
    f.services.printer.missing = true;
    f.action("mnuPrintAlldata")->trigger();
    f.action("mnuPrintSelectedData")->trigger();
    QCOMPARE(f.services.messageBoxes.shown, (QStringList{"no printer", "no printer"}));
    QVERIFY(f.services.printer.documents.isEmpty());

    QtPrinter pdfInMissingFolder(QStringLiteral("/nonexistent/folder/print.pdf"));
    DisplayPrinter printer(pdfInMissingFolder, f.services.messageBoxes);
    QVERIFY(!printer.print("text", 6));
    QCOMPARE(f.services.messageBoxes.shown.size(), 3);
}

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
