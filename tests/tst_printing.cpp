#include "DisplayPrinter.h"
#include "MainWindowFixture.h"
#include "QtPrinter.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The lines of each page of a PDF, as pdftotext reads them back in the order printed.
QList<QStringList> pdfPages(const QString &pdf)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {"-raw", pdf, "-"});
    QList<QStringList> pages;
    if (!pdftotext.waitForFinished(20000))
        return pages;
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    for (const QString &page : text.split(QLatin1Char('\f')))
        pages.append(page.split(QLatin1Char('\n'), Qt::SkipEmptyParts));
    pages.removeLast(); // what follows the last page's form feed
    return pages;
}

// Prints display text, "N" being 7.5 points wide as in the window's font, to a PDF file
// and reads the pages back; gives the line width found on the way.
QList<QStringList> printToPdf(const QByteArray &text, int *lineWidth = nullptr)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("print.pdf"));
    QtPrinter printer(pdf);
    RecordingMessageBoxes messages;
    DisplayPrinter displayPrinter(printer, messages);
    if (!displayPrinter.print(text, 7.5))
        return {};
    if (lineWidth)
        *lineWidth = displayPrinter.lineWidth();
    return pdfPages(pdf);
}

} // namespace

class TestPrinting : public QObject
{
    Q_OBJECT

private slots:
    void pieces_data();
    void pieces();
    void pdfPiecesAndLineBreaks();
    void printMenus_data();
    void printMenus();
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
    int width = 0;
    QCOMPARE(printToPdf("", &width), QList<QStringList>{{}}); // the blank line shows no text
    QVERIFY(width > 1);

    // A piece fills a line exactly; a line break inside a piece starts a line.
    const QString exact(width, QLatin1Char('A'));
    QCOMPARE(printToPdf(exact.toLatin1() + "ab\r\ncd"), (QList<QStringList>{{exact, "ab", "cd"}}));

    // 40,000 characters print completely, over several pages.
    QByteArray display;
    for (int line = 0; display.size() < 40000; ++line)
        display +=
            "Line" + QByteArray::number(line).rightJustified(5, '0') + " " +
            QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789[CR ][x8A]").repeated(2).left(68) +
            "\r\n";
    display.truncate(40000);
    const QList<QStringList> pages = printToPdf(display);
    QVERIFY(pages.size() > 1);
    QString printed;
    for (const QStringList &page : pages)
        printed += page.join(QString());
    QString expected = QString::fromLatin1(display);
    expected.remove(QRegularExpression(QStringLiteral("\\s")));
    printed.remove(QLatin1Char(' '));
    QCOMPARE(printed, expected);

    // A PDF that cannot be written is reported.
    QtPrinter unwritable(QStringLiteral("/nonexistent/folder/print.pdf"));
    RecordingMessageBoxes messages;
    QVERIFY(!DisplayPrinter(unwritable, messages).print("text", 6));
    QCOMPARE(messages.shown.size(), 1);
}

void TestPrinting::printMenus_data()
{
    QTest::addColumn<QByteArray>("menu");
    QTest::addColumn<bool>("missing");
    QTest::addColumn<QString>("printed");
    QTest::newRow("all data") << QByteArray("mnuPrintAlldata") << false
                              << "first[CR ]\r\nsecond[CR ]";
    QTest::newRow("selected data") << QByteArray("mnuPrintSelectedData") << false << "second";
    QTest::newRow("all data, no printer") << QByteArray("mnuPrintAlldata") << true << "";
    QTest::newRow("selected data, no printer") << QByteArray("mnuPrintSelectedData") << true << "";
}

void TestPrinting::printMenus()
{
    QFETCH(QByteArray, menu);
    QFETCH(bool, missing);
    QFETCH(QString, printed);

    Window f;
    f.window->PutInDisplay("first", ColorValue::Green);
    f.window->PutInDisplay("[CR ]", ColorValue::Magenta);
    f.window->PutInDisplay("second[CR ]", ColorValue::Green);
    f.window->displayModel().setSelection(12, 6);
    f.services.printer.missing = missing;
    f.action(menu.constData())->trigger();
    QCOMPARE(f.services.printer.documents,
             (missing ? QList<QStringList>() : QList<QStringList>{{" ", " " + printed}}));
    QCOMPARE(f.services.messageBoxes.shown,
             QStringList(missing ? 1 : 0, QStringLiteral("no printer")));
}

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
