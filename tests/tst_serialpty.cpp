// The real port against a pseudo-terminal whose master end the test plays.
// The kernel's termios2 is read on the master, so <termios.h> stays out.
#include "QtCommPort.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <asm/termbits.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

Q_DECLARE_METATYPE(CommError)

namespace {

// The master end of a new pseudo-terminal, non-blocking.
class PtyMaster
{
public:
    PtyMaster()
    {
        m_fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_fd < 0 || ::grantpt(m_fd) != 0 || ::unlockpt(m_fd) != 0)
            return;
        m_slavePath = QString::fromLocal8Bit(::ptsname(m_fd));
        ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
    }
    ~PtyMaster() { close(); }
    PtyMaster(const PtyMaster &) = delete;
    PtyMaster &operator=(const PtyMaster &) = delete;

    int fd() const { return m_fd; }
    QString slavePath() const { return m_slavePath; }
    bool valid() const { return m_fd >= 0 && !m_slavePath.isEmpty(); }

    bool write(const QByteArray &data) const
    {
        return ::write(m_fd, data.constData(), size_t(data.size())) == data.size();
    }
    // Everything the port has sent so far.
    QByteArray received()
    {
        char buffer[4096];
        ssize_t count = 0;
        while ((count = ::read(m_fd, buffer, sizeof buffer)) > 0)
            m_received.append(buffer, count);
        return m_received;
    }
    termios2 attributes() const
    {
        termios2 tio{};
        ::ioctl(m_fd, TCGETS2, &tio);
        return tio;
    }
    void close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd = -1;
    QString m_slavePath;
    QByteArray m_received;
};

// Takes every arrival in the handler, as the receive path does.
struct Receiver
{
    explicit Receiver(CommPort *port)
    {
        QObject::connect(port, &CommPort::OnComm, port, [this, port] {
            codes.append(port->CommEvent());
            if (port->CommEvent() == CommPort::Receive)
                data += port->Input();
        });
    }
    QByteArray data;
    QList<int> codes;
};

} // namespace

class TestSerialPty : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void carriesDataBothWays();
    void framingReachesTheDevice_data();
    void framingReachesTheDevice();
    void anyLineRateAfterOpening();
    void settingsApplyWhileOpen();
    void openFailures_data();
    void openFailures();
    void busyWhileAnotherPortHoldsIt();
    void busyWhileAnotherProcessHoldsIt();
    void notBusyForTheProcessPlayingTheDevice();
    void lossAfterEverythingReceived();
    void lossWaitsForWaitingInput();
};

void TestSerialPty::init()
{
    // Pseudo-terminals have no modem lines or error counters: the port must
    // stay quiet about it.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
}

void TestSerialPty::carriesDataBothWays()
{
    PtyMaster master;
    QVERIFY(master.valid());
    QtCommPort port;
    Receiver receiver(&port);
    port.setCommPort(master.slavePath());
    QCOMPARE(port.setPortOpen(true), CommError::None);
    QVERIFY(port.PortOpen());

    // 0xFF and NULs are plain data, whatever the marking does inside.
    const QByteArray incoming("hello\r\n\xff\xff\0\0\xff\0x\x7f end", 17);
    QVERIFY(master.write(incoming));
    QTRY_COMPARE(receiver.data, incoming);
    QVERIFY(std::all_of(receiver.codes.cbegin(), receiver.codes.cend(),
                        [](int code) { return code == CommPort::Receive; }));

    const QByteArray outgoing("ping\xff\0\r", 7);
    port.Output(outgoing);
    QTRY_COMPARE(master.received(), outgoing);
    QTRY_COMPARE(port.OutBufferCount(), 0);

    QVERIFY(!port.CTSHolding());
    QVERIFY(!port.setRTS(true));
}

void TestSerialPty::framingReachesTheDevice_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<int>("handshaking");
    QTest::addColumn<uint>("cflagSet");
    QTest::addColumn<uint>("cflagClear");
    QTest::addColumn<uint>("iflagSet");
    QTest::addColumn<uint>("iflagClear");

    // A pseudo-terminal clears PARENB and forces 8 data bits; PARODD, CMSPAR
    // and CSTOPB survive.
    QTest::newRow("none, 1 stop") << "9600,N,8,1" << 0 << 0u << uint(PARODD | CMSPAR | CSTOPB) << 0u
                                  << uint(IXON | IXOFF);
    QTest::newRow("odd, 2 stop") << "9600,O,8,2" << 0 << uint(PARODD | CSTOPB) << uint(CMSPAR) << 0u
                                 << 0u;
    QTest::newRow("mark, 7 bits") << "9600,M,7,1" << 0 << uint(PARODD | CMSPAR) << uint(CSTOPB)
                                  << 0u << 0u;
    QTest::newRow("space, 2 stop")
        << "9600,S,8,2" << 0 << uint(CMSPAR | CSTOPB) << uint(PARODD) << 0u << 0u;
    QTest::newRow("xon/xoff") << "9600,N,8,1" << 1 << 0u << uint(CRTSCTS) << uint(IXON | IXOFF)
                              << uint(IXANY);
    QTest::newRow("rts/cts") << "9600,E,8,1" << 2 << uint(CRTSCTS) << 0u << 0u
                             << uint(IXON | IXOFF);
    QTest::newRow("both") << "9600,N,8,1" << 3 << uint(CRTSCTS) << 0u << uint(IXON | IXOFF)
                          << uint(IXANY);
}

void TestSerialPty::framingReachesTheDevice()
{
    QFETCH(QString, settings);
    QFETCH(int, handshaking);
    QFETCH(uint, cflagSet);
    QFETCH(uint, cflagClear);
    QFETCH(uint, iflagSet);
    QFETCH(uint, iflagClear);

    PtyMaster master;
    QVERIFY(master.valid());
    QtCommPort port;
    port.setCommPort(master.slavePath());
    QCOMPARE(port.setSettings(settings), CommError::None);
    QCOMPARE(port.setHandshaking(handshaking), CommError::None);
    QCOMPARE(port.setPortOpen(true), CommError::None);

    const termios2 tio = master.attributes();
    QCOMPARE(tio.c_ospeed, 9600u);
    QCOMPARE(tio.c_cflag & (cflagSet | cflagClear), cflagSet);
    // Line events are marked in the data and none is dropped or turned into a signal.
    const uint marking = PARMRK | INPCK;
    QCOMPARE(tio.c_iflag & (iflagSet | iflagClear | marking), iflagSet | marking);
    QCOMPARE(tio.c_iflag & (IGNBRK | BRKINT | IGNPAR | ISTRIP), 0u);
}

void TestSerialPty::anyLineRateAfterOpening()
{
    PtyMaster master;
    QVERIFY(master.valid());
    QtCommPort port;
    port.setCommPort(master.slavePath());
    QCOMPARE(port.setSettings(QStringLiteral("9600,O,8,2")), CommError::None);
    QCOMPARE(port.setPortOpen(true), CommError::None);

    QVERIFY(port.setLineRate(12345));
    termios2 tio = master.attributes();
    QCOMPARE(tio.c_ospeed, 12345u);
    QCOMPARE(tio.c_cflag & CBAUD, uint(BOTHER));
    QCOMPARE(tio.c_cflag & (PARODD | CSTOPB), uint(PARODD | CSTOPB));
    QCOMPARE(tio.c_iflag & PARMRK, uint(PARMRK));
    QCOMPARE(port.Settings(), "9600,O,8,2");

    // Back to a standard rate, and the data still get through.
    QVERIFY(port.setLineRate(28800));
    QCOMPARE(master.attributes().c_ospeed, 28800u);
    Receiver receiver(&port);
    QVERIFY(master.write("ok"));
    QTRY_COMPARE(receiver.data, "ok");
}

void TestSerialPty::settingsApplyWhileOpen()
{
    PtyMaster master;
    QVERIFY(master.valid());
    QtCommPort port;
    port.setCommPort(master.slavePath());
    QCOMPARE(port.setPortOpen(true), CommError::None);
    QVERIFY(port.setLineRate(12345));

    QCOMPARE(port.setSettings(QStringLiteral("19200,M,8,2")), CommError::None);
    termios2 tio = master.attributes();
    QCOMPARE(tio.c_ospeed, 19200u);
    QCOMPARE(tio.c_cflag & (PARODD | CMSPAR | CSTOPB), uint(PARODD | CMSPAR | CSTOPB));
    QCOMPARE(tio.c_iflag & (PARMRK | INPCK), uint(PARMRK | INPCK));

    // Leaving mark parity for odd clears the stick bit.
    QCOMPARE(port.setSettings(QStringLiteral("19200,O,8,2")), CommError::None);
    QCOMPARE(master.attributes().c_cflag & (PARODD | CMSPAR), uint(PARODD));
    QCOMPARE(port.setSettings(QStringLiteral("19200,S,7,2")), CommError::None);
    QCOMPARE(master.attributes().c_cflag & (PARODD | CMSPAR), uint(CMSPAR));
    QCOMPARE(port.setSettings(QStringLiteral("19200,E,8,2")), CommError::None);
    QCOMPARE(master.attributes().c_cflag & (PARODD | CMSPAR), 0u);

    // Refused settings leave the device as it was.
    QCOMPARE(port.setSettings(QStringLiteral("9600,N,4,1")), CommError::SettingRefused);
    QCOMPARE(port.setSettings(QStringLiteral("9600,N,8,1.5")), CommError::SettingRefused);
    QCOMPARE(port.Settings(), "19200,E,8,2");
    QCOMPARE(master.attributes().c_cflag & CSTOPB, uint(CSTOPB));
    QVERIFY(port.PortOpen());
}

void TestSerialPty::openFailures_data()
{
    QTest::addColumn<QString>("commPort"); // "pty" stands for the slave of a fresh pseudo-terminal
    QTest::addColumn<QString>("settings");
    QTest::addColumn<CommError>("error");

    QTest::newRow("missing device") << "/dev/wirelook-no-such-device"
                                    << "9600,N,8,1" << CommError::NoSuchPort;
    QTest::newRow("missing bare name") << "wirelook-no-such-device"
                                       << "9600,N,8,1" << CommError::NoSuchPort;
    QTest::newRow("port zero") << "0"
                               << "9600,N,8,1" << CommError::NoSuchPort;
    QTest::newRow("folder") << "/dev"
                            << "9600,N,8,1" << CommError::NoSuchPort;
    QTest::newRow("not a terminal") << "/dev/null"
                                    << "9600,N,8,1" << CommError::NoSuchPort;
    QTest::newRow("4 data bits") << "pty"
                                 << "9600,N,4,1" << CommError::SettingRefused;
    QTest::newRow("1.5 stop bits") << "pty"
                                   << "9600,N,5,1.5" << CommError::SettingRefused;
}

void TestSerialPty::openFailures()
{
    QFETCH(QString, commPort);
    QFETCH(QString, settings);

    PtyMaster master;
    QVERIFY(master.valid());
    const QString path = commPort == u"pty" ? master.slavePath() : commPort;
    QtCommPort port;
    port.setCommPort(path);
    QCOMPARE(port.setSettings(settings), CommError::None);
    QTEST(port.setPortOpen(true), "error");
    QVERIFY(!port.PortOpen());
    QVERIFY2(!port.errorString().isEmpty(), qPrintable(port.errorString()));
}

void TestSerialPty::busyWhileAnotherPortHoldsIt()
{
    PtyMaster master;
    QVERIFY(master.valid());
    QtCommPort first;
    QtCommPort second;
    first.setCommPort(master.slavePath());
    second.setCommPort(master.slavePath());
    QCOMPARE(first.setPortOpen(true), CommError::None);

    QCOMPARE(second.setPortOpen(true), CommError::PortBusy);
    QVERIFY(second.errorString().contains(master.slavePath()));

    first.setPortOpen(false);
    QCOMPARE(second.setPortOpen(true), CommError::None);
}

void TestSerialPty::busyWhileAnotherProcessHoldsIt()
{
    PtyMaster master;
    QVERIFY(master.valid());
    QProcess holder;
    holder.setStandardInputFile(master.slavePath());
    holder.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    QVERIFY(holder.waitForStarted());

    QtCommPort port;
    port.setCommPort(master.slavePath());
    QCOMPARE(port.setPortOpen(true), CommError::PortBusy);

    holder.kill();
    QVERIFY(holder.waitForFinished());
    QCOMPARE(port.setPortOpen(true), CommError::None);
}

void TestSerialPty::notBusyForTheProcessPlayingTheDevice()
{
    PtyMaster master;
    QVERIFY(master.valid());
    // A child that holds both ends, as a device simulator that keeps its
    // slave open does: it inherits a copy of the master.
    const int inheritedMaster = ::dup(master.fd());
    QVERIFY(inheritedMaster >= 0);
    QProcess player;
    player.setStandardInputFile(master.slavePath());
    player.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    const bool started = player.waitForStarted();
    ::close(inheritedMaster);
    QVERIFY(started);

    QtCommPort port;
    port.setCommPort(master.slavePath());
    QCOMPARE(port.setPortOpen(true), CommError::None);

    player.kill();
    QVERIFY(player.waitForFinished());
}

void TestSerialPty::lossAfterEverythingReceived()
{
    PtyMaster master;
    QVERIFY(master.valid());
    QtCommPort port;
    Receiver receiver(&port);
    QSignalSpy lost(&port, &CommPort::deviceLost);
    port.setCommPort(master.slavePath());
    QCOMPARE(port.setPortOpen(true), CommError::None);

    QVERIFY(master.write("last words"));
    QTRY_COMPARE(receiver.data, "last words");
    master.close();

    QVERIFY(lost.wait());
    QVERIFY(!port.PortOpen());
    QCOMPARE(receiver.data, "last words");
    QVERIFY(!lost.wait(100));
    QCOMPARE(lost.count(), 1);

    // The port can be used again once the device is back.
    PtyMaster again;
    QVERIFY(again.valid());
    port.setCommPort(again.slavePath());
    QCOMPARE(port.setPortOpen(true), CommError::None);
}

void TestSerialPty::lossWaitsForWaitingInput()
{
    PtyMaster master;
    QVERIFY(master.valid());
    QtCommPort port;
    QSignalSpy arrivals(&port, &CommPort::OnComm);
    QSignalSpy lost(&port, &CommPort::deviceLost);
    port.setCommPort(master.slavePath());
    QCOMPARE(port.setPortOpen(true), CommError::None);

    QVERIFY(master.write("xyz"));
    QVERIFY(arrivals.wait());
    master.close();

    // Closed at once, but the loss is reported only after "xyz" is taken.
    QTRY_VERIFY(!port.PortOpen());
    QCOMPARE(lost.count(), 0);
    QCOMPARE(port.Input(), "xyz");
    QVERIFY(lost.wait());
    QCOMPARE(lost.count(), 1);
}

QTEST_GUILESS_MAIN(TestSerialPty)
#include "tst_serialpty.moc"
