#include "CommonDialog.h"
#include "DevSim.h"
#include "DisplayPrinter.h"
#include "FileTransmitter.h"
#include "MainWindowFixture.h"
#include "QtCommPort.h"
#include "QtPrinter.h"
#include "ScratchFiles.h"
#include "StringSetStore.h"

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <optional>

#include <sys/stat.h>

namespace {

constexpr quint32 XmitChar = ColorValue::Green;
constexpr quint32 XmitFunc = ColorValue::Magenta;

// The window started on the fake port, with a folder for the files of the
// File menu's commands.
struct Files : Window
{
    QTemporaryDir dir;

    Files() { start(); }
    QString path(const QString &name) const { return dir.filePath(name); }
    // Receives bytes through the port and waits until the display shows them.
    void receive(const QByteArray &bytes, const QByteArray &shown)
    {
        port->deliverInput(bytes);
        QTRY_COMPARE(display(), shown);
    }
    // Chooses the menu item, the file dialog answering with the path.
    void choose(const char *menu, const QString &answer)
    {
        services.fileDialogs.answer = answer;
        action(menu)->trigger();
    }
    QByteArray save(const char *menu, const QString &answer)
    {
        choose(menu, answer);
        return contentOf(answer);
    }
    QString file(const QByteArray &content)
    {
        const QString path = dir.filePath(QStringLiteral("send.txt"));
        return writeFile(path, content) ? path : QString();
    }
    // Drains the queue every millisecond until the file is out.
    bool drainUntilSent()
    {
        QTimer drain;
        QObject::connect(&drain, &QTimer::timeout, [this] { port->drainOutput(); });
        drain.start(1);
        return QTest::qWaitFor([this] { return !window->isTransmittingFile(); }, 20000);
    }
};

// Prints display text, "N" being 7.5 points wide as in the window's font, to a PDF file
// and gives the lines of each page as pdftotext reads them back in the order printed,
// and the line width found on the way.
QList<QStringList> printToPdf(const QByteArray &text, int *lineWidth = nullptr)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("print.pdf"));
    QtPrinter printer(pdf);
    RecordingMessageBoxes messages;
    DisplayPrinter displayPrinter(printer, messages);
    QProcess pdftotext;
    QList<QStringList> pages;
    if (!displayPrinter.print(text, 7.5))
        return pages;
    if (lineWidth)
        *lineWidth = displayPrinter.lineWidth();
    pdftotext.start(QStringLiteral("pdftotext"), {"-raw", pdf, "-"});
    if (!pdftotext.waitForFinished(20000))
        return pages;
    const QString printed = QString::fromUtf8(pdftotext.readAllStandardOutput());
    for (const QString &page : printed.split(QLatin1Char('\f')))
        pages.append(page.split(QLatin1Char('\n'), Qt::SkipEmptyParts));
    pages.removeLast(); // what follows the last page's form feed
    return pages;
}

} // namespace

class TestFileCommands : public QObject
{
    Q_OBJECT

private slots:
    void bothForms_data();
    void bothForms();
    void failures_data();
    void failures();
    void dialogRemembersTheLastNameAcrossFileCommands();
    void timeStampsInTextSaveAndCopyNotInAscii();
    void sentAndEchoed_data();
    void sentAndEchoed();
    void cancelledOrRefusedFile_data();
    void cancelledOrRefusedFile();
    void sendEndsWhereItStops_data();
    void sendEndsWhereItStops();
    void deviceGetsEveryByteOverAPseudoTerminal();
    void pieces_data();
    void pieces();
    void pdfPiecesAndLineBreaks();
    void printMenus_data();
    void printMenus();
};

void TestFileCommands::bothForms_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<bool>("showFunctions");
    QTest::addColumn<QByteArray>("shown");
    QTest::addColumn<QByteArray>("ascii");

    QTest::newRow("A, B, [CR ] and a line break")
        << QByteArray("AB\r") << true << QByteArray("AB[CR ]\r\n") << QByteArray("AB\r\r\n");
    QTest::newRow("empty display") << QByteArray() << true << QByteArray() << QByteArray("\r\n");
    // "[" with "]" four places later goes to the decoder whole, known or not.
    QTest::newRow("bracketed text")
        << QByteArray("[abc][x41][cr]][CR]") << true << QByteArray("[abc][x41][cr]][CR]")
        << QByteArray("[abc]A\r][CR]\r\n");
    QTest::newRow("hidden function characters")
        << QByteArray("A\x01"
                      "B\r\n")
        << false << QByteArray("AB\r\n") << QByteArray("AB\r\n");
}

void TestFileCommands::bothForms()
{
    QFETCH(QByteArray, received);
    QFETCH(bool, showFunctions);
    QFETCH(QByteArray, shown);
    QFETCH(QByteArray, ascii);

    Files f;
    f.action("mnuShowFunctionCharacters")->setChecked(showFunctions);
    f.receive(received, shown);
    QCOMPARE(f.save("mnuSaveText", f.path("text.txt")), shown + "\r\n");
    QCOMPARE(f.save("mnuSaveAscii", f.path("ascii.txt")), ascii);
    QVERIFY(f.services.messageBoxes.shown.isEmpty());
}

void TestFileCommands::failures_data()
{
    QTest::addColumn<QByteArray>("menu");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QStringList>("messages"); // %1: the path
    // What stands at the path afterwards (see fileKind); a file holds what it held.
    QTest::addColumn<char>("kind");

    const QByteArray text = "mnuSaveText";
    const QByteArray ascii = "mnuSaveAscii";
    const auto error = [](int number, const QString &text) {
        const QString n = QString::number(number);
        return QStringList{"error Number " + n, "Error Number " + n + "\r\n" + text};
    };
    const auto row = [](const QByteArray &menu, const char *target, const QStringList &messages,
                        char kind) {
        QTest::newRow(target) << menu << QString::fromLatin1(target) << messages << kind;
    };
    const QString opened = "The file %1 could not be opened: ";
    const QString written = "The file %1 could not be written: ";
    row(ascii, "cancelled", error(1, "No file name was chosen."), '-');
    row(ascii, "no folder", error(2, opened + "No such file or directory"), '-');
    // A full disk: the file stays as it was; the text save tells nothing.
    row(text, "disk full", {}, 'f');
    row(ascii, "4 KiB free", error(3, written + "No space left on device"), 'f');
    row(ascii, "pipe", error(2, opened + "it is a pipe, not a file"), 'p');
}

void TestFileCommands::failures()
{
    QFETCH(QByteArray, menu);
    QFETCH(QString, target);
    QFETCH(QStringList, messages);
    QFETCH(char, kind);

    Files f;
    const QByteArray shown(target == QLatin1String("4 KiB free") ? 20000 : 1, 'x');
    f.receive(shown, shown);
    const QByteArray before = "the file before\r\n";
    std::optional<ScratchFiles> scratch;
    QString answer;
    if (target == QLatin1String("no folder")) {
        answer = f.path(QStringLiteral("missing/display.txt"));
    } else if (target == QLatin1String("pipe")) {
        answer = f.path(QStringLiteral("pipe"));
        QCOMPARE(::mkfifo(QFile::encodeName(answer).constData(), 0666), 0);
    } else if (target != QLatin1String("cancelled")) {
        scratch.emplace(64 * 1024);
        if (*scratch->why())
            QSKIP(scratch->why());
        answer = scratch->filePath(QStringLiteral("display.txt"));
        QVERIFY(writeFile(answer, before));
        QVERIFY(scratch->fill(target == QLatin1String("disk full") ? 0 : 4096));
    }
    f.choose(menu.constData(), answer);
    messages.replaceInStrings(QStringLiteral("%1"), answer);
    QCOMPARE(f.services.messageBoxes.shown, messages);
    QCOMPARE(fileKind(answer), kind);
    if (kind == 'f')
        QCOMPARE(contentOf(answer), before);
    // Nothing else is left behind.
    const QString folder = scratch ? scratch->path() : f.dir.path();
    QStringList left = QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden |
                                              QDir::NoDotAndDotDot);
    left.removeOne(QStringLiteral(".filler"));
    QCOMPARE(left, kind == '-' ? QStringList() : QStringList{QFileInfo(answer).fileName()});
}

void TestFileCommands::dialogRemembersTheLastNameAcrossFileCommands()
{
    Files f;
    const QString first = f.path(QStringLiteral("first.txt"));
    f.save("mnuSaveText", first);
    // Cancelling keeps the name; the transmit dialog starts at it too.
    f.services.fileDialogs.answer.clear();
    f.action("mnuSaveAscii")->trigger();
    f.action("mnuTransmitFile")->trigger();
    f.save("mnuSaveAscii", f.path(QStringLiteral("second.txt")));

    // Each dialog as "save or open|filter|title|file name".
    QStringList shown;
    for (const ScriptedFileDialogs::Showing &showing : f.services.fileDialogs.showings)
        shown << QStringList{showing.save ? "save" : "open", showing.filter, showing.title,
                             showing.fileName}
                     .join(QLatin1Char('|'));
    const QString save = "save|No Files (*.txt)|Set File Name And Location To Save.|";
    const QString open =
        "open|No Files (*.txt);;All Files (*)|Select the file to be transmitted.|" + first;
    QCOMPARE(shown, (QStringList{save, save + first, open, save + first}));
}

void TestFileCommands::timeStampsInTextSaveAndCopyNotInAscii()
{
    // The test clock reads 03:04:05 local time.
    Files f;
    f.receive("AB\r", "AB[CR ]\r\n");
    f.services.clock.current = f.services.clock.current.addMSecs(1234);
    f.receive("CD", "AB[CR ]\r\nCD");
    DisplayModel &model = f.window->displayModel();
    model.setSelection(3, 4);
    const QByteArray ascii = f.save("mnuSaveAscii", f.path("plain.txt"));
    // The Ascii save reads the display through its selection, left at the end.
    QCOMPARE(QList<qsizetype>({model.selectionStart(), model.selectionLength()}),
             QList<qsizetype>({model.length(), 0}));

    f.action("mnuTimeStamps")->trigger();
    QCOMPARE(f.display(), "AB[CR ]\r\nCD");
    QCOMPARE(f.save("mnuSaveText", f.path("text.txt")),
             "03:04:05.000 AB[CR ]\r\n03:04:06.234 CD\r\n");
    QCOMPARE(f.save("mnuSaveAscii", f.path("stamped.txt")), ascii);
    f.action("mnuSelectAll")->trigger();
    f.action("mnuCopy")->trigger();
    QCOMPARE(f.services.clipboard.text, "03:04:05.000 AB[CR ]\n03:04:06.234 CD");
    QVERIFY(f.services.messageBoxes.shown.isEmpty());
}

void TestFileCommands::sentAndEchoed_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("portOpen");
    QTest::addColumn<QByteArray>("written");
    // The display in the character, the function and the closed port's colors.
    QTest::addColumn<QByteArrayList>("shown");

    const auto row = [](const char *name, const char *content, bool portOpen, const char *written,
                        const QByteArrayList &shown) {
        QTest::newRow(name) << QByteArray(content) << portOpen << QByteArray(written) << shown;
    };
    row("empty file", "", true, "", {"", "", ""});
    row("OK CR LF", "OK\r\n", true, "OK\r\n", {"OK", "[CR ]\r\n[LF ]", ""});
    row("OK CR LF, port closed", "OK\r\n", false, "", {"", "", "OK[CR ]\r\n[LF ]"});
    // Tokens in a file are sent as their characters; a run of one color that
    // equals the break character ends the line, as any append does.
    row("token text", "[CR ]", true, "[CR ]", {"[CR ]\r\n", "", ""});
}

void TestFileCommands::sentAndEchoed()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, portOpen);

    Files f;
    if (!portOpen)
        f.window->DisableCommPort();
    f.choose("mnuTransmitFile", f.file(content));
    QTRY_VERIFY(!f.window->isTransmittingFile());
    QTEST(f.port->written, "written");
    QTEST((QByteArrayList{f.shownIn(XmitChar), f.shownIn(XmitFunc), f.shownIn(ColorValue::Red)}),
          "shown");
    QVERIFY(f.services.messageBoxes.shown.isEmpty());
}

void TestFileCommands::cancelledOrRefusedFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message"); // %1: the path
    QTest::newRow("cancelled") << QString() << QString();
    QTest::newRow("missing file") << "nothing.txt"
                                  << "No File Selected Yet\r\n"
                                     "The file %1 cannot be sent: No such file or directory";
    QTest::newRow("pipe") << "pipe"
                          << "The file %1 cannot be sent: it is a pipe, not a file";
    // Endless: never opened.
    QTest::newRow("device") << "/dev/zero"
                            << "The file %1 cannot be sent: it is a device, not a file";
}

void TestFileCommands::cancelledOrRefusedFile()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    Files f;
    QVERIFY(::mkfifo(QFile::encodeName(f.dir.filePath("pipe")).constData(), 0600) == 0);
    const QString path = name.isEmpty() ? name : QDir(f.dir.path()).absoluteFilePath(name);
    f.choose("mnuTransmitFile", path);
    QCOMPARE(f.services.messageBoxes.shown,
             message.isEmpty() ? QStringList() : QStringList{message.arg(path)});
    QVERIFY(!f.window->isTransmittingFile());
    QVERIFY(f.port->written.isEmpty());
    QVERIFY(f.display().isEmpty());
}

void TestFileCommands::sendEndsWhereItStops_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("receiveInterrupts");
    QTest::addColumn<bool>("functionKey");
    // A key goes out between the file's bytes where receive interrupts are
    // allowed, else after the file.
    QTest::newRow("port freed") << "cmdPortState" << false << false;
    QTest::newRow("stopped from the menu") << "yes" << false << false;
    QTest::newRow("going on after the question") << "no" << false << false;
    QTest::newRow("typed, receive interrupts allowed") << "" << true << false;
    QTest::newRow("F1, full strings") << "" << false << true;
}

void TestFileCommands::sendEndsWhereItStops()
{
    QFETCH(QString, how);
    QFETCH(bool, receiveInterrupts);
    QFETCH(bool, functionKey);

    Files f;
    f.useStyle(receiveInterrupts, !receiveInterrupts);
    f.window->stringSets().setString(0, 0, "XYZ");
    f.holdQueue(64);
    const QByteArray content(5000, 'a');
    f.choose("mnuTransmitFile", f.file(content));
    const QByteArray sent = f.port->written;
    QVERIFY(!sent.isEmpty() && sent.size() < content.size());
    // The status bar tells how far the send is.
    auto *progress = f.child<QLabel>("StatusBar1Progress");
    QCOMPARE(progress->text(), QStringLiteral("Sent %1 of 5000 bytes (1%)").arg(sent.size()));
    QVERIFY(progress->isVisible() && f.child("StatusBar1")->rect().contains(progress->geometry()));
    const QByteArray keys = functionKey ? "XYZ" : "X";
    if (functionKey)
        f.window->rtbDisplay_KeyDown(KeyboardTransmitter::KeyF1, 0);
    else
        f.window->rtbDisplay_KeyPress('X'); // shown at once
    if (!receiveInterrupts)
        QCOMPARE(f.port->written, sent);

    if (how == QLatin1String("cmdPortState")) {
        f.child<QAbstractButton>("cmdPortState")->click();
    } else if (!how.isEmpty()) {
        // Chosen again, the menu item asks whether to stop.
        f.services.messageBoxes.answer = how == QLatin1String("yes");
        f.action("mnuTransmitFile")->trigger();
        QCOMPARE(f.services.messageBoxes.asked,
                 QStringList{QStringLiteral("Transmit a File|Stop sending send.txt?")});
        QCOMPARE(f.services.fileDialogs.showings.size(), 1);
    }
    QVERIFY(f.drainUntilSent());
    QTRY_VERIFY(!f.window->isSending());
    QVERIFY(progress->isHidden());
    if (how.isEmpty() || how == QLatin1String("no")) {
        QByteArray expected = content;
        QCOMPARE(f.port->written, expected.insert(receiveInterrupts ? sent.size() : 5000, keys));
        QCOMPARE(f.display().count('a'), content.size());
        QVERIFY(f.display().contains(keys));
        QVERIFY(f.services.messageBoxes.shown.isEmpty()); // no "Transmit Full"
        return;
    }
    // What went out is shown in the transmit colors, then a red marker on a
    // line of its own; the rest of the file is neither sent nor shown.
    const QByteArray marker =
        "***Transmit stopped: " + QByteArray::number(sent.size()) + " of 5000 bytes sent***\r\n";
    QCOMPARE(f.display(), 'X' + sent + "\r\n" + marker);
    QCOMPARE(f.shownIn(ColorValue::Red), "\r\n" + marker);
    // Held keys go out once the send has ended, where the port is still open.
    QCOMPARE(f.port->written, how == QLatin1String("yes") ? sent + 'X' : sent);
}

// A megabyte reaches the device over a real port, with no Transmit Full on the way.
void TestFileCommands::deviceGetsEveryByteOverAPseudoTerminal()
{
    DevSim device({"echo"});
    QVERIFY(!device.path.isEmpty());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("megabyte.bin"));
    QByteArray content(1024 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < content.size(); ++i)
        content[i] = char(i * 7 + i / 256); // every value, in a changing order
    QVERIFY(writeFile(path, content));

    QtCommPort port;
    port.setCommPort(device.path);
    QCOMPARE(port.setSettings(QStringLiteral("115200,N,8,1")), CommError::None);
    QCOMPARE(port.setPortOpen(true), CommError::None);
    // The echo is what the device received.
    QByteArray echoed;
    int otherEvents = 0;
    connect(&port, &CommPort::OnComm, this, [&] {
        if (port.CommEvent() == CommPort::Receive)
            echoed += port.Input();
        else
            ++otherEvents; // such as Transmit Full
    });

    DisplayModel model;
    DisplayOptions options;
    DisplayColors colors;
    StringSetStore strings;
    KeyboardTransmitter keyboard(port, model, options, colors, strings);
    TestServices services;
    CommonDialog dialog(services.fileDialogs);
    FileTransmitter transmitter(port, model, options, colors, keyboard, dialog,
                                services.messageBoxes);
    QSignalSpy busy(&transmitter, &FileTransmitter::busyChanged);
    transmitter.transmit(path, TransmitStyle{true, false});
    QTRY_COMPARE_WITH_TIMEOUT(busy.count(), 2, 60000);
    QTRY_VERIFY_WITH_TIMEOUT(echoed.size() >= content.size(), 30000);
    QVERIFY(echoed == content);
    QCOMPARE(otherEvents, 0);
    QVERIFY(services.messageBoxes.shown.isEmpty());
}

void TestFileCommands::pieces_data()
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

void TestFileCommands::pieces()
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

void TestFileCommands::pdfPiecesAndLineBreaks()
{
    int width = 0;
    QCOMPARE(printToPdf("", &width), QList<QStringList>{{}}); // the blank line shows no text
    QVERIFY(width > 1);

    // A piece fills a line exactly; a line break inside a piece starts a line;
    // 40,000 characters print completely, over several pages.
    const QString exact(width, QLatin1Char('A'));
    QByteArray display = exact.toLatin1() + "ab\r\ncd\r\n";
    for (int line = 0; display.size() < 40000; ++line)
        display += "Line" + QByteArray::number(line).rightJustified(5, '0') +
                   " ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789[CR ][x8A]\r\n";
    display.truncate(40000);
    const QList<QStringList> pages = printToPdf(display);
    QVERIFY(pages.size() > 1);
    QCOMPARE(pages[0].first(3), (QStringList{exact, "ab", "cd"}));
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

void TestFileCommands::printMenus_data()
{
    QTest::addColumn<QByteArray>("menu");
    QTest::addColumn<bool>("missing");
    QTest::addColumn<QString>("printed");
    QTest::newRow("all data") << QByteArray("mnuPrintAlldata") << false
                              << "first[CR ]\r\nsecond[CR ]";
    QTest::newRow("selected data") << QByteArray("mnuPrintSelectedData") << false << "second";
    QTest::newRow("no printer") << QByteArray("mnuPrintAlldata") << true << "";
}

void TestFileCommands::printMenus()
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

QTEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
