// The real port against a pseudo-terminal whose master end the test plays.
// The kernel's termios2 is read on the master, so <termios.h> stays out.
#include "LineControl.h"
#include "QtCommPort.h"
#include "SerialLockFile.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSerialPort>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTest>

#include <asm/termbits.h>
#include <fcntl.h>
#include <grp.h>
#include <linux/sched.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

Q_DECLARE_METATYPE(CommError)

using namespace Qt::StringLiterals;

namespace {

// The master end of a new pseudo-terminal, non-blocking.
struct PtyMaster
{
    PtyMaster()
    {
        fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (fd < 0 || ::grantpt(fd) != 0 || ::unlockpt(fd) != 0)
            return;
        slavePath = QString::fromLocal8Bit(::ptsname(fd));
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    ~PtyMaster()
    {
        if (fd >= 0)
            ::close(fd);
    }
    bool write(const QByteArray &data) const
    {
        return ::write(fd, data.constData(), size_t(data.size())) == data.size();
    }
    termios2 attributes() const
    {
        termios2 tio{};
        ::ioctl(fd, TCGETS2, &tio);
        return tio;
    }

    int fd = -1;
    QString slavePath;
};

// The id of a process that has ended.
qint64 goneProcess()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

using OpenResult = std::pair<CommError, QString>;

// Opens the port once and tells what failed; it must stay closed.
OpenResult openOnce(const QString &path, const QString &settings)
{
    QtCommPort port;
    port.setCommPort(path);
    if (port.setSettings(settings) != CommError::None)
        return {CommError::None, u"settings refused"_s};
    const CommError error = port.setPortOpen(true);
    return {error, port.PortOpen() ? u"opened"_s : port.errorString()};
}

constexpr uid_t Nobody = 65534;

// The same in a child process running as the user nobody, without the
// superuser's rights that open any device.
OpenResult openAsNobody(const QString &path, const QString &settings)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return {CommError::None, u"no pipe"_s};
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0)
            ::_exit(1);
        const auto [error, errorString] = openOnce(path, settings);
        const QByteArray message = QByteArray::number(int(error)) + '\n' + errorString.toUtf8();
        ::_exit(::write(channel[1], message.constData(), size_t(message.size())) == message.size()
                    ? 0
                    : 1);
    }
    ::close(channel[1]);
    QFile pipe;
    QByteArray message;
    if (pipe.open(channel[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        message = pipe.readAll();
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || status != 0)
        return {CommError::None, u"the child failed"_s};
    const qsizetype end = message.indexOf('\n');
    return {CommError(message.left(end).toInt()), QString::fromUtf8(message.sliced(end + 1))};
}

// A new session with the terminal at the path as its controlling terminal,
// and in it a member with a lower process id than its leader's, as after the
// ids wrapped around: /proc lists the processes by id.
struct TerminalSession
{
    explicit TerminalSession(const QByteArray &path)
    {
        int ready[2] = {-1, -1};
        if (::pipe(ready) != 0 || (leader = ::fork()) != 0) {
            ::close(ready[1]);
            if (leader < 0 || ::read(ready[0], &member, sizeof member) != sizeof member)
                member = -1;
            ::close(ready[0]);
            return;
        }
        // A session leader without a terminal takes the first one it opens.
        const bool opened = ::setsid() >= 0 && ::open(path.constData(), O_RDWR) >= 0;
        for (pid_t id = ::getpid() - 1; opened && id > 1 && member < 0; --id) {
            clone_args args{};
            args.exit_signal = SIGCHLD;
            args.set_tid = quintptr(&id);
            args.set_tid_size = 1;
            member = pid_t(::syscall(SYS_clone3, &args, sizeof args));
            if (member == 0)
                ::pause();
            if (member < 0 && errno != EEXIST)
                break;
        }
        const bool told = ::write(ready[1], &member, sizeof member) == sizeof member;
        ::_exit(told && ::waitpid(member, nullptr, 0) == member ? 0 : 1);
    }
    ~TerminalSession()
    {
        if (member > 0)
            ::kill(member, SIGKILL);
        if (leader > 0)
            ::waitpid(leader, nullptr, 0);
    }

    pid_t leader = -1;
    pid_t member = -1;
};

} // namespace

class TestSerialPty : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void framingReachesTheDevice_data();
    void framingReachesTheDevice();
    void openFailures_data();
    void openFailures();
    void lockFileOwners_data();
    void lockFileOwners();
    void lossIsReportedOnceAfterTheInput();
};

void TestSerialPty::init()
{
    // Pseudo-terminals have no modem lines or error counters: the port must
    // stay quiet about it.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
}

void TestSerialPty::framingReachesTheDevice_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<int>("handshaking");
    QTest::addColumn<uint>("cflag"); // of PARODD, CMSPAR, CSTOPB, CRTSCTS
    QTest::addColumn<uint>("iflag"); // of IXON, IXOFF, IXANY

    // A pseudo-terminal clears PARENB and forces 8 data bits; PARODD, CMSPAR
    // and CSTOPB survive.
    QTest::newRow("none, 1 stop") << "9600,N,8,1" << 0 << 0u << 0u;
    QTest::newRow("odd, 2 stop") << "9600,O,8,2" << 0 << uint(PARODD | CSTOPB) << 0u;
    QTest::newRow("mark, 7 bits") << "9600,M,7,1" << 0 << uint(PARODD | CMSPAR) << 0u;
    QTest::newRow("space, 2 stop") << "9600,S,8,2" << 0 << uint(CMSPAR | CSTOPB) << 0u;
    QTest::newRow("xon/xoff") << "9600,N,8,1" << 1 << 0u << uint(IXON | IXOFF);
    QTest::newRow("rts/cts, even") << "9600,E,8,1" << 2 << uint(CRTSCTS) << 0u;
}

void TestSerialPty::framingReachesTheDevice()
{
    QFETCH(QString, settings);
    QFETCH(int, handshaking);
    constexpr uint Framing = PARODD | CMSPAR | CSTOPB | CRTSCTS;
    constexpr uint Flow = IXON | IXOFF | IXANY;
    constexpr uint Marking = PARMRK | INPCK | IGNBRK | BRKINT | IGNPAR | ISTRIP;

    PtyMaster master;
    QtCommPort port;
    port.setCommPort(master.slavePath);
    QCOMPARE(port.setSettings(settings), CommError::None);
    QCOMPARE(port.setHandshaking(handshaking), CommError::None);
    QCOMPARE(port.setPortOpen(true), CommError::None);
    const termios2 tio = master.attributes();
    QTEST(uint(tio.c_cflag & Framing), "cflag");
    QTEST(uint(tio.c_iflag & Flow), "iflag");
    // A pseudo-terminal has no line events to mark; nothing is dropped or
    // turned into a signal.
    QCOMPARE(tio.c_iflag & Marking, 0u);

    // The same, applied while open over settings that set every flag.
    QCOMPARE(port.setSettings(QStringLiteral("19200,M,8,2")), CommError::None);
    QCOMPARE(port.setHandshaking(3), CommError::None);
    QCOMPARE(port.setSettings(settings), CommError::None);
    QCOMPARE(port.setHandshaking(handshaking), CommError::None);
    QCOMPARE(master.attributes().c_cflag & Framing, tio.c_cflag & Framing);
    QCOMPARE(master.attributes().c_iflag & Flow, tio.c_iflag & Flow);

    // A serial line gets the same framing, with its line events marked.
    port.setPortOpen(false);
    const int fd = ::open(QFile::encodeName(master.slavePath).constData(), O_RDWR | O_NOCTTY);
    QVERIFY(fd >= 0);
    const auto closeFd = qScopeGuard([fd] { ::close(fd); });
    const LineControl::FramingResult framing = LineControl::applyFraming(
        fd, *LineSettings::parse(settings), ::Handshaking(handshaking), true);
    QVERIFY(framing.applied && framing.marking);
    const termios2 marked = master.attributes();
    QCOMPARE(marked.c_cflag & Framing, tio.c_cflag & Framing);
    QCOMPARE(marked.c_iflag & Marking, uint(PARMRK | INPCK));
}

void TestSerialPty::openFailures_data()
{
    // "pty" stands for the slave of a fresh pseudo-terminal; "pty, stale lock" for one
    // with a lock file of a program that is gone, which the user may not remove;
    // "pty, session" for the controlling terminal of a session whose leader is
    // HOLDER; "pty, flock" for one that flock(1), process HOLDER, has locked.
    QTest::addColumn<QString>("commPort");
    QTest::addColumn<QString>("settings");
    // A mode other than 0 is given to the pty, with the group unless it is -1,
    // and the port is opened as the user nobody, whom neither lets in.
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("group");
    QTest::addColumn<CommError>("error");
    // What the error string must match; PTY, GROUP and USER stand for the
    // device, its group's name and the user's name.
    QTest::addColumn<QString>("reason");

    const auto row = [](const char *name, const char *commPort, const char *settings,
                        CommError error, const char *reason, int mode = 0, int group = -1) {
        QTest::newRow(name) << QString::fromLatin1(commPort) << QString::fromLatin1(settings)
                            << mode << group << error << QString::fromLatin1(reason);
    };
    const char *standard = "9600,N,8,1";
    const CommError other = CommError::Other;
    row("missing device", "wirelook-no-such-device", standard, CommError::NoSuchPort,
        "^/dev/wirelook-no-such-device: ");
    row("port zero", "0", standard, CommError::NoSuchPort, "names no device");
    row("not a terminal", "/dev/null", standard, CommError::NoSuchPort, "^/dev/null: ");
    row("pseudo-terminal multiplexer", "/dev/ptmx", standard, CommError::NoSuchPort,
        "not a serial device");
    row("the opener's own terminal", "/dev/tty", standard, CommError::NoSuchPort,
        "not a serial device");
    row("4 data bits", "pty", "9600,N,4,1", CommError::SettingRefused,
        "^PTY: 4 data bits are not supported$");
    row("1.5 stop bits", "pty", "9600,N,5,1.5", CommError::SettingRefused,
        "^PTY: 1.5 stop bits are not supported$");
    // A user outside the device's group is told which group to join and how.
    const char *joinGroup = "^PTY: [^\n]+\nMembers of the group GROUP may use it: "
                            "sudo usermod -aG GROUP USER, then log in again\\.\\z";
    row("no access, the group may use it", "pty", standard, other, joinGroup, 0660, 20); // dialout
    row("no access, the group may only read", "pty", standard, other, "^PTY: [^\n]+\\z", 0640, 20);
    row("no access, for root's group only", "pty", standard, other, "^PTY: [^\n]+\\z", 0660, 0);
    row("stale lock file", "pty, stale lock", standard, CommError::None, "^opened$", 0666);
    row("a session's controlling terminal", "pty, session", standard, CommError::PortBusy,
        "^PTY: the controlling terminal of tst_serialpty \\(process HOLDER\\)$");
    row("locked by another program", "pty, flock", standard, CommError::PortBusy,
        "^PTY: in use by flock \\(process HOLDER\\)$");
}

void TestSerialPty::openFailures()
{
    QFETCH(QString, commPort);
    QFETCH(QString, settings);
    QFETCH(int, mode);
    QFETCH(int, group);
    QFETCH(QString, reason);

    PtyMaster master;
    const QString path = commPort.startsWith(u"pty") ? master.slavePath : commPort;
    const QByteArray device = QFile::encodeName(path);
    QFile lock(SerialLockFile::pathFor(path));
    const bool staleLock = commPort.endsWith(u"lock");
    const auto removeLock = qScopeGuard([&] {
        if (staleLock)
            lock.remove();
    });
    if (staleLock) {
        if (lock.fileName().isEmpty())
            QSKIP("No lock folder can be used here.");
        QVERIFY(lock.open(QIODevice::NewOnly));
        lock.write(QByteArray::number(goneProcess()) + "\nwirelook\n" +
                   QSysInfo::machineHostName().toUtf8() + "\n");
        lock.close();
        QVERIFY(lock.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    }
    if (mode != 0) {
        if (::geteuid() != 0)
            QSKIP("Opening as another user needs the superuser.");
        QCOMPARE(::chmod(device.constData(), mode_t(mode)), 0);
        if (group >= 0)
            QCOMPARE(::chown(device.constData(), uid_t(-1), gid_t(group)), 0);
    }
    const QFileInfo info(path);
    const passwd *nobody = ::getpwuid(Nobody);
    const QString groupName =
        info.group().isEmpty() ? QString::number(info.groupId()) : info.group();
    const QString userName = nobody ? QString::fromLocal8Bit(nobody->pw_name) : u"$USER"_s;
    reason.replace(u"PTY"_s, QRegularExpression::escape(path))
        .replace(u"GROUP"_s, QRegularExpression::escape(groupName))
        .replace(u"USER"_s, QRegularExpression::escape(userName));

    std::optional<TerminalSession> session;
    if (commPort.endsWith(u"session")) {
        session.emplace(device);
        if (session->member < 0)
            QSKIP("Choosing a process id needs the superuser.");
        reason.replace(u"HOLDER"_s, QString::number(session->leader));
    }
    // flock(1) locks the device as a serial program does, says so, and waits.
    QProcess locker;
    const auto endLocker = qScopeGuard([&locker] {
        locker.kill();
        locker.waitForFinished();
    });
    if (commPort.endsWith(u"flock")) {
        locker.start(u"flock"_s,
                     {u"--close"_s, path, u"sh"_s, u"-c"_s, u"echo locked; exec cat"_s});
        QVERIFY(locker.waitForReadyRead());
        reason.replace(u"HOLDER"_s, QString::number(locker.processId()));
    }

    const auto [error, errorString] =
        mode != 0 ? openAsNobody(path, settings) : openOnce(path, settings);
    QTEST(error, "error");
    QVERIFY2(QRegularExpression(reason).match(errorString).hasMatch(), qPrintable(errorString));
}

void TestSerialPty::lockFileOwners_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("gone");

    const QByteArray gone = QByteArray::number(goneProcess());
    const QByteArray here = QSysInfo::machineHostName().toUtf8();
    QTest::newRow("QLockFile's, process running")
        << QByteArray::number(::getpid()) + "\nwirelook\n" + here + "\n"
        << false;
    QTest::newRow("another machine's") << gone + "\nwirelook\nelsewhere\n" << false;
    QTest::newRow("process id alone, gone") << gone.rightJustified(10, ' ') + "\n" << true;
    QTest::newRow("no process id") << QByteArray("wirelook\n") << false;
}

void TestSerialPty::lockFileOwners()
{
    QFETCH(QByteArray, content);
    QTEST(SerialLockFile::ownerGone(content), "gone");
}

void TestSerialPty::lossIsReportedOnceAfterTheInput()
{
    PtyMaster master;
    QtCommPort port;
    QSignalSpy arrivals(&port, &CommPort::OnComm);
    QSignalSpy lost(&port, &CommPort::deviceLost);
    // A name under /dev: the port names the device it opened.
    port.setCommPort(master.slavePath.mid(int(qstrlen("/dev/"))));
    QCOMPARE(port.setPortOpen(true), CommError::None);
    QCOMPARE(port.deviceName(), master.slavePath);

    QVERIFY(master.write("last words"));
    QVERIFY(arrivals.wait());
    // A read error that ends QSerialPort's reading, the line still up, as a
    // USB adapter pulled out may give.
    auto *serial = port.findChild<QSerialPort *>();
    QVERIFY(serial);
    emit serial->errorOccurred(QSerialPort::ResourceError);

    // Closed at once, but the loss is reported only after the data are taken.
    QTRY_VERIFY(!port.PortOpen());
    QCOMPARE(lost.count(), 0);
    QCOMPARE(port.Input(), "last words");
    QVERIFY(lost.wait());
    QVERIFY(!lost.wait(100));
    QCOMPARE(lost.count(), 1);
}

QTEST_GUILESS_MAIN(TestSerialPty)
#include "tst_serialpty.moc"
