#include "DevSim.h"
#include "HexHistory.h"
#include "Payload.h"
#include "QtCommPort.h"
#include "ReceivePath.h"
#include "SerialProgram.h"
#include "SessionLog.h"
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
    void typedBytesAndTheirEchoInTheLogAndTheHexRows();
    void decodeLogCommand_data();
    void decodeLogCommand();
    void floodThatTheDisplayDropsIsLoggedWhole();
    void readingsOneSecondApartThroughReopenAndLoss();
    void timeStampsGiveArrivalTimesWhileTheDisplayLags();
};

void TestSessionLogEndToEnd::typedBytesAndTheirEchoInTheLogAndTheHexRows()
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

    for (const QStringList &arguments :
         {QStringList{"--decode-log", path}, QStringList{"--decode-log", path, "--sent"}}) {
        const Decoded decoded = decodedByTheProgram(arguments);
        QCOMPARE(decoded.bytes, values);
        QCOMPARE(decoded.exitCode, 0);
    }
    // Sent and received alternate in bursts.
    QByteArray marks;
    for (const QByteArray &line : fileContent(path).split('\n')) {
        const char mark = line.size() > 24 ? line[24] : '!';
        if (mark != '!' && !marks.endsWith(mark))
            marks += mark;
    }
    QCOMPARE(marks, QByteArray("><").repeated(256 / Burst));

    // The hex rows heard the same traffic: each direction's bytes back in
    // order, the directions alternating by burst.
    const HexHistory &history = program.window->hexHistory();
    QByteArray hexSent;
    QByteArray hexReceived;
    QByteArray hexMarks;
    for (qint64 number = history.firstRow(); number < history.endRow(); ++number) {
        const HexHistory::Row &row = history.row(number);
        (row.kind == HexHistory::Kind::Sent ? hexSent : hexReceived) +=
            QByteArray(row.bytes.data(), row.count);
        if (row.kind != HexHistory::Kind::Event && !hexMarks.endsWith(char(row.kind)))
            hexMarks += char(row.kind);
    }
    QCOMPARE(hexSent, values);
    QCOMPARE(hexReceived, values);
    QCOMPARE(hexMarks, marks);
}

void TestSessionLogEndToEnd::decodeLogCommand_data()
{
    QTest::addColumn<QStringList>("arguments"); // "%1" stands for the log file
    QTest::addColumn<bool>("badLine");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("errors");

    const QByteArray received("rx\rmore");
    const QByteArray sent("TX\0", 3);
    const QStringList fromFile{"--decode-log", "%1"};
    const QStringList fromPipe{"--decode-log", "/dev/stdin"};
    const QByteArray none;
    QTest::newRow("received, from a pipe") << fromPipe << false << received << none;
    QTest::newRow("a bad line") << fromFile << true << received
                                << QByteArray("%1:4: not a log line, skipped\n");
    QTest::newRow("a bad line, sent, from a pipe")
        << fromPipe + QStringList{"--sent"} << true << sent
        << QByteArray("/dev/stdin:4: not a log line, skipped\n");
}

// Different bytes each way, from a file or a pipe; a skipped line fails the command.
void TestSessionLogEndToEnd::decodeLogCommand()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, badLine);
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, errors);
    const QByteArray log = "2026-01-02T03:04:05.000 ! log started\r\n"
                           "2026-01-02T03:04:05.001 < rx[CR ]\r\n"
                           "2026-01-02T03:04:05.002 > TX[NUL]\r\n" +
                           QByteArray(badLine ? "not a log line\r\n" : "") +
                           "2026-01-02T03:04:05.003 < more\r\n";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("session.log"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(log) == log.size());
    file.close();
    const bool fromPipe = arguments.contains(QStringLiteral("/dev/stdin"));
    arguments.replaceInStrings(QStringLiteral("%1"), path);

    const Decoded decoded = decodedByTheProgram(arguments, fromPipe ? log : QByteArray());
    QCOMPARE(decoded.bytes, bytes);
    QCOMPARE(decoded.errors, QByteArray(errors).replace("%1", path.toLocal8Bit()));
    QCOMPARE(decoded.exitCode, badLine ? 1 : 0);
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

    // The display falls 100,000 entries behind, as in a long burst.
    auto *showTimer = program.child<QTimer>("Timer1");
    showTimer->blockSignals(true);
    for (int i = 0; i < 100000; ++i)
        program.window->receivePath().receive("x");
    auto *dropLabel = program.child<QLabel>("lblDataDrop");
    QTRY_VERIFY(dropLabel->isVisible());
    // The report is looked for as it is appended: the flood after it may push
    // it out of the display before a later look.
    bool reported = false;
    connect(&program.window->receivePath(), &ReceivePath::droppingReported, this, [&] {
        reported = program.display().right(200).contains("......Input Buffer OverFlow..........");
    });
    showTimer->blockSignals(false);
    program.window->Timer1_Timer();
    QTRY_VERIFY_WITH_TIMEOUT(reported, 20000);

    QTRY_VERIFY_WITH_TIMEOUT(receivedIn(path).size() >= Size, 20000);
    program.window->close();
    QVERIFY(program.services.messageBoxes.shown.isEmpty());
    QCOMPARE(receivedIn(path), Payload(Size, Payload::Mix::Mixed, 1).take(Size));
    QVERIFY(fileContent(path).endsWith(" ! log stopped\r\n"));
}

// Readings every second keep their spacing in the log's times, the log goes
// on across a reopen of the port and past the loss of the device.
void TestSessionLogEndToEnd::readingsOneSecondApartThroughReopenAndLoss()
{
    auto device = std::make_unique<DevSim>(
        QStringList{"readings", "--text", "+0012.34 kg", "--interval-ms", "1000"});
    QVERIFY(!device->path.isEmpty());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("readings.log"));
    QtCommPort port;
    DisplayOptions options;
    SystemClock clock;
    RecordingMessageBoxes messages;
    SessionLog log(options, clock, messages);
    port.setRecorder(&log);
    connect(&port, &CommPort::OnComm, &port, [&port] { port.Input(); });
    QVERIFY(log.start(path));
    port.setCommPort(device->path);
    QCOMPARE(port.setPortOpen(true), CommError::None);

    const auto readings = [&] { return fileContent(path).count(" < +0012.34 kg[CR ]"); };
    QTRY_VERIFY_WITH_TIMEOUT(readings() >= 2, 5000);
    port.setPortOpen(false);
    QCOMPARE(port.setPortOpen(true), CommError::None);
    QTRY_VERIFY_WITH_TIMEOUT(readings() >= 4, 5000);
    device.reset();
    QTRY_VERIFY(!port.PortOpen());
    QVERIFY(log.isLogging());
    log.stop();

    QList<QDateTime> times;
    QByteArrayList events;
    for (const QByteArray &line : fileContent(path).split('\n')) {
        if (line.contains(" < +0012.34 kg"))
            times.append(
                QDateTime::fromString(QString::fromLatin1(line.left(23)), Qt::ISODateWithMs));
        else if (line.contains(" ! "))
            events.append(line.mid(line.indexOf(" ! ") + 3).trimmed());
    }
    for (qsizetype i = 1; i < times.size(); ++i) {
        const qint64 apart = times[i - 1].msecsTo(times[i]);
        QVERIFY2(qAbs(apart - 1000) <= 20, qPrintable(QString::number(apart)));
    }
    const QByteArray name = port.deviceName().toLatin1();
    QCOMPARE(events.first(), "log started");
    QVERIFY(events.contains("port " + name + " closed"));
    QVERIFY(events.contains("port " + name + " lost: the device is gone"));
    QCOMPARE(events.last(), "log stopped");
    QVERIFY(messages.shown.isEmpty());
}

// Readings a second apart show stamps a second apart, also those that waited
// while the display was held back, and each is the time the log gives the
// bytes that begin its line.
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
    showTimer->blockSignals(false);
    program.window->Timer1_Timer();
    QTRY_VERIFY(shown() >= held + 3);
    program.window->close();

    QList<qint64> logTimes; // of the data lines that start a display line: "[LF ]"
    for (const QByteArray &line : fileContent(path).split('\n')) {
        if (line.contains(" < [LF ]"))
            logTimes += QDateTime::fromString(QString::fromLatin1(line.left(23)), Qt::ISODateWithMs)
                            .toMSecsSinceEpoch();
    }
    const DisplayModel &model = program.window->displayModel();
    QList<qint64> stamps;
    for (qsizetype line = 0; line < model.lineCount(); ++line) {
        if (model.textView(model.lineStart(line), 21) != "[LF ]+0012.34 kg[CR ]")
            continue;
        const qint64 stamp = model.lineTime(line);
        QVERIFY2(std::any_of(logTimes.begin(), logTimes.end(),
                             [stamp](qint64 time) { return qAbs(time - stamp) <= 5; }),
                 qPrintable(QString::number(stamp)));
        stamps += stamp;
    }
    QVERIFY(stamps.size() >= 4);
    for (qsizetype i = 1; i < stamps.size(); ++i) {
        const qint64 apart = stamps[i] - stamps[i - 1];
        QVERIFY2(qAbs(apart - 1000) <= 20, qPrintable(QString::number(apart)));
    }
}

QTEST_MAIN(TestSessionLogEndToEnd)
#include "tst_sessionlogendtoend.moc"
