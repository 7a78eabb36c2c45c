#include "GeneralUtilities.h"
#include "MainWindowFixture.h"
#include "ScratchFiles.h"

#include <QAbstractScrollArea>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

namespace {

const QString SaveTitle = QStringLiteral("Set File Name And Location To Save.");

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
        return contentOf(answer);
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
    QByteArray all;
    QByteArray shown;
    for (int code = 0; code < 256; ++code) {
        all += char(code);
        shown += GeneralUtilities::CharacterTokenOf(uchar(code), DisplayOptions()).text;
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
    QTest::addColumn<QString>("target");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("reason");
    // What stands at the path afterwards (see fileKind); a file holds what it held.
    QTest::addColumn<char>("kind");

    const QByteArray text = "mnuSaveText";
    const QByteArray ascii = "mnuSaveAscii";
    const QStringList none;
    const auto error = [](int number, const char *text) {
        const QString n = QString::number(number);
        return QStringList{"error Number " + n, "Error Number " + n + "\r\n" + text};
    };
    const auto row = [](const char *name, const QByteArray &menu, const char *target,
                        const QStringList &messages, const char *reason, char kind) {
        QTest::newRow(name) << menu << QString::fromLatin1(target) << messages
                            << QString::fromLatin1(reason) << kind;
    };
    const char *const noRoom = "No space left on device";
    row("ascii, cancelled", ascii, "cancelled", error(1, "No file name was chosen."), "", '-');
    row("ascii, no such folder", ascii, "missing folder", error(2, "The file "), "", '-');
    // A full disk: the file stays as it was; the text save tells nothing.
    row("text, disk full", text, "disk full", none, "", 'f');
    row("ascii, a few KiB free", ascii, "few KiB free", error(3, "The file "), noRoom, 'f');
    row("ascii, pipe", ascii, "pipe", error(2, "The file "), "it is a pipe, not a file", 'p');
}

void TestFileSave::failures()
{
    QFETCH(QByteArray, menu);
    QFETCH(QString, target);
    QFETCH(QStringList, messages);
    QFETCH(QString, reason);
    QFETCH(char, kind);

    Saving f;
    const QByteArray shown(target == QLatin1String("few KiB free") ? 20000 : 1, 'x');
    f.receive(shown, shown);
    const QByteArray before = "the file before\r\n";
    std::optional<ScratchFiles> scratch;
    QString answer;
    if (target == QLatin1String("missing folder")) {
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
    f.services.fileDialogs.answer = answer;
    f.action(menu.constData())->trigger();

    const QStringList &shownMessages = f.services.messageBoxes.shown;
    QCOMPARE(shownMessages.size(), messages.size());
    for (qsizetype i = 0; i < shownMessages.size(); ++i)
        QVERIFY2(shownMessages[i].startsWith(messages[i]), qPrintable(shownMessages[i]));
    if (!reason.isEmpty())
        QVERIFY2(shownMessages.last().endsWith(reason), qPrintable(shownMessages.last()));
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

    // Each dialog as "save or open|title|file name"; all offer "No Files (*.txt)",
    // the transmit dialog then all files.
    QStringList shown;
    for (const ScriptedFileDialogs::Showing &showing : f.services.fileDialogs.showings) {
        QCOMPARE(showing.filter, showing.save ? QStringLiteral("No Files (*.txt)")
                                              : QStringLiteral("No Files (*.txt);;All Files (*)"));
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
