#include "CommonDialog.h"
#include "DisplaySaver.h"
#include "GeneralUtilities.h"
#include "MainWindowFixture.h"

#include <QAbstractScrollArea>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString SaveTitle = QStringLiteral("Set File Name And Location To Save.");

QByteArray allByteValues()
{
    QByteArray bytes;
    for (int code = 0; code < 256; ++code)
        bytes += char(code);
    return bytes;
}

struct Saving : Window
{
    QTemporaryDir dir;

    Saving() { start(); }
    QString path(const QString &name) const { return dir.filePath(name); }
    // Receives bytes through the port and waits until the display shows them.
    void receive(const QByteArray &bytes, const QByteArray &shown)
    {
        port->deliverInput(bytes);
        QTRY_COMPARE(display(), shown);
    }
    QByteArray save(const char *menu, const QString &answer)
    {
        services.fileDialogs.answer = answer;
        action(menu)->trigger();
        QFile file(answer);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
    }
};

} // namespace

class TestFileSave : public QObject
{
    Q_OBJECT

private slots:
    void bothForms_data();
    void bothForms();
    void failures_data();
    void failures();
    void dialogRemembersTheLastNameAcrossFileCommands();
    void asciiSaveLeavesTheSelectionAndViewAtTheEnd();
    void nameWithoutFolderLandsInTheProgramFolder();
    void timeStampsInTextSaveAndCopyNotInAscii();
};

void TestFileSave::bothForms_data()
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
    const QByteArray all = allByteValues();
    QByteArray shown;
    for (const char byte : all) {
        const auto token = GeneralUtilities::CharacterTokenOf(uchar(byte), DisplayOptions());
        shown += token.text;
    }
    QTest::newRow("all 256 byte values") << all << true << shown << all + "\r\n";
}

void TestFileSave::bothForms()
{
    QFETCH(QByteArray, received);
    QFETCH(bool, showFunctions);
    QFETCH(QByteArray, shown);
    QFETCH(QByteArray, ascii);

    Saving f;
    f.action("mnuShowFunctionCharacters")->setChecked(showFunctions);
    f.receive(received, shown);
    QCOMPARE(f.save("mnuSaveText", f.path("text.txt")), shown + "\r\n");
    QCOMPARE(f.save("mnuSaveAscii", f.path("ascii.txt")), ascii);
    QVERIFY(f.services.messageBoxes.shown.isEmpty());
}

void TestFileSave::failures_data()
{
    QTest::addColumn<QByteArray>("menu");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("messages");

    const QString missingFolder = QStringLiteral("missing/display.txt");
    QTest::newRow("text, cancelled") << QByteArray("mnuSaveText") << QString() << QStringList();
    QTest::newRow("text, no such folder")
        << QByteArray("mnuSaveText") << missingFolder << QStringList();
    QTest::newRow("ascii, cancelled")
        << QByteArray("mnuSaveAscii") << QString()
        << QStringList{"error Number 1", "Error Number 1\r\nNo file name was chosen."};
    QTest::newRow("ascii, no such folder")
        << QByteArray("mnuSaveAscii") << missingFolder
        << QStringList{"error Number 2", "Error Number 2\r\nThe file "};
}

void TestFileSave::failures()
{
    QFETCH(QByteArray, menu);
    QFETCH(QString, answer);
    QFETCH(QStringList, messages);

    Saving f;
    f.receive("x", "x");
    f.services.fileDialogs.answer = answer.isEmpty() ? answer : f.path(answer);
    f.action(menu.constData())->trigger();

    const QStringList &shown = f.services.messageBoxes.shown;
    QCOMPARE(shown.size(), messages.size());
    for (qsizetype i = 0; i < shown.size(); ++i)
        QVERIFY2(shown[i].startsWith(messages[i]), qPrintable(shown[i]));
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

void TestFileSave::dialogRemembersTheLastNameAcrossFileCommands()
{
    Saving f;
    const QString first = f.path(QStringLiteral("first.txt"));
    f.save("mnuSaveText", first);
    // Cancelling keeps the name; the transmit dialog starts at it too.
    f.services.fileDialogs.answer.clear();
    f.action("mnuSaveAscii")->trigger();
    f.action("mnuTransmitFile")->trigger();
    f.save("mnuSaveAscii", f.path(QStringLiteral("second.txt")));

    // Each dialog as "save or open|title|file name"; all offer "No Files (*.txt)".
    QStringList shown;
    for (const ScriptedFileDialogs::Showing &showing : f.services.fileDialogs.showings) {
        QCOMPARE(showing.filter, QStringLiteral("No Files (*.txt)"));
        shown << QStringList{showing.save ? "save" : "open", showing.title, showing.fileName}.join(
            QLatin1Char('|'));
    }
    const QString save = "save|" + SaveTitle + '|';
    QCOMPARE(shown,
             (QStringList{save, save + first, "open|Select the file to be transmitted.|" + first,
                          save + first}));
}

void TestFileSave::asciiSaveLeavesTheSelectionAndViewAtTheEnd()
{
    Saving f;
    QByteArray lines;
    for (int i = 0; i < 200; ++i)
        lines += "reading " + QByteArray::number(i) + "\r";
    f.port->deliverInput(lines);
    QTRY_VERIFY(f.display().endsWith("reading 199[CR ]\r\n"));
    DisplayModel &model = f.window->displayModel();
    model.setSelection(3, 4);
    QScrollBar *bar = f.child<QAbstractScrollArea>("rtbDisplay")->verticalScrollBar();
    bar->setValue(0);

    f.save("mnuSaveAscii", f.path(QStringLiteral("ascii.txt")));
    QCOMPARE(model.selectionStart(), model.length());
    QCOMPARE(model.selectionLength(), 0);
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());
}

void TestFileSave::nameWithoutFolderLandsInTheProgramFolder()
{
    QTemporaryDir programFolder;
    TestServices services;
    CommonDialog dialog(services.fileDialogs);
    DisplayModel model;
    model.putInDisplay("AB", 0, "[CR ]");
    DisplaySaver saver(model, dialog, services.messageBoxes, programFolder.path());
    services.fileDialogs.answer = QStringLiteral("plain.txt");
    saver.saveText();
    QFile saved(programFolder.filePath(QStringLiteral("plain.txt")));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("AB\r\n"));
}

void TestFileSave::timeStampsInTextSaveAndCopyNotInAscii()
{
    // The test clock reads 03:04:05 local time.
    Saving f;
    f.receive("AB\r", "AB[CR ]\r\n");
    f.services.clock.current = f.services.clock.current.addMSecs(1234);
    f.receive("CD", "AB[CR ]\r\nCD");
    const QByteArray ascii = f.save("mnuSaveAscii", f.path("plain.txt"));
    const auto copied = [&] {
        f.action("mnuSelectAll")->trigger();
        f.action("mnuCopy")->trigger();
        return f.services.clipboard.text;
    };

    f.action("mnuTimeStamps")->trigger();
    QCOMPARE(f.display(), "AB[CR ]\r\nCD");
    QCOMPARE(f.save("mnuSaveText", f.path("text.txt")),
             "03:04:05.000 AB[CR ]\r\n03:04:06.234 CD\r\n");
    QCOMPARE(f.save("mnuSaveAscii", f.path("stamped.txt")), ascii);
    QCOMPARE(copied(), "03:04:05.000 AB[CR ]\n03:04:06.234 CD");

    f.action("mnuTimeStamps")->trigger();
    QCOMPARE(f.save("mnuSaveText", f.path("plain text.txt")), "AB[CR ]\r\nCD\r\n");
    QCOMPARE(copied(), "AB[CR ]\nCD");
    QVERIFY(f.services.messageBoxes.shown.isEmpty());
}

QTEST_MAIN(TestFileSave)
#include "tst_filesave.moc"
