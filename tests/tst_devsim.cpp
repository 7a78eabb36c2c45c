#include "DevSim.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
// termios2 only (not <termios.h>), so that any rate can be set with TCSETS2.
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace {

// For what must not happen within a probe's wait.
constexpr int kSilenceMs = 200;

// The slave opened non-blocking, with the line settings the simulator left.
class Terminal
{
public:
    explicit Terminal(const QString &path)
        : fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
    }
    ~Terminal() { close(); }
    void close()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }

    // framing: PARENB, PARODD, CMSPAR, CSTOPB as a serial port would be set.
    bool setLine(quint32 rate, tcflag_t framing)
    {
        termios2 tio{};
        if (ioctl(fd, TCGETS2, &tio) != 0)
            return false;
        tio.c_cflag &= ~(CBAUD | CIBAUD | PARENB | PARODD | CMSPAR | CSTOPB);
        tio.c_cflag |= framing | (rate == 9600 ? B9600 : rate == 19200 ? B19200 : BOTHER);
        tio.c_ispeed = tio.c_ospeed = rate;
        return ioctl(fd, TCSETS2, &tio) == 0;
    }

    // Writes all of `out` while reading, until `count` bytes arrived, the line hangs up
    // or time is up; with a negative count, reads for all of timeoutMs.
    QByteArray exchange(QByteArray out, qsizetype count, int timeoutMs = DevSim::TimeoutMs)
    {
        QByteArray in;
        const QDeadlineTimer deadline(timeoutMs);
        while ((!out.isEmpty() || count < 0 || in.size() < count) && !hungUp) {
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
            const ssize_t n = (p.revents & POLLOUT) ? ::write(fd, out.constData(), out.size()) : 0;
            out.remove(0, std::max<ssize_t>(n, 0));
        }
        return in;
    }
    // All that arrives within ms.
    QByteArray collectFor(int ms) { return exchange({}, -1, ms); }

    int fd;
    bool hungUp = false;
};

const QByteArray kDefaultAnswer("\x06\x15\xEE\xEF");

QStringList words(const char *line)
{
    return QString::fromLatin1(line).split(u' ', Qt::SkipEmptyParts);
}

} // namespace

class TestDevSim : public QObject
{
    Q_OBJECT

private slots:
    void probeAnswersOnlyMatchingSettings_data();
    void probeAnswersOnlyMatchingSettings();
    void readingsRepeatUntilTheDeviceVanishes();
    void floodDeliversThePayload();
    void linkIsRemovedAtExit_data();
    void linkIsRemovedAtExit();
    void badArgumentsAreRefused_data();
    void badArgumentsAreRefused();
};

void TestDevSim::probeAnswersOnlyMatchingSettings_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<quint32>("rate");
    QTest::addColumn<uint>("framing");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("answer"); // empty: silence

    const auto row = [](const char *name, const char *device, quint32 rate, uint framing,
                        const QByteArray &sent, const QByteArray &answer) {
        QTest::newRow(name) << QString::fromLatin1(device) << rate << framing << sent << answer;
    };
    const uint mark = PARENB | PARODD | CMSPAR;
    const QByteArray probe = DevSim::Probe;
    const QByteArray a = kDefaultAnswer;
    row("arbitrary rate 12345", "--baud 12345", 12345, 0, probe, a);
    row("rate 12344, device 12345", "--baud 12345", 12344, 0, probe, {});
    row("mark, device odd", "--parity O", 9600, mark, probe, {});
    row("after other bytes, twice", "", 9600, 0, "ab\x16" + probe + probe, a + a);
    row("chosen pair", "--pair 7e7f", 9600, 0, probe, "\x06\x15\x7E\x7F");
    row("byte in between", "", 9600, 0, "\x16\x43 \r", {});
}

void TestDevSim::probeAnswersOnlyMatchingSettings()
{
    QFETCH(QString, device);
    QFETCH(quint32, rate);
    QFETCH(uint, framing);
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, answer);
    DevSim devsim(QStringList{"probe"} + device.split(u' ', Qt::SkipEmptyParts));
    Terminal terminal(devsim.path);
    QVERIFY(terminal.setLine(rate, framing));

    // Reads past the answer, so that an extra byte would show.
    QByteArray received = terminal.exchange(sent, answer.size());
    received += terminal.collectFor(kSilenceMs);
    QCOMPARE(received.toHex(' '), answer.toHex(' '));
}

void TestDevSim::readingsRepeatUntilTheDeviceVanishes()
{
    // It hangs up in the middle of a reading, after 25 bytes, and cleans up.
    DevSim devsim(words("readings --interval-ms 10 --text 0123456789 --bad-text E --bad-every 3 "
                        "--eol lf --vanish-after 25 --vanish-delay-ms 500"));
    Terminal terminal(devsim.path);
    QCOMPARE(terminal.collectFor(DevSim::TimeoutMs), QByteArray("0123456789\n0123456789\nE\n0"));
    QVERIFY(terminal.hungUp);
    QVERIFY(devsim.exitsCleanly());
    QVERIFY(!QFileInfo::exists(devsim.path));
}

void TestDevSim::floodDeliversThePayload()
{
    constexpr int size = 256 * 1024;
    DevSim devsim({"flood", "--bytes", QString::number(size), "--mix", "mixed"});
    Terminal terminal(devsim.path);

    QByteArray data = terminal.exchange({}, size);
    data += terminal.collectFor(50);
    QCOMPARE(data.size(), size);
    static const QRegularExpression markerPattern(
        QStringLiteral("\r\n<<END-OF-PAYLOAD kind=mixed bytes=(\\d+) crc32=[0-9a-f]{8}>>\r\n$"));
    const auto marker = markerPattern.match(QString::fromLatin1(data.right(80)));
    QVERIFY2(marker.hasMatch(), data.right(80).constData());
    QCOMPARE(marker.captured(1).toInt(), size);

    // It exits when the terminal closes the port, with a report on stderr.
    terminal.close();
    QVERIFY(devsim.exitsCleanly());
    const QString report = QString::fromLocal8Bit(devsim.process.readAllStandardError());
    QVERIFY2(report.contains(QStringLiteral("sent %1 bytes").arg(size)), qPrintable(report));
}

void TestDevSim::linkIsRemovedAtExit_data()
{
    QTest::addColumn<int>("signal"); // 0: exits as the terminal closes
    QTest::newRow("exit on close") << 0;
    QTest::newRow("SIGTERM") << int(SIGTERM);
}

void TestDevSim::linkIsRemovedAtExit()
{
    QFETCH(int, signal);
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttyDEVSIM"));
    QStringList arguments{"echo", "--link", link};
    if (!signal)
        arguments << QStringLiteral("--exit-on-close");
    DevSim devsim(arguments);
    QCOMPARE(QFileInfo(link).symLinkTarget(), devsim.path);
    {
        Terminal terminal(link);
        QCOMPARE(terminal.exchange("x", 1), QByteArray("x"));
    }
    if (signal) {
        // Closing the terminal alone does not end it.
        QVERIFY(!devsim.process.waitForFinished(kSilenceMs));
        ::kill(pid_t(devsim.process.processId()), signal);
    }
    QVERIFY(devsim.exitsCleanly());
    QVERIFY(!QFileInfo(link).isSymLink());
}

void TestDevSim::badArgumentsAreRefused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no mode") << QStringList();
    QTest::newRow("parity X") << words("probe --parity X");
}

void TestDevSim::badArgumentsAreRefused()
{
    QFETCH(QStringList, arguments);
    QProcess process;
    process.start(qEnvironmentVariable("WIRELOOK_DEVSIM"), arguments);
    QVERIFY(process.waitForFinished(DevSim::TimeoutMs));
    QCOMPARE(process.exitCode(), 1);
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
    QVERIFY(process.readAllStandardError().contains("error:"));
}

QTEST_GUILESS_MAIN(TestDevSim)
#include "tst_devsim.moc"
