#include "DevSim.h"
#include "Payload.h"
#include "QtCommPort.h"
#include "ReceivePath.h"
#include "SerialProgram.h"
#include "SessionLogDecoder.h"
#include "SystemServices.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

QByteArray fileContent(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray receivedIn(const QString &path)
{
    return SessionLogDecoder::decode(fileContent(path), SessionLogLines::Direction::Received).bytes;
}

struct Decoded
{
    QByteArray bytes;
    QByteArray errors;
    int exitCode = -1;
};

// What the program's --decode-log option writes, with input on its standard input.
Decoded decodedByTheProgram(const QStringList &arguments, const QByteArray &input = {})
{
    QProcess program;
    program.start(qEnvironmentVariable("WIRELOOK"), arguments);
    program.write(input);
    program.closeWriteChannel();
    if (!program.waitForFinished(10000))
        return {};
    return {program.readAllStandardOutput(), program.readAllStandardError(), program.exitCode()};
}

} // namespace

class TestSessionLogEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void typedBytesAndTheirEchoInTheLogAndDecoded();
    void floodThatTheDisplayDropsIsLoggedWhole();
    void timeStampsGiveArrivalTimesWhileTheDisplayLags();
};

void TestSessionLogEndToEnd::typedBytesAndTheirEchoInTheLogAndDecoded()
{
    DevSim device({"echo"});
    QVERIFY(!device.path.isEmpty());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("session.log"));
    SerialProgram program;
    program.window->Form_Load(device.path);
    // The item is checked only while a log is kept; a file that cannot be opened says so.
    auto *item = program.child<QAction>("mnuLogToFile");
    for (const QString &answer : {QString(), dir.filePath(QStringLiteral("missing/session.log"))}) {
        program.services.fileDialogs.answer = answer;
        item->trigger();
        QVERIFY(!item->isChecked());
    }
    QCOMPARE(program.services.messageBoxes.shown.size(), 1);
    program.services.messageBoxes.shown.clear();
    program.services.fileDialogs.answer = path;
    item->trigger();
    QVERIFY(item->isChecked());

    QByteArray values;
    for (int code = 0; code < 256; ++code)
        values += char(255 - code);
    constexpr int Burst = 32;
    for (int at = 0; at < 256; at += Burst) {
        for (const char value : values.mid(at, Burst))
            program.window->rtbDisplay_KeyPress(uchar(value));
        QTRY_COMPARE(receivedIn(path).size(), qsizetype(at + Burst));
    }
    item->trigger();
    QVERIFY(!item->isChecked());
    QVERIFY(program.services.messageBoxes.shown.isEmpty());

    // Sent and received alternate in bursts.
    QByteArray marks;
    for (const QByteArray &line : fileContent(path).split('\n')) {
        const char mark = line.size() > 24 ? line[24] : '!';
        if (mark != '!' && !marks.endsWith(mark))
            marks += mark;
    }
    QCOMPARE(marks, QByteArray("><").repeated(256 / Burst));

    // Decoded by the program from the file, each way, and from a pipe, where a
    // line that is no log line is skipped with a message and fails the command.
    const QString stdIn = QStringLiteral("/dev/stdin");
    const QByteArray badLine = "not a log line\r\n";
    const QList<Decoded> decoded{
        decodedByTheProgram({"--decode-log", path}),
        decodedByTheProgram({"--decode-log", path, "--sent"}),
        decodedByTheProgram({"--decode-log", stdIn, "--sent"}, badLine + fileContent(path))};
    for (const Decoded &each : decoded)
        QCOMPARE(each.bytes, values);
    QCOMPARE((QList<int>{decoded[0].exitCode, decoded[1].exitCode, decoded[2].exitCode}),
             (QList<int>{0, 0, 1}));
    QCOMPARE(decoded[2].errors, QByteArray("/dev/stdin:1: not a log line, skipped\n"));
    QCOMPARE(decoded[2].exitCode, 1);
}

void TestSessionLogEndToEnd::floodThatTheDisplayDropsIsLoggedWhole()
{
    constexpr int Size = 1024 * 1024;
    DevSim device({"flood", "--bytes", QString::number(Size)});
    QVERIFY(!device.path.isEmpty());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("flood.log"));
    SerialProgram program;
    QVERIFY(program.window->startLogging(path));
    program.window->Form_Load(device.path);

    // The display falls 100,000 entries behind, as in a long burst, and drops
    // what follows.
    program.child<QTimer>("Timer1")->blockSignals(true);
    for (int i = 0; i < 100000; ++i)
        program.window->receivePath().receive("x");
    QTRY_VERIFY(program.child<QLabel>("lblDataDrop")->isVisible());

    QTRY_VERIFY_WITH_TIMEOUT(receivedIn(path).size() >= Size, 20000);
    program.window->close();
    QVERIFY(program.services.messageBoxes.shown.isEmpty());
    QCOMPARE(receivedIn(path), Payload(Size, Payload::Mix::Mixed, 1).take(Size));
    QVERIFY(fileContent(path).endsWith(" ! log stopped\r\n"));
}

// Readings that waited while the display was held back are stamped with their
// arrival, before the display went on, and each stamp is the time the log
// gives the bytes that begin its line; the log goes on across a reopen.
void TestSessionLogEndToEnd::timeStampsGiveArrivalTimesWhileTheDisplayLags()
{
    DevSim device({"readings", "--text", "+0012.34 kg", "--interval-ms", "1000"});
    QVERIFY(!device.path.isEmpty());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("stamps.log"));
    // On the real clock, which the log and the display share.
    SystemClock clock;
    SerialProgram program;
    PlatformServices services = program.services.services();
    services.clock = &clock;
    program.window = std::make_unique<frmMain>(services, std::make_unique<QtCommPort>(),
                                               std::make_unique<NoLockKeys>());
    QVERIFY(program.window->startLogging(path));
    program.window->Form_Load(device.path);
    program.child<QAction>("mnuTimeStamps")->trigger();
    const auto shown = [&] { return program.display().count("+0012.34 kg"); };
    const auto logged = [&] { return fileContent(path).count(" < +0012.34 kg"); };
    QTRY_VERIFY_WITH_TIMEOUT(shown() >= 2, 5000);

    auto *showTimer = program.child<QTimer>("Timer1");
    showTimer->blockSignals(true);
    const qsizetype held = shown();
    QTRY_VERIFY_WITH_TIMEOUT(logged() >= held + 3, 6000);
    QCOMPARE(shown(), held);
    const qint64 released = QDateTime::currentMSecsSinceEpoch();
    showTimer->blockSignals(false);
    program.window->Timer1_Timer();
    QTRY_VERIFY(shown() >= held + 3);
    program.window->cmdPortState_Click();
    program.window->cmdPortState_Click();
    const qsizetype reopened = logged();
    QTRY_VERIFY_WITH_TIMEOUT(logged() > reopened, 5000);
    program.window->close();
    const QByteArray closed = " ! port " + QFile::encodeName(device.path) + " closed\r\n";
    QVERIFY(fileContent(path).contains(closed));

    QList<qint64> logTimes; // of the data lines that start a display line: "[LF ]"
    for (const QByteArray &line : fileContent(path).split('\n')) {
        if (line.contains(" < [LF ]"))
            logTimes += QDateTime::fromString(QString::fromLatin1(line.left(23)), Qt::ISODateWithMs)
                            .toMSecsSinceEpoch();
    }
    // The first reading's line has no [LF ]; the three held ones have.
    const DisplayModel &model = program.window->displayModel();
    qsizetype beforeRelease = 0;
    for (qsizetype line = 0; line < model.lineCount(); ++line) {
        if (model.textView(model.lineStart(line), 21) != "[LF ]+0012.34 kg[CR ]")
            continue;
        const qint64 stamp = model.lineTime(line);
        QVERIFY2(std::any_of(logTimes.begin(), logTimes.end(),
                             [stamp](qint64 time) { return stamp >= time && stamp - time <= 50; }),
                 qPrintable(QString::number(stamp)));
        beforeRelease += stamp < released;
    }
    QVERIFY2(beforeRelease >= held - 1 + 3, qPrintable(QString::number(beforeRelease)));
}

QTEST_MAIN(TestSessionLogEndToEnd)
#include "tst_sessionlogendtoend.moc"
