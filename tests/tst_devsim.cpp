#include "DevSim.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <unistd.h>
// termios2 only (not <termios.h>), so that any rate can be set with TCSETS2.
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace {

// For what must happen, and for what must not happen within a probe's wait.
constexpr int kTimeoutMs = 3000;
constexpr int kSilenceMs = 200;

tcflag_t rateCode(quint32 rate)
{
    switch (rate) {
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    default:
        return BOTHER;
    }
}

// The slave opened as a serial terminal opens it: non-blocking and, unless asked not to, raw.
class Terminal
{
public:
    enum Setup
    {
        MakeRaw,
        KeepSettings
    };

    explicit Terminal(const QString &path, Setup setup = MakeRaw)
        : fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK)),
          raw(setup == KeepSettings)
    {
        termios2 tio{};
        if (fd < 0 || setup == KeepSettings || ioctl(fd, TCGETS2, &tio) != 0)
            return;
        tio.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON);
        tio.c_oflag &= ~OPOST;
        tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
        tio.c_cflag = (tio.c_cflag & ~(CSIZE | PARENB)) | CS8;
        tio.c_cc[VMIN] = 1;
        tio.c_cc[VTIME] = 0;
        raw = ioctl(fd, TCSETS2, &tio) == 0;
    }
    ~Terminal() { close(); }
    void close()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    bool isOpen() const { return fd >= 0 && raw; }

    // framing: PARENB, PARODD, CMSPAR, CSTOPB as a serial port would be set.
    bool setLine(quint32 rate, tcflag_t framing)
    {
        termios2 tio{};
        if (ioctl(fd, TCGETS2, &tio) != 0)
            return false;
        tio.c_cflag &= ~(CBAUD | CIBAUD | PARENB | PARODD | CMSPAR | CSTOPB);
        tio.c_cflag |= framing | rateCode(rate);
        tio.c_ispeed = tio.c_ospeed = rate;
        return ioctl(fd, TCSETS2, &tio) == 0;
    }

    // Writes `out` while reading, until done(received) holds, the line hangs up or time is up.
    QByteArray exchange(QByteArray out, const std::function<bool(const QByteArray &)> &done,
                        int timeoutMs = kTimeoutMs)
    {
        QByteArray in;
        const QDeadlineTimer deadline(timeoutMs);
        while (!done(in) && !hungUp) {
            pollfd p{fd, short(POLLIN | (out.isEmpty() ? 0 : POLLOUT)), 0};
            if (::poll(&p, 1, int(deadline.remainingTime())) <= 0)
                break;
            if (p.revents & POLLIN) {
                char buffer[65536];
                const ssize_t n = ::read(fd, buffer, sizeof buffer);
                if (n > 0)
                    in.append(buffer, n);
                else if (n == 0 || errno != EAGAIN)
                    hungUp = true;
            } else if (p.revents & (POLLHUP | POLLERR)) {
                hungUp = true;
            }
            if (p.revents & POLLOUT) {
                const ssize_t n = ::write(fd, out.constData(), out.size());
                if (n > 0)
                    out.remove(0, n);
            }
        }
        return in;
    }
    QByteArray read(qsizetype count)
    {
        return exchange({}, [count](const QByteArray &in) { return in.size() >= count; });
    }
    QByteArray roundTrip(const QByteArray &out, qsizetype count)
    {
        return exchange(out, [count](const QByteArray &in) { return in.size() >= count; });
    }
    // Writes `out` and returns all that arrives within ms.
    QByteArray collectFor(int ms, const QByteArray &out = {})
    {
        return exchange(
            out, [](const QByteArray &) { return false; }, ms);
    }

    int fd;
    bool raw;
    bool hungUp = false;
};

quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xFFFFFFFF;
    for (const char byte : bytes) {
        crc ^= uchar(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

const QByteArray kProbe("\x16\x43\r"); // SYN "C" CR
const QByteArray kDefaultAnswer("\x06\x15\xEE\xEF");

} // namespace

class TestDevSim : public QObject
{
    Q_OBJECT

private slots:
    void echoReturnsBytesExactly_data();
    void echoReturnsBytesExactly();
    void lineIsRawBeforeTheTerminalSetsIt();
    void probeAnswersOnlyMatchingSettings_data();
    void probeAnswersOnlyMatchingSettings();
    void probeNeedsTheWholeSequence_data();
    void probeNeedsTheWholeSequence();
    void probeFollowsTheReopenedPort();
    void readingsRepeatWithBadOnes_data();
    void readingsRepeatWithBadOnes();
    void readingsEchoWhatIsTyped();
    void floodDeliversThePayload_data();
    void floodDeliversThePayload();
    void floodDependsOnlyOnTheSeed();
    void vanishHangsUpTheTerminal_data();
    void vanishHangsUpTheTerminal();
    void closingTheTerminal_data();
    void closingTheTerminal();
    void signalRemovesTheLink_data();
    void signalRemovesTheLink();
    void badArgumentsAreRefused_data();
    void badArgumentsAreRefused();
};

void TestDevSim::echoReturnsBytesExactly_data()
{
    QTest::addColumn<QByteArray>("data");

    QByteArray everyByte;
    for (int i = 0; i < 512; ++i)
        everyByte.append(char(i));
    QByteArray block;
    for (int i = 0; i < 256 * 1024; ++i)
        block.append(char(i * 7));
    QTest::newRow("NUL, 0xFF, CR, LF") << QByteArray("\x00\xFF\r\n\r\x00", 6);
    QTest::newRow("every byte value twice") << everyByte;
    QTest::newRow("block larger than the pty buffers") << block;
}

void TestDevSim::echoReturnsBytesExactly()
{
    QFETCH(QByteArray, data);
    DevSim devsim({"echo"});
    Terminal terminal(devsim.path);
    QVERIFY(terminal.isOpen());

    const QByteArray back = terminal.roundTrip(data, data.size());
    QCOMPARE(back.size(), data.size());
    QVERIFY(back == data);
    QVERIFY(terminal.collectFor(50).isEmpty());
}

void TestDevSim::lineIsRawBeforeTheTerminalSetsIt()
{
    // A cooked line would turn CR into LF, LF into CR LF, and echo the device's own bytes back.
    DevSim devsim({"echo"});
    Terminal terminal(devsim.path, Terminal::KeepSettings);
    QVERIFY(terminal.isOpen());

    const QByteArray sent("a\rb\n\x03");
    QCOMPARE(terminal.collectFor(kSilenceMs, sent), sent);
}

void TestDevSim::probeAnswersOnlyMatchingSettings_data()
{
    QTest::addColumn<QStringList>("device");
    QTest::addColumn<quint32>("rate");
    QTest::addColumn<uint>("framing");
    QTest::addColumn<bool>("answers");

    const uint odd = PARENB | PARODD;
    const uint mark = PARENB | PARODD | CMSPAR;
    const uint space = PARENB | CMSPAR;
    const QStringList dev19200{"--baud", "19200"};
    QTest::newRow("19200 8N1") << dev19200 << 19200u << 0u << true;
    QTest::newRow("arbitrary rate 12345") << QStringList{"--baud", "12345"} << 12345u << 0u << true;
    QTest::newRow("odd parity") << QStringList{"--parity", "O"} << 9600u << odd << true;
    QTest::newRow("mark parity") << QStringList{"--parity", "M"} << 9600u << mark << true;
    QTest::newRow("space parity") << QStringList{"--parity", "s"} << 9600u << space << true;
    QTest::newRow("two stop bits") << QStringList{"--stop", "2"} << 9600u << uint(CSTOPB) << true;
    QTest::newRow("even looks like none on a pty")
        << QStringList{"--parity", "E"} << 9600u << 0u << true;

    QTest::newRow("rate 9600, device 19200") << dev19200 << 9600u << 0u << false;
    QTest::newRow("rate 12344, device 12345")
        << QStringList{"--baud", "12345"} << 12344u << 0u << false;
    QTest::newRow("odd, device even") << QStringList{"--parity", "E"} << 9600u << odd << false;
    QTest::newRow("mark, device odd") << QStringList{"--parity", "O"} << 9600u << mark << false;
    QTest::newRow("space, device even") << QStringList{"--parity", "E"} << 9600u << space << false;
    QTest::newRow("mark, device space") << QStringList{"--parity", "S"} << 9600u << mark << false;
    QTest::newRow("one stop bit, device two") << QStringList{"--stop", "2"} << 9600u << 0u << false;
    QTest::newRow("two stop bits, device one")
        << QStringList{"--stop", "1"} << 9600u << uint(CSTOPB) << false;
}

void TestDevSim::probeAnswersOnlyMatchingSettings()
{
    QFETCH(QStringList, device);
    QFETCH(quint32, rate);
    QFETCH(uint, framing);
    QFETCH(bool, answers);
    DevSim devsim(QStringList{"probe"} + device);
    Terminal terminal(devsim.path);
    QVERIFY(terminal.isOpen());
    QVERIFY(terminal.setLine(rate, framing));

    if (answers)
        QCOMPARE(terminal.roundTrip(kProbe, kDefaultAnswer.size()), kDefaultAnswer);
    else
        QCOMPARE(terminal.collectFor(kSilenceMs, kProbe), QByteArray());
}

void TestDevSim::probeNeedsTheWholeSequence_data()
{
    QTest::addColumn<QStringList>("device");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("probe") << QStringList() << kProbe << kDefaultAnswer;
    QTest::newRow("after other bytes")
        << QStringList() << QByteArray("ab\x16\x16\x43\r") << kDefaultAnswer;
    QTest::newRow("twice") << QStringList() << kProbe + kProbe << kDefaultAnswer + kDefaultAnswer;
    QTest::newRow("chosen pair") << QStringList{"--pair", "7e7f"} << kProbe
                                 << QByteArray("\x06\x15\x7E\x7F");
    QTest::newRow("no SYN") << QStringList() << QByteArray("C\r") << QByteArray();
    QTest::newRow("lower-case c") << QStringList() << QByteArray("\x16\x63\r") << QByteArray();
    QTest::newRow("byte in between") << QStringList() << QByteArray("\x16\x43 \r") << QByteArray();
}

void TestDevSim::probeNeedsTheWholeSequence()
{
    QFETCH(QStringList, device);
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, answer);
    DevSim devsim(QStringList{"probe"} + device);
    Terminal terminal(devsim.path);
    QVERIFY(terminal.isOpen());
    QVERIFY(terminal.setLine(9600, 0));

    // Reads past the answer, so that an extra byte would show.
    const QByteArray received = terminal.collectFor(kSilenceMs, sent);
    QCOMPARE(received.toHex(' '), answer.toHex(' '));
}

void TestDevSim::probeFollowsTheReopenedPort()
{
    // As the settings search does: close, reopen with other settings, probe again.
    DevSim devsim({"probe", "--baud", "57600", "--parity", "O"});
    const QList<std::pair<quint32, uint>> attempts = {{115200, PARENB | PARODD},
                                                      {57600, PARENB},
                                                      {57600, PARENB | PARODD},
                                                      {57600, PARENB | PARODD | CSTOPB},
                                                      {57600, PARENB | PARODD}};
    for (const auto &[rate, framing] : attempts) {
        Terminal terminal(devsim.path);
        QVERIFY(terminal.isOpen());
        QVERIFY(terminal.setLine(rate, framing));
        if (rate == 57600 && framing == (PARENB | PARODD))
            QCOMPARE(terminal.roundTrip(kProbe, kDefaultAnswer.size()), kDefaultAnswer);
        else
            QCOMPARE(terminal.collectFor(kSilenceMs, kProbe), QByteArray());
    }
}

void TestDevSim::readingsRepeatWithBadOnes_data()
{
    QTest::addColumn<QStringList>("device");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("every third bad")
        << QStringList{"--text", "W 12.5 g", "--bad-text", "W ERR", "--bad-every", "3"}
        << QByteArray("W 12.5 g\r\nW 12.5 g\r\nW ERR\r\nW 12.5 g\r\nW 12.5 g\r\nW ERR\r\n");
    QTest::newRow("never bad, LF")
        << QStringList{"--text", "7", "--eol", "lf"} << QByteArray("7\n7\n7\n7\n");
    QTest::newRow("all bad, no line end")
        << QStringList{"--bad-text", "E", "--bad-every", "1", "--eol", "none"}
        << QByteArray("EEEE");
}

void TestDevSim::readingsRepeatWithBadOnes()
{
    QFETCH(QStringList, device);
    QFETCH(QByteArray, expected);
    DevSim devsim(QStringList{"readings", "--interval-ms", "20"} + device);
    Terminal terminal(devsim.path);
    QVERIFY(terminal.isOpen());

    QCOMPARE(terminal.read(expected.size()).left(expected.size()), expected);
}

void TestDevSim::readingsEchoWhatIsTyped()
{
    DevSim devsim({"readings", "--interval-ms", "30", "--text", "R", "--echo"});
    Terminal terminal(devsim.path);
    QVERIFY(terminal.isOpen());

    const QByteArray typed("typed\x00\xFF\r", 8);
    const QByteArray received = terminal.exchange(
        typed, [&](const QByteArray &in) { return in.contains(typed) && in.count("R\r\n") >= 2; });
    QVERIFY2(received.contains(typed), received.toHex(' '));
    QCOMPARE(received.size(), typed.size() + 3 * received.count("R\r\n"));
}

void TestDevSim::floodDeliversThePayload_data()
{
    QTest::addColumn<QStringList>("device");
    QTest::addColumn<int>("size");
    QTest::addColumn<QByteArray>("kind");

    QTest::newRow("mixed 256K") << QStringList{"--bytes", "256K"} << 256 * 1024
                                << QByteArray("mixed");
    QTest::newRow("text") << QStringList{"--bytes", "100000", "--mix", "text"} << 100000
                          << QByteArray("text");
    QTest::newRow("started before the terminal opens")
        << QStringList{"--bytes", "30000", "--wait-open", "off"} << 30000 << QByteArray("mixed");
}

void TestDevSim::floodDeliversThePayload()
{
    QFETCH(QStringList, device);
    QFETCH(int, size);
    QFETCH(QByteArray, kind);
    DevSim devsim(QStringList{"flood"} + device);
    Terminal terminal(devsim.path);
    QVERIFY(terminal.isOpen());

    QByteArray data = terminal.read(size);
    data += terminal.collectFor(50);
    QCOMPARE(data.size(), size);

    static const QRegularExpression markerPattern(
        QStringLiteral("\r\n<<END-OF-PAYLOAD kind=(\\w+) bytes=(\\d+) crc32=([0-9a-f]{8})>>\r\n$"));
    const auto marker = markerPattern.match(QString::fromLatin1(data.right(80)));
    QVERIFY2(marker.hasMatch(), data.right(80).constData());
    QCOMPARE(marker.captured(1).toLatin1(), kind);
    QCOMPARE(marker.captured(2).toInt(), size);
    const QByteArray body = data.left(data.size() - marker.capturedLength());
    QCOMPARE(marker.captured(3).toUInt(nullptr, 16), crc32(body));

    qsizetype controls = 0;
    qsizetype high = 0;
    for (const char c : body) {
        const uchar byte = uchar(c);
        QVERIFY(byte != 0x1B);
        if ((byte < 0x20 && byte != '\r' && byte != '\n') || byte == 0x7F)
            ++controls;
        else if (byte >= 0x80)
            ++high;
    }
    if (kind == "text") {
        QCOMPARE(controls, 0);
        QCOMPARE(high, 0);
    } else {
        QVERIFY2(controls > body.size() / 100 && controls < body.size() * 3 / 100,
                 qPrintable(QString::number(controls)));
        QVERIFY2(high > body.size() / 500 && high < body.size() / 100,
                 qPrintable(QString::number(high)));
    }

    terminal.close();
    QVERIFY(devsim.exitsCleanly());
    const QString report = QString::fromLocal8Bit(devsim.process.readAllStandardError());
    QVERIFY2(report.contains(QStringLiteral("sent %1 bytes").arg(size)) &&
                 report.contains(QStringLiteral("MB/s")),
             qPrintable(report));
}

void TestDevSim::floodDependsOnlyOnTheSeed()
{
    const auto payload = [](const QString &seed) {
        DevSim devsim({"flood", "--bytes", "20000", "--seed", seed});
        Terminal terminal(devsim.path);
        return terminal.read(20000);
    };
    const QByteArray first = payload(QStringLiteral("7"));
    QCOMPARE(first.size(), 20000);
    QVERIFY(payload(QStringLiteral("7")) == first);
    QVERIFY(payload(QStringLiteral("8")) != first);
}

void TestDevSim::vanishHangsUpTheTerminal_data()
{
    QTest::addColumn<QStringList>("device");
    QTest::addColumn<int>("count");
    QTest::addColumn<QByteArray>("text");

    // The delay gives a loaded machine time to read the last bytes before the hangup drops them.
    const auto words = [](const char *line) { return QString::fromLatin1(line).split(' '); };
    QTest::newRow("flood") << words("flood --bytes 1M --vanish-after 100000 --vanish-delay-ms 500")
                           << 100000 << QByteArray();
    QTest::newRow("readings, in the middle of one")
        << words("readings --interval-ms 10 --text 0123456789 --vanish-after 25 "
                 "--vanish-delay-ms 500")
        << 25 << QByteArray("0123456789\r\n0123456789\r\n0");
}

void TestDevSim::vanishHangsUpTheTerminal()
{
    QFETCH(QStringList, device);
    QFETCH(int, count);
    QFETCH(QByteArray, text);
    DevSim devsim(device);
    Terminal terminal(devsim.path);
    QVERIFY(terminal.isOpen());

    const QByteArray received = terminal.collectFor(kTimeoutMs);
    QVERIFY(terminal.hungUp);
    QCOMPARE(received.size(), count);
    if (!text.isEmpty())
        QCOMPARE(received, text);
    QVERIFY(devsim.exitsCleanly());
    QVERIFY(!QFileInfo::exists(devsim.path));
}

void TestDevSim::closingTheTerminal_data()
{
    QTest::addColumn<bool>("exitOnClose");
    QTest::newRow("exit on close") << true;
    QTest::newRow("keep running") << false;
}

void TestDevSim::closingTheTerminal()
{
    QFETCH(bool, exitOnClose);
    DevSim devsim(exitOnClose ? QStringList{"echo", "--exit-on-close"} : QStringList{"echo"});
    {
        Terminal terminal(devsim.path);
        QCOMPARE(terminal.roundTrip("a", 1), QByteArray("a"));
    }
    if (exitOnClose) {
        QVERIFY(devsim.exitsCleanly());
        return;
    }
    QVERIFY(!devsim.process.waitForFinished(kSilenceMs));
    Terminal again(devsim.path);
    QCOMPARE(again.roundTrip("b", 1), QByteArray("b"));
}

void TestDevSim::signalRemovesTheLink_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void TestDevSim::signalRemovesTheLink()
{
    QFETCH(int, signal);
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttyDEVSIM"));
    DevSim devsim({"echo", "--link", link});
    QCOMPARE(QFileInfo(link).symLinkTarget(), devsim.path);
    {
        Terminal terminal(link);
        QCOMPARE(terminal.roundTrip("x", 1), QByteArray("x"));
    }

    ::kill(pid_t(devsim.process.processId()), signal);
    QVERIFY(devsim.exitsCleanly());
    QVERIFY(!QFileInfo(link).isSymLink());
}

void TestDevSim::badArgumentsAreRefused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no mode") << QStringList();
    QTest::newRow("unknown mode") << QStringList{"dance"};
    QTest::newRow("option of another mode") << QStringList{"echo", "--bytes", "1K"};
    QTest::newRow("parity X") << QStringList{"probe", "--parity", "X"};
    QTest::newRow("three stop bits") << QStringList{"probe", "--stop", "3"};
    QTest::newRow("rate 0") << QStringList{"probe", "--baud", "0"};
    QTest::newRow("short pair") << QStringList{"probe", "--pair", "EEE"};
    QTest::newRow("zero interval") << QStringList{"readings", "--interval-ms", "0"};
    QTest::newRow("text beyond Latin-1") << QStringList{"readings", "--text", "\u20AC"};
    QTest::newRow("unknown suffix") << QStringList{"flood", "--bytes", "12Q"};
    QTest::newRow("too small for the end marker") << QStringList{"flood", "--bytes", "10"};
    QTest::newRow("wait-open maybe") << QStringList{"flood", "--wait-open", "maybe"};
}

void TestDevSim::badArgumentsAreRefused()
{
    QFETCH(QStringList, arguments);
    QProcess process;
    process.start(qEnvironmentVariable("WIRELOOK_DEVSIM"), arguments);
    QVERIFY(process.waitForFinished(kTimeoutMs));
    QCOMPARE(process.exitCode(), 1);
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
    QVERIFY(process.readAllStandardError().contains("error:"));
}

QTEST_GUILESS_MAIN(TestDevSim)
#include "tst_devsim.moc"
