#include "CommPort.h"
#include "FakeCommPort.h"
#include "LineSettings.h"
#include "SerialPortNames.h"

#include <QEventLoop>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

Q_DECLARE_METATYPE(CommError)

// Writes what a receive handler sees as one stream: data as they are taken,
// events as <code>, the loss as <lost>. Takes the data inside the handler,
// or later from the event loop when deferred.
class StreamReader : public QObject
{
public:
    StreamReader(CommPort *port, bool deferred) : m_port(port)
    {
        connect(port, &CommPort::OnComm, this, [this, deferred] {
            const int code = m_port->CommEvent();
            if (code != CommPort::Receive)
                stream += QStringLiteral("<%1>").arg(code);
            else if (deferred)
                QTimer::singleShot(0, this, [this] { take(); });
            else
                take();
        });
        connect(port, &CommPort::deviceLost, this, [this] { stream += QStringLiteral("<lost>"); });
    }

    QString stream;

private:
    void take() { stream += QString::fromLatin1(m_port->Input()); }

    CommPort *m_port;
};

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
    void reraisesReceiveForDataStillWaiting();
    void handlerThatLetsEventsRunIsNotReentered();
    void closingDiscardsWaitingInput();
    void closingInHandlerStopsDelivery();
    void lostIsReportedOnce();
    void openFailure_data();
    void openFailure();
    void settingsAreCheckedAndAppliedWhileOpen();
    void deviceOperationsNeedAnOpenPort();
    void outputQueueAndTransmitFull();
};

void TestSerialPort::parseSettings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("baudRate");
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("stopBits");

    using P = LineSettings::Parity;
    using S = LineSettings::StopBits;
    QTest::newRow("9600,N,8,1") << "9600,N,8,1" << true << 9600 << int(P::None) << 8 << int(S::One);
    QTest::newRow("lower case even, 2 stop")
        << "110,e,7,2" << true << 110 << int(P::Even) << 7 << int(S::Two);
    QTest::newRow("odd, blanks around fields")
        << " 19200 , O , 5 , 1.5 " << true << 19200 << int(P::Odd) << 5 << int(S::OneAndHalf);
    QTest::newRow("mark, odd rate")
        << "12345,M,6,1" << true << 12345 << int(P::Mark) << 6 << int(S::One);
    QTest::newRow("space, 4 data bits")
        << "9600,S,4,2" << true << 9600 << int(P::Space) << 4 << int(S::Two);

    const auto invalid = [](const char *name, const char *text) {
        QTest::newRow(name) << QString::fromLatin1(text) << false << 0 << 0 << 0 << 0;
    };
    invalid("empty", "");
    invalid("three fields", "9600,N,8");
    invalid("five fields", "9600,N,8,1,1");
    invalid("rate not a number", "abc,N,8,1");
    invalid("rate with fraction", "9600.5,N,8,1");
    invalid("rate zero", "0,N,8,1");
    invalid("rate negative", "-300,N,8,1");
    invalid("rate too large", "3000000000,N,8,1");
    invalid("parity unknown", "9600,X,8,1");
    invalid("parity word", "9600,None,8,1");
    invalid("9 data bits", "9600,N,9,1");
    invalid("3 data bits", "9600,N,3,1");
    invalid("3 stop bits", "9600,N,8,3");
    invalid("stop bits 1.0", "9600,N,8,1.0");
}

void TestSerialPort::parseSettings()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);

    const std::optional<LineSettings> settings = LineSettings::parse(text);
    QCOMPARE(settings.has_value(), valid);
    if (!valid)
        return;
    QTEST(int(settings->baudRate), "baudRate");
    QTEST(int(settings->parity), "parity");
    QTEST(settings->dataBits, "dataBits");
    QTEST(int(settings->stopBits), "stopBits");
}

void TestSerialPort::resolvePortName_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("device");

    QTest::newRow("first port") << "1"
                                << "/dev/ttyS0";
    QTest::newRow("eighth port") << "8"
                                 << "/dev/ttyS7";
    QTest::newRow("beyond the list") << "12"
                                     << "/dev/ttyS11";
    QTest::newRow("number with blanks") << " 3 "
                                        << "/dev/ttyS2";
    QTest::newRow("leading zero") << "01"
                                  << "/dev/ttyS0";
    QTest::newRow("zero") << "0"
                          << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("blank") << "   "
                           << "";
    QTest::newRow("number too large") << "99999999999999999999"
                                      << "";
    QTest::newRow("bare name") << "ttyUSB0"
                               << "/dev/ttyUSB0";
    QTest::newRow("name with folder") << "pts/3"
                                      << "/dev/pts/3";
    QTest::newRow("digits then letters") << "1a"
                                         << "/dev/1a";
    QTest::newRow("absolute device") << "/dev/ttyACM0"
                                     << "/dev/ttyACM0";
    QTest::newRow("absolute elsewhere") << "/tmp/wirelook-port"
                                        << "/tmp/wirelook-port";
    QTest::newRow("name with blanks") << " ttyUSB1 "
                                      << "/dev/ttyUSB1";
}

void TestSerialPort::resolvePortName()
{
    QFETCH(QString, text);
    QTEST(::resolvePortName(text), "device");
}

void TestSerialPort::portChoices_data()
{
    QTest::addColumn<QStringList>("system");
    QTest::addColumn<QStringList>("extra");

    QTest::newRow("none") << QStringList{} << QStringList{};
    QTest::newRow("natural order") << QStringList{"/dev/ttyUSB10", "/dev/ttyUSB2", "/dev/ttyACM0"}
                                   << QStringList{"/dev/ttyACM0", "/dev/ttyUSB2", "/dev/ttyUSB10"};
    QTest::newRow("numbered ports left out")
        << QStringList{"/dev/ttyS0", "/dev/ttyS8", "/dev/ttyS7"} << QStringList{"/dev/ttyS8"};
    QTest::newRow("repeats once") << QStringList{"/dev/ttyUSB0", "/dev/ttyUSB0"}
                                  << QStringList{"/dev/ttyUSB0"};
}

void TestSerialPort::portChoices()
{
    QFETCH(QStringList, system);
    QFETCH(QStringList, extra);

    const QStringList numbered{"1", "2", "3", "4", "5", "6", "7", "8"};
    QCOMPARE(::portChoices(system), numbered + extra);
}

void TestSerialPort::deliversInOrder_data()
{
    QTest::addColumn<QStringList>("device"); // in:<data>, ev:<code>, cts:<0|1>, lost
    QTest::addColumn<QString>("stream");

    QTest::newRow("data") << QStringList{"in:AB", "in:CD"} << "ABCD";
    QTest::newRow("break between data") << QStringList{"in:AB", "ev:1001", "in:CD"} << "AB<1001>CD";
    QTest::newRow("events back to back")
        << QStringList{"in:A", "ev:1009", "ev:1004", "in:B"} << "A<1009><1004>B";
    QTest::newRow("event first") << QStringList{"ev:1006", "in:A"} << "<1006>A";
    QTest::newRow("cts change") << QStringList{"in:A", "cts:1", "in:B"} << "A<3>B";
    QTest::newRow("lost after data")
        << QStringList{"in:AB", "ev:1001", "in:CD", "lost"} << "AB<1001>CD<lost>";
    QTest::newRow("nothing after lost")
        << QStringList{"in:A", "lost", "in:B", "ev:1001", "lost"} << "A<lost>";
}

void TestSerialPort::deliversInOrder()
{
    QFETCH(QStringList, device);
    QFETCH(QString, stream);

    for (const bool deferred : {false, true}) {
        FakeCommPort port;
        StreamReader reader(&port, deferred);
        QCOMPARE(port.setPortOpen(true), CommError::None);
        for (const QString &action : device) {
            if (action.startsWith(u"in:"))
                port.deliverInput(action.sliced(3).toLatin1());
            else if (action.startsWith(u"ev:"))
                port.deliverEvent(action.sliced(3).toInt());
            else if (action.startsWith(u"cts:"))
                port.setCts(action.endsWith(u'1'));
            else
                port.loseDevice();
        }
        QTRY_COMPARE(reader.stream, stream);
    }
}

void TestSerialPort::reraisesReceiveForDataStillWaiting()
{
    FakeCommPort port;
    QSignalSpy spy(&port, &CommPort::OnComm);
    port.setPortOpen(true);

    port.deliverInput("A");
    port.deliverInput("B");
    QCOMPARE(spy.count(), 2);
    QCOMPARE(port.Input(), "AB");
    QCOMPARE(port.Input(), "");

    // Data behind an event wait until the data before the event are taken.
    port.deliverInput("C");
    port.deliverEvent(CommPort::Break);
    port.deliverInput("D");
    QCOMPARE(spy.count(), 3);
    QCOMPARE(port.Input(), "C");
    QTRY_COMPARE(spy.count(), 5);
    QCOMPARE(port.CommEvent(), int(CommPort::Receive));
    QCOMPARE(port.Input(), "D");
}

void TestSerialPort::handlerThatLetsEventsRunIsNotReentered()
{
    FakeCommPort port;
    port.setPortOpen(true);
    int depth = 0;
    int deepest = 0;
    QString stream;
    connect(&port, &CommPort::OnComm, this, [&] {
        ++depth;
        deepest = std::max(deepest, depth);
        if (port.CommEvent() == CommPort::Overrun) {
            // As a modal message box would: events run while it is shown.
            QEventLoop box;
            QTimer::singleShot(0, &port, [&] { port.deliverInput("late"); });
            QTimer::singleShot(0, &box, &QEventLoop::quit);
            box.exec();
            stream += QStringLiteral("<overrun>");
        } else {
            stream += QString::fromLatin1(port.Input());
        }
        --depth;
    });

    port.deliverInput("early");
    port.deliverEvent(CommPort::Overrun);
    QCOMPARE(stream, "early<overrun>late");
    QCOMPARE(deepest, 1);
}

void TestSerialPort::closingDiscardsWaitingInput()
{
    FakeCommPort port;
    QSignalSpy spy(&port, &CommPort::OnComm);
    port.setPortOpen(true);
    port.deliverInput("AB");
    port.deliverEvent(CommPort::Break);
    port.setPortOpen(false);
    QCOMPARE(port.Input(), "");

    port.setPortOpen(true);
    QCOMPARE(port.Input(), "");
    port.deliverInput("C");
    QCOMPARE(port.Input(), "C");
    QCOMPARE(spy.count(), 2); // the two arrivals; the break went with the close
}

void TestSerialPort::closingInHandlerStopsDelivery()
{
    FakeCommPort port;
    port.setPortOpen(true);
    QList<int> codes;
    connect(&port, &CommPort::OnComm, this, [&] {
        codes.append(port.CommEvent());
        port.setPortOpen(false);
    });
    port.deliverInput("A");
    QCOMPARE(codes, QList<int>{CommPort::Receive});
    QVERIFY(!port.PortOpen());
    port.deliverEvent(CommPort::Break);
    QCOMPARE(codes.size(), 1);
}

void TestSerialPort::lostIsReportedOnce()
{
    FakeCommPort port;
    QSignalSpy lost(&port, &CommPort::deviceLost);
    port.setPortOpen(true);
    port.deliverInput("A");
    port.loseDevice();
    QVERIFY(!port.PortOpen());
    QCOMPARE(port.log.last(), "close");
    QCOMPARE(lost.count(), 0); // "A" is still waiting
    QCOMPARE(port.Input(), "A");
    QTRY_COMPARE(lost.count(), 1);

    port.loseDevice();
    QCOMPARE(port.setPortOpen(false), CommError::None);
    QVERIFY(!lost.wait(50));
    QCOMPARE(lost.count(), 1);
}

void TestSerialPort::openFailure_data()
{
    QTest::addColumn<CommError>("error");
    QTest::newRow("no such port") << CommError::NoSuchPort;
    QTest::newRow("busy") << CommError::PortBusy;
    QTest::newRow("setting refused") << CommError::SettingRefused;
    QTest::newRow("other") << CommError::Other;
}

void TestSerialPort::openFailure()
{
    QFETCH(CommError, error);

    FakeCommPort port;
    port.refuseOpen = error;
    port.setCommPort(QStringLiteral("3"));
    QCOMPARE(port.setPortOpen(true), error);
    QVERIFY(!port.PortOpen());
    QVERIFY(port.errorString().contains(u'3'));
    port.deliverInput("ignored");
    QCOMPARE(port.Input(), "");

    port.refuseOpen = CommError::None;
    QCOMPARE(port.setPortOpen(true), CommError::None);
    QVERIFY(port.PortOpen());
    QVERIFY(port.errorString().isEmpty());
    QCOMPARE(port.log, QStringList{"open 3 9600,N,8,1 0"});
}

void TestSerialPort::settingsAreCheckedAndAppliedWhileOpen()
{
    FakeCommPort port;
    QCOMPARE(port.setSettings(QStringLiteral("9600,X,8,1")), CommError::SettingRefused);
    QCOMPARE(port.Settings(), "9600,N,8,1");
    QCOMPARE(port.setHandshaking(4), CommError::SettingRefused);
    QCOMPARE(port.setHandshaking(-1), CommError::SettingRefused);
    QCOMPARE(port.Handshaking(), 0);

    QCOMPARE(port.setSettings(QStringLiteral("1200,E,7,2")), CommError::None);
    QCOMPARE(port.setHandshaking(3), CommError::None);
    QVERIFY(port.log.isEmpty()); // kept for the next open
    port.setPortOpen(true);
    QCOMPARE(port.log.last(), "open 1 1200,E,7,2 3");

    QCOMPARE(port.setSettings(QStringLiteral("300,O,8,1")), CommError::None);
    QCOMPARE(port.log.last(), "settings 300,O,8,1 3");
    QCOMPARE(port.setHandshaking(1), CommError::None);
    QCOMPARE(port.log.last(), "settings 300,O,8,1 1");

    port.refuseSettings = CommError::SettingRefused;
    QCOMPARE(port.setSettings(QStringLiteral("9600,N,4,1")), CommError::SettingRefused);
    QCOMPARE(port.Settings(), "300,O,8,1");
    QCOMPARE(port.setHandshaking(2), CommError::SettingRefused);
    QCOMPARE(port.Handshaking(), 1);
}

void TestSerialPort::deviceOperationsNeedAnOpenPort()
{
    FakeCommPort port;
    port.cts = true;
    QVERIFY(!port.CTSHolding());
    QVERIFY(!port.setLineRate(28800));
    QVERIFY(!port.setRTS(true));
    port.Output("x");
    QVERIFY(port.written.isEmpty());
    QVERIFY(port.log.isEmpty());

    port.setPortOpen(true);
    QVERIFY(port.CTSHolding());
    QVERIFY(port.setLineRate(28800));
    QVERIFY(!port.setLineRate(0));
    QVERIFY(port.setRTS(true));
    QVERIFY(port.setRTS(false));
    QCOMPARE(port.Settings(), "9600,N,8,1");
    QCOMPARE(port.log, (QStringList{"open 1 9600,N,8,1 0", "rate 28800", "rts 1", "rts 0"}));

    port.refuseLineRate = true;
    QVERIFY(!port.setLineRate(12345));
    QCOMPARE(port.lineRate, 28800);
}

void TestSerialPort::outputQueueAndTransmitFull()
{
    FakeCommPort port;
    port.setOutBufferSize(16);
    port.holdOutput = true;
    QSignalSpy spy(&port, &CommPort::OnComm);
    port.setPortOpen(true);
    QCOMPARE(port.OutBufferSize(), 16);

    port.Output("0123456789");
    QCOMPARE(port.OutBufferCount(), 10);
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

    port.drainOutput();
    QCOMPARE(port.OutBufferCount(), 0);
    port.setPortOpen(false);
    QCOMPARE(port.OutBufferCount(), 0);
}

QTEST_GUILESS_MAIN(TestSerialPort)
#include "tst_serialport.moc"
