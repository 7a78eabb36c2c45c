#include "CommPort.h"
#include "FakeCommPort.h"
#include "LineMarkerParser.h"
#include "LineSettings.h"
#include "PortReconnector.h"
#include "ReadPacer.h"
#include "SerialPortNames.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using Chunks = QList<QByteArray>;
Q_DECLARE_METATYPE(std::optional<LineSettings>)

// Reads of one size at one spacing.
struct Reads
{
    qint64 bytes;
    qint64 everyMs;
    int count;
    bool more = false; // each read stopped with data still waiting
};
Q_DECLARE_METATYPE(QList<Reads>)

// Pieces of all reads with neighbouring data joined, written as d(41 42) for
// data and m(00) for a marked byte, so that where a read ended does not show.
static QString render(LineMarkerParser &parser, const Chunks &chunks)
{
    QStringList parts;
    bool lastWasData = false;
    for (const QByteArray &chunk : chunks) {
        for (const LineMarkerParser::Piece &piece : parser.feed(chunk)) {
            const bool data = piece.kind == LineMarkerParser::Piece::Data;
            const QString hex = QString::fromLatin1(piece.bytes.toHex(' '));
            if (data && lastWasData)
                parts.last().insert(parts.last().size() - 1, QLatin1Char(' ') + hex);
            else
                parts.append(QStringLiteral("%1(%2)").arg(QChar(data ? 'd' : 'm'), hex));
            lastWasData = data;
        }
    }
    return parts.join(u' ');
}

class TestSerialPort : public QObject
{
    Q_OBJECT

private slots:
    void parseSettings_data();
    void parseSettings();
    void resolvePortName_data();
    void resolvePortName();
    void portChoices_data();
    void portChoices();

    void deliversInOrder_data();
    void deliversInOrder();
    void closedPortIsInert();
    void settingsAreCheckedAndAppliedWhileOpen();
    void reconnectorWaitsForTheDevice();
    void outputQueueAndTransmitFull();
    void parser_data();
    void parser();
    void markingCanBeSwitchedOff();
    void classify_data();
    void classify();
    void readPauseAfterEachPhase_data();
    void readPauseAfterEachPhase();
    void steadyStreamIsBatchedWithinTheLineBuffer_data();
    void steadyStreamIsBatchedWithinTheLineBuffer();
};

void TestSerialPort::parseSettings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<LineSettings>>("expected");

    using P = LineSettings::Parity;
    using S = LineSettings::StopBits;
    const auto row = [](const char *text, std::optional<LineSettings> expected) {
        QTest::addRow("\"%s\"", text) << QString::fromLatin1(text) << expected;
    };
    row("9600,N,8,1", LineSettings{9600, P::None, 8, S::One});
    row("110,e,7,2", LineSettings{110, P::Even, 7, S::Two});
    row(" 19200 , O , 5 , 1.5 ", LineSettings{19200, P::Odd, 5, S::OneAndHalf});
    row("12345,M,6,1", LineSettings{12345, P::Mark, 6, S::One});
    row("9600,S,4,2", LineSettings{9600, P::Space, 4, S::Two});
    for (const char *text :
         {"", "9600,N,8", "9600,N,8,1,1", "9600.5,N,8,1", "0,N,8,1", "3000000000,N,8,1",
          "9600,None,8,1", "9600,X,8,1", "9600,N,9,1", "9600,N,3,1", "9600,N,8,1.0"})
        row(text, std::nullopt);
}

void TestSerialPort::parseSettings()
{
    QFETCH(QString, text);
    QTEST(LineSettings::parse(text), "expected");
}

void TestSerialPort::resolvePortName_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("device");

    const auto row = [](const char *name, const char *text, const char *device) {
        QTest::newRow(name) << QString::fromLatin1(text) << QString::fromLatin1(device);
    };
    row("first port", "1", "/dev/ttyS0");
    row("zero", "0", "");
    row("blank", "   ", "");
    row("number too large", "99999999999999999999", "");
    row("bare name with blanks", " ttyUSB1 ", "/dev/ttyUSB1");
}

void TestSerialPort::resolvePortName()
{
    QFETCH(QString, text);
    QTEST(::resolvePortName(text), "device");
}

void TestSerialPort::portChoices_data()
{
    QTest::addColumn<QStringList>("system");
    QTest::addColumn<QStringList>("stable");
    QTest::addColumn<QStringList>("extra");

    const auto row = [](const char *name, QStringList system, QStringList stable,
                        QStringList extra) { QTest::newRow(name) << system << stable << extra; };
    const QString stable = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R-if00-port0");
    row("natural order", {"/dev/ttyUSB10", "/dev/ttyUSB2", "/dev/ttyACM0"}, {},
        {"/dev/ttyACM0", "/dev/ttyUSB2", "/dev/ttyUSB10"});
    row("numbered ports left out", {"/dev/ttyS0", "/dev/ttyS8", "/dev/ttyS7"}, {}, {"/dev/ttyS8"});
    row("stable names last, repeats once", {"/dev/ttyUSB0", "/dev/ttyUSB0"}, {stable},
        {"/dev/ttyUSB0", stable});
}

void TestSerialPort::portChoices()
{
    QFETCH(QStringList, system);
    QFETCH(QStringList, stable);
    QFETCH(QStringList, extra);

    const QStringList numbered{"1", "2", "3", "4", "5", "6", "7", "8"};
    QCOMPARE(::portChoices(system, stable), numbered + extra);
}

void TestSerialPort::deliversInOrder_data()
{
    QTest::addColumn<QStringList>("device"); // in:<data>, ev:<code>, lost
    QTest::addColumn<QString>("expected");

    const auto row = [](const char *name, QStringList device, const char *expected) {
        QTest::newRow(name) << device << QString::fromLatin1(expected);
    };
    row("break between data", {"in:AB", "ev:1001", "in:CD"}, "AB<1001>CD");
    row("events back to back", {"in:A", "ev:1009", "ev:1004", "in:B"}, "A<1009><1004>B");
    row("event first", {"ev:1006", "in:A"}, "<1006>A");
    row("nothing after lost", {"in:A", "lost", "in:B", "ev:1001", "lost"}, "A<lost>");
}

void TestSerialPort::deliversInOrder()
{
    QFETCH(QStringList, device);
    QFETCH(QString, expected);

    // What a receive handler sees as one stream: data as they are taken, events as
    // <code>, the loss as <lost>. The data are taken in the handler or, deferred, later.
    for (const bool deferred : {false, true}) {
        QString stream;
        FakeCommPort port;
        connect(&port, &CommPort::OnComm, this, [&] {
            const auto take = [&] { stream += QString::fromLatin1(port.Input()); };
            if (port.CommEvent() != CommPort::Receive)
                stream += QStringLiteral("<%1>").arg(port.CommEvent());
            else if (deferred)
                QTimer::singleShot(0, &port, take);
            else
                take();
        });
        connect(&port, &CommPort::deviceLost, this, [&] { stream += QStringLiteral("<lost>"); });
        QCOMPARE(port.setPortOpen(true), CommError::None);
        for (const QString &action : device) {
            if (action.startsWith(u"in:"))
                port.deliverInput(action.sliced(3).toLatin1());
            else if (action.startsWith(u"ev:"))
                port.deliverEvent(action.sliced(3).toInt());
            else
                port.loseDevice();
        }
        QTRY_COMPARE(stream, expected);
        // A lost device closes the port at once and is reported only once.
        QCOMPARE(port.PortOpen(), !device.contains(u"lost"));
        QVERIFY(!QSignalSpy(&port, &CommPort::deviceLost).wait(50));
    }
}

void TestSerialPort::closedPortIsInert()
{
    FakeCommPort port;
    QList<int> codes;
    connect(&port, &CommPort::OnComm, this, [&] { codes.append(port.CommEvent()); });
    port.cts = true;
    port.refuseOpen = CommError::PortBusy;
    QCOMPARE(port.setPortOpen(true), CommError::PortBusy);
    // A closed port neither delivers nor reaches the device.
    port.deliverInput("ignored");
    QVERIFY(!port.CTSHolding() && !port.setLineRate(28800) && !port.setRTS(true));
    QVERIFY(!port.setDTR(false) && !port.sendBreak(250) && port.appliedLineRate() == 0);
    port.Output("x");
    QVERIFY(port.written.isEmpty() && port.log.isEmpty() && codes.isEmpty());

    // Closing discards what waits: the break goes, the next arrival comes alone.
    port.refuseOpen = CommError::None;
    QCOMPARE(port.setPortOpen(true), CommError::None);
    QVERIFY(port.CTSHolding() && port.errorString().isEmpty());
    port.deliverInput("AB");
    port.deliverEvent(CommPort::Break);
    port.setPortOpen(false);
    port.setPortOpen(true);
    port.deliverInput("C");
    QCOMPARE(port.Input(), "C");
    QCOMPARE(codes, (QList<int>{CommPort::Receive, CommPort::Receive}));

    // A handler that closes the port gets nothing more.
    connect(&port, &CommPort::OnComm, this, [&] { port.setPortOpen(false); });
    port.deliverInput("D");
    port.deliverEvent(CommPort::Break);
    QCOMPARE(codes.size(), 3);
}

void TestSerialPort::settingsAreCheckedAndAppliedWhileOpen()
{
    FakeCommPort port;
    const auto settings = [&port] { return std::pair(port.Settings(), port.Handshaking()); };
    QCOMPARE(port.setSettings(QStringLiteral("9600,X,8,1")), CommError::SettingRefused);
    QCOMPARE(port.setHandshaking(4), CommError::SettingRefused);
    QCOMPARE(port.setHandshaking(-1), CommError::SettingRefused);
    QCOMPARE(settings(), std::pair(QStringLiteral("9600,N,8,1"), 0));

    QCOMPARE(port.setSettings(QStringLiteral("1200,E,7,2")), CommError::None);
    QCOMPARE(port.setHandshaking(3), CommError::None);
    port.setPortOpen(true);
    QCOMPARE(port.setSettings(QStringLiteral("300,O,8,1")), CommError::None);
    QCOMPARE(port.setHandshaking(1), CommError::None);
    // A line rate of its own, RTS, DTR and a break leave the settings as they
    // are; the rate applied is read back.
    QCOMPARE(port.appliedLineRate(), 300);
    QCOMPARE((QList<bool>{port.setLineRate(28800), port.setLineRate(0), port.setRTS(true),
                          port.setDTR(false), port.sendBreak(250), port.sendBreak(0)}),
             (QList<bool>{true, false, true, true, true, false}));
    QCOMPARE(port.appliedLineRate(), 28800);
    QCOMPARE(settings(), std::pair(QStringLiteral("300,O,8,1"), 1));
    QCOMPARE(port.log,
             (QStringList{"open 1 1200,E,7,2 3", "settings 300,O,8,1 3", "settings 300,O,8,1 1",
                          "rate 28800", "rts 1", "dtr 0", "break 250"}));

    // What the device refuses changes nothing.
    port.refuseSettings = CommError::SettingRefused;
    port.refuseLineRate = true;
    QCOMPARE(port.setSettings(QStringLiteral("9600,N,4,1")), CommError::SettingRefused);
    QCOMPARE(port.setHandshaking(2), CommError::SettingRefused);
    QVERIFY(!port.setLineRate(12345));
    QCOMPARE(settings(), std::pair(QStringLiteral("300,O,8,1"), 1));
    QCOMPARE(port.appliedLineRate(), 28800);
}

void TestSerialPort::reconnectorWaitsForTheDevice()
{
    // The device is a file in a folder of the test's own.
    QTemporaryDir folder;
    const QString device = folder.filePath(QStringLiteral("ttyACM0"));
    const auto plugIn = [&device] { return QFile(device).open(QIODevice::WriteOnly); };
    QVERIFY(plugIn());
    FakeCommPort port;
    port.setCommPort(device);
    QCOMPARE(port.setPortOpen(true), CommError::None);

    // Each attempt says whether the port is open afterwards.
    bool deviceReady = false;
    QList<qint64> attempts; // ms after the device was back
    QElapsedTimer clock;
    PortReconnector reconnector(port, [&] {
        attempts.append(clock.elapsed());
        return deviceReady && port.setPortOpen(true) == CommError::None;
    });
    QSignalSpy reconnected(&reconnector, &PortReconnector::reconnected);

    QVERIFY(QFile::remove(device));
    port.loseDevice();
    reconnector.waitForDevice();
    QTest::qWait(3 * PortReconnector::CheckIntervalMs);
    QVERIFY(attempts.isEmpty());

    // Back, but not ready: tried at once, then not before a second has passed.
    clock.start();
    QVERIFY(plugIn());
    QTRY_COMPARE_WITH_TIMEOUT(attempts.size(), 1, 1000);
    QVERIFY2(attempts[0] < 500, qPrintable(QString::number(attempts[0])));
    QTRY_COMPARE_WITH_TIMEOUT(attempts.size(), 2, 2000);
    QVERIFY2(attempts[1] - attempts[0] >= 1000, qPrintable(QString::number(attempts[1])));

    // Made anew, the node is tried at the next look.
    QVERIFY(QFile::remove(device));
    QTest::qWait(2 * PortReconnector::CheckIntervalMs);
    deviceReady = true;
    const qint64 replugged = clock.elapsed();
    QVERIFY(plugIn());
    QVERIFY(reconnected.wait(1000));
    QCOMPARE(attempts.size(), 3);
    QVERIFY2(attempts[2] - replugged < 500, qPrintable(QString::number(attempts[2] - replugged)));
    QVERIFY(!reconnector.isWaiting());

    // stop() ends the waiting.
    port.loseDevice();
    reconnector.waitForDevice();
    reconnector.stop();
    QTest::qWait(2 * PortReconnector::CheckIntervalMs);
    QCOMPARE(attempts.size(), 3);
    QCOMPARE(reconnected.count(), 1);
}

void TestSerialPort::outputQueueAndTransmitFull()
{
    FakeCommPort port;
    port.setOutBufferSize(16);
    port.holdOutput = true;
    QSignalSpy spy(&port, &CommPort::OnComm);
    port.setPortOpen(true);

    port.Output("0123456789");
    port.Output("abcdef");
    QCOMPARE(port.OutBufferCount(), 16);
    QCOMPARE(spy.count(), 0);

    // What does not fit is dropped and reported.
    port.drainOutput(4);
    port.Output("ABCDEFGH");
    QCOMPARE(port.written, "0123456789abcdefABCD");
    QCOMPARE(port.OutBufferCount(), 16);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(port.CommEvent(), int(CommPort::TransmitFull));

    // A closed port has nothing queued.
    port.setPortOpen(false);
    QCOMPARE(port.OutBufferCount(), 0);
}

void TestSerialPort::parser_data()
{
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<QString>("expected");

    const auto row = [](const char *name, Chunks chunks, const char *expected) {
        QTest::newRow(name) << chunks << QString::fromLatin1(expected);
    };
    const QByteArray breakMarker("\377\0\0", 3);
    const QByteArray nul(1, '\0');
    row("no bytes", {"", "A", ""}, "d(41)");
    row("literal ff", {"A\377\377B"}, "d(41 ff 42)");
    row("literal ff split", {"A\377", "\377B"}, "d(41 ff 42)");
    row("break", {"A" + breakMarker + "B"}, "d(41) m(00) d(42)");
    row("break one byte per read", {"\377", nul, nul}, "m(00)");
    row("error on a byte", {QByteArray("x\377\0A", 4)}, "d(78) m(41)");
    row("error on ff", {QByteArray("\377\0\377", 3)}, "m(ff)");
    row("error on escape split", {QByteArray("\377\0", 2), "\377", "\377", "\377"}, "m(ff) d(ff)");
    row("nul data stays data", {QByteArray("\0\0A", 3)}, "d(00 00 41)");
    row("escape before other byte is itself", {"\377A"}, "d(ff 41)");
    row("escape at end waits", {"A\377"}, "d(41)");
}

void TestSerialPort::parser()
{
    QFETCH(Chunks, chunks);
    QFETCH(QString, expected);

    LineMarkerParser parser;
    QCOMPARE(render(parser, chunks), expected);
}

void TestSerialPort::markingCanBeSwitchedOff()
{
    LineMarkerParser parser(false);
    QCOMPARE(render(parser, {QByteArray("\377\377\377\0\0", 5)}), "d(ff ff ff 00 00)");

    // Switched on, it marks; switched off, a pending escape is plain data.
    parser.setMarking(true);
    QCOMPARE(render(parser, {QByteArray("\377\0A", 3)}), "m(41)");
    QCOMPARE(render(parser, {"\377"}), "");
    parser.setMarking(false);
    QCOMPARE(render(parser, {"\377"}), "d(ff)");
}

void TestSerialPort::classify_data()
{
    QTest::addColumn<char>("byte");
    QTest::addColumn<QList<int>>("counts"); // breaks, framing, parity
    QTest::addColumn<bool>("parityOn");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("keepByte");
    QTest::addColumn<QList<int>>("countsLeft");

    const auto row = [](const char *name, char byte, QList<int> counts, bool parityOn, int code,
                        QList<int> left) {
        QTest::newRow(name) << byte << counts << parityOn << code << (code != CommPort::Break)
                            << left;
    };
    const int breakCode = CommPort::Break;
    const int framing = CommPort::FramingError;
    const int parity = CommPort::ParityError;
    row("counted break", '\0', {1, 0, 0}, false, breakCode, {0, 0, 0});
    row("nul with parity error counted", '\0', {0, 1, 1}, true, parity, {0, 1, 0});
    row("nul with framing error counted", '\0', {0, 1, 0}, false, framing, {0, 0, 0});
    row("nul uncounted is a break", '\0', {0, 0, 0}, true, breakCode, {0, 0, 0});
    row("byte never uses a break count", 'A', {2, 0, 0}, false, framing, {2, 0, 0});
    row("byte uncounted, parity on", 'A', {0, 0, 0}, true, parity, {0, 0, 0});
    row("byte uncounted, parity off", '\377', {0, 0, 0}, false, framing, {0, 0, 0});
}

void TestSerialPort::classify()
{
    QFETCH(char, byte);
    QFETCH(QList<int>, counts);
    QFETCH(bool, parityOn);

    LineErrorCounts unused{counts[0], counts[1], counts[2]};
    const LineEvent event = classifyMarkedByte(byte, &unused, parityOn);
    QTEST(event.code, "code");
    QTEST(event.keepByte, "keepByte");
    QTEST((QList{unused.breaks, unused.framing, unused.parity}), "countsLeft");
}

void TestSerialPort::readPauseAfterEachPhase_data()
{
    QTest::addColumn<QList<Reads>>("phases");
    // The pause in ms after the last read of each phase; 0: read as data come.
    QTest::addColumn<QList<int>>("pauses");

    const auto row = [](const char *name, QList<Reads> phases, QList<int> pauses) {
        QTest::newRow(name) << phases << pauses;
    };
    const Reads trickle{460, 40, 50}; // 115200 baud, read every 40 ms
    const Reads flood{4096, 1, 300};  // the line buffer full at every read
    const Reads quiet{0, 40, 1};      // a read that finds nothing
    const Reads first{20, 5000, 1};   // the first read of a stream
    row("first read of a stream probes its rate", {first}, {1});
    row("a full first read is followed at once", {{4096, 5000, 1}}, {0});
    row("data left behind are read at once", {trickle, {65536, 40, 1, true}}, {40, 0});
    row("a flood that slows to a trickle", {flood, trickle}, {0, 40});
    row("an empty read after the longest pause ends the stream", {trickle, quiet, first},
        {40, 0, 1});
    row("empty reads lengthen a shorter pause",
        {first, {0, 1, 1}, {0, 2, 1}, {0, 4, 4}, {1, 40, 1}}, {1, 2, 4, 40, 40});
    row("a burst shortens the pause at once", {trickle, {2048, 2, 1}}, {40, 2});
    // A bursty stream is judged by its bursts, not by its lulls.
    row("a lull lengthens the pause only a little", {{2048, 2, 50}, {100, 20, 1}}, {2, 3});
}

void TestSerialPort::readPauseAfterEachPhase()
{
    QFETCH(QList<Reads>, phases);
    QFETCH(QList<int>, pauses);

    ReadPacer pacer;
    qint64 nowMs = 1000;
    for (qsizetype phase = 0; phase < phases.size(); ++phase) {
        int pause = -1;
        for (int read = 0; read < phases[phase].count; ++read) {
            nowMs += phases[phase].everyMs;
            pause = pacer.pauseAfterRead(phases[phase].bytes, nowMs, phases[phase].more);
        }
        QVERIFY2(pause == pauses[phase],
                 qPrintable(QStringLiteral("phase %1: %2 ms").arg(phase).arg(pause)));
    }
}

void TestSerialPort::steadyStreamIsBatchedWithinTheLineBuffer_data()
{
    QTest::addColumn<qint64>("bytesPerSecond");
    QTest::addColumn<int>("steadyPauseMs");

    QTest::newRow("115200 baud") << qint64(11520) << 40;
    QTest::newRow("100 KB/s") << qint64(102400) << 20;
    QTest::newRow("4 MB/s") << qint64(4194304) << 0;
}

// The port reads again after each pause (at the next millisecond when there
// is none) and finds what arrived meanwhile.
void TestSerialPort::steadyStreamIsBatchedWithinTheLineBuffer()
{
    QFETCH(qint64, bytesPerSecond);
    QFETCH(int, steadyPauseMs);

    ReadPacer pacer;
    qint64 nowMs = 1000;
    int pause = pacer.pauseAfterRead(1, nowMs);
    for (int read = 0; read < 500; ++read) {
        const qint64 elapsedMs = std::max(pause, 1);
        nowMs += elapsedMs;
        const qint64 bytes = bytesPerSecond * elapsedMs / 1000;
        // The kernel throttles the device when its 4 KiB line buffer has
        // fewer than 128 bytes free; what a pause gathers stays well below.
        if (read > 0 && pause > 0)
            QVERIFY2(bytes <= 2 * 1024 + 128, qPrintable(QString::number(bytes)));
        pause = pacer.pauseAfterRead(bytes, nowMs);
        QVERIFY(pause <= 40);
    }
    QCOMPARE(pause, steadyPauseMs);
}

QTEST_GUILESS_MAIN(TestSerialPort)
#include "tst_serialport.moc"
