#include "DevSim.h"
#include "SerialProgram.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

using Program = SerialProgram;

namespace {

QByteArray fileContent(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestSerialEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void deviceSeesTheChosenLineSettings();
    void aHeldDeviceIsBusy();
    void terminationSignalClosesAsTheWindowDoes_data();
    void terminationSignalClosesAsTheWindowDoes();
    void vanishingDeviceIsReportedOrReconnected();
    void typingLandsBetweenTheCharactersOfAString();
    void searchThatFindsNothingPutsTheSettingsBack();
};

// The device answers the probe only while the pseudo-terminal carries its
// settings: the rate, the stop bits and mark parity (odd to the device).
void TestSerialEndToEnd::deviceSeesTheChosenLineSettings()
{
    DevSim probe({"probe", "--baud", "12345", "--parity", "M", "--stop", "2"});
    Program program;
    QVERIFY(program.start(probe.path));
    program.child<QComboBox>("cboBaud")->setEditText(QStringLiteral("12345"));
    program.child<QAction>("mnuMark72")->trigger();
    QCOMPARE(program.portState(), QStringLiteral("Port Active"));
    program.window->commPort().Output(DevSim::Probe);
    QTRY_VERIFY(program.display().contains("[ACK][NAK][xEE][xEF]"));
    QVERIFY(program.services.messageBoxes.shown.isEmpty());
}

// Held by a session or by another program, the device shows busy and is not touched.
void TestSerialEndToEnd::aHeldDeviceIsBusy()
{
    DevSim device({"echo"});
    QVERIFY(!device.path.isEmpty());
    const int fd = ::open(QFile::encodeName(device.path).constData(), O_RDWR | O_NOCTTY);
    QVERIFY(fd >= 0);
    const auto closeDevice = qScopeGuard([fd] { ::close(fd); });
    termios modes{};
    QCOMPARE(::tcgetattr(fd, &modes), 0);
    modes.c_lflag |= ICANON | ECHO;
    ::cfsetspeed(&modes, B4800);
    QCOMPARE(::tcsetattr(fd, TCSANOW, &modes), 0);
    QCOMPARE(::tcgetattr(fd, &modes), 0);

    // A session leader whose controlling terminal the device is, as a login shell's.
    QProcess shell;
    shell.setStandardInputFile(device.path);
    shell.start(QStringLiteral("setsid"), {"--ctty", "sleep", "600"});
    QVERIFY(shell.waitForStarted());
    const QString comm = QStringLiteral("/proc/%1/comm").arg(shell.processId());
    QTRY_COMPARE(fileContent(comm), QByteArray("sleep\n"));
    Program first;
    first.window->Form_Load(device.path);
    QCOMPARE(first.portState(), QStringLiteral("Port Busy"));
    QCOMPARE(first.services.messageBoxes.shown,
             QStringList{QStringLiteral("Someone else has control of the port\n%1: the "
                                        "controlling terminal of sleep (process %2)")
                             .arg(device.path)
                             .arg(shell.processId())});
    termios after{};
    QCOMPARE(::tcgetattr(fd, &after), 0);
    QCOMPARE(std::tuple(after.c_lflag, after.c_cflag, ::cfgetospeed(&after)),
             std::tuple(modes.c_lflag, modes.c_cflag, speed_t(B4800)));

    // Once the session has ended the device is free, and a second program is kept out.
    shell.kill();
    QVERIFY(shell.waitForFinished());
    first.window->cmdPortState_Click();
    QCOMPARE(first.portState(), QStringLiteral("Port Active"));
    Program second;
    second.window->Form_Load(device.path);
    QCOMPARE(second.portState(), QStringLiteral("Port Busy"));
    // The holder is this process, which the message does not name.
    QCOMPARE(second.services.messageBoxes.shown,
             QStringList{QStringLiteral("Someone else has control of the port\n%1: in use by "
                                        "another program")
                             .arg(device.path)});
}

void TestSerialEndToEnd::terminationSignalClosesAsTheWindowDoes_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGHUP") << SIGHUP;
}

// The program itself, in a folder of its own where it keeps its setup.
void TestSerialEndToEnd::terminationSignalClosesAsTheWindowDoes()
{
    QFETCH(int, signalNumber);

    DevSim device({"echo"});
    QVERIFY(!device.path.isEmpty());
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("wirelook"));
    QVERIFY(QFile::copy(qEnvironmentVariable("WIRELOOK"), copy));
    const QString log = dir.filePath(QStringLiteral("session.log"));
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());
    program.setProcessEnvironment(environment);
    program.start(copy, {QStringLiteral("--log"), log, device.path});
    const QByteArray opened = " ! port " + QFile::encodeName(device.path) + " opened";
    QTRY_VERIFY_WITH_TIMEOUT(fileContent(log).contains(opened), 10000);

    QCOMPARE(::kill(pid_t(program.processId()), signalNumber), 0);
    QVERIFY(program.waitForFinished(10000));
    // Ended by the signal, as its parent expects.
    QCOMPARE(program.exitStatus(), QProcess::CrashExit);
    QVERIFY(fileContent(dir.filePath(QStringLiteral("LastSetup.txt")))
                .contains(QFile::encodeName(device.path)));
    QVERIFY(fileContent(log).endsWith(" ! log stopped\r\n"));
    // The device is left neither exclusive nor locked.
    const int fd =
        ::open(QFile::encodeName(device.path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(fd >= 0);
    int exclusive = 1;
    const bool asked = ::ioctl(fd, TIOCGEXCL, &exclusive) == 0;
    const bool lockable = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    QVERIFY(asked);
    QCOMPARE(exclusive, 0);
    QVERIFY(lockable);
}

// Lost, the device is reported once; with reconnection on, a marker says so
// and the port opens again by itself.
void TestSerialEndToEnd::vanishingDeviceIsReportedOrReconnected()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttyDevice"));
    const QString logPath = dir.filePath(QStringLiteral("session.log"));
    Program program;
    auto device = std::make_unique<DevSim>(QStringList{"echo", "--link", link});
    QVERIFY(!device->path.isEmpty() && program.start(link));
    QVERIFY(program.window->startLogging(logPath));
    // Typed but not applied: the message names the device that was open.
    program.child<QComboBox>("cboPortNumber")->setEditText(QStringLiteral("/dev/ttyUSB7"));
    device.reset();
    QTRY_COMPARE(program.portState(), QStringLiteral("Port Free"));
    QCOMPARE(program.services.messageBoxes.shown,
             QStringList{QStringLiteral("The port %1 was lost: the device is gone.").arg(link)});

    // The device is back: the button reopens it.
    device = std::make_unique<DevSim>(QStringList{"echo", "--link", link});
    program.child<QComboBox>("cboPortNumber")->setEditText(link);
    program.window->cmdPortState_Click();
    QCOMPARE(program.portState(), QStringLiteral("Port Active"));
    program.child<QAction>("mnuReconnectAutomatically")->setChecked(true);
    auto *display = program.child("rtbDisplay");
    QTest::keyClick(display, 'a');
    QTRY_COMPARE(program.received(), QByteArray("a"));

    // Gone again: no message, a marker.
    device.reset();
    QTRY_COMPARE(program.portState(), QStringLiteral("Port Free"));
    QTRY_VERIFY(program.display().endsWith("***DEVICE LOST***"));

    // Back at the same path: within a second typed keys go out and come back.
    DevSim again({"echo", "--link", link});
    QElapsedTimer back;
    back.start();
    QVERIFY(!again.path.isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(program.portState(), QStringLiteral("Port Active"), 1000);
    // The marker comes through the receive queue, a typed key's echo at once.
    QTRY_VERIFY(program.display().endsWith("***DEVICE LOST******RECONNECTED***"));
    QTest::keyClick(display, 'b');
    QTRY_COMPARE_WITH_TIMEOUT(program.received(), QByteArray("ab"), 1000);
    QVERIFY2(back.elapsed() <= 1000, qPrintable(QString::number(back.elapsed())));
    QCOMPARE(program.services.messageBoxes.shown.size(), 1);

    program.window->mnuLogToFile_Click();
    const QByteArray logged = fileContent(logPath);
    QVERIFY(logged.contains(" ! port " + link.toLocal8Bit() + " lost: the device is gone\r\n"));
    QVERIFY(logged.contains(" ! port " + link.toLocal8Bit() + " reconnected\r\n"));
}

void TestSerialEndToEnd::typingLandsBetweenTheCharactersOfAString()
{
    DevSim device({"echo"});
    Program program;
    QVERIFY(program.start(device.path));
    auto *display = program.child("rtbDisplay");
    const QByteArray string(300, 'a');
    program.window->stringSets().setString(0, 0, string);
    QTest::keyClick(display, Qt::Key_F1);
    for (int pass = 0; pass < 5; ++pass)
        QCoreApplication::processEvents();
    QTest::keyClick(display, 'Z');
    QTRY_COMPARE(program.received().size(), string.size() + 1);
    const QByteArray echoed = program.received();
    const qsizetype z = echoed.indexOf('Z');
    QVERIFY2(z > 0 && z < string.size(), qPrintable(QString::number(z)));
    QCOMPARE(QByteArray(echoed).remove(z, 1), string);
}

void TestSerialEndToEnd::searchThatFindsNothingPutsTheSettingsBack()
{
    // The device answers on probe 30, but without function characters shown
    // its answer cannot be recognised: every probe goes out.
    DevSim probe({"probe", "--baud", "19200", "--parity", "O", "--stop", "2"});
    Program program;
    QVERIFY(program.start(probe.path));
    program.child<QComboBox>("cboBaud")->setEditText(QStringLiteral("4800"));
    program.child<QAction>("mnuEven72")->trigger();
    program.child<QAction>("mnuShowFunctionCharacters")->trigger();
    QCOMPARE(program.window->displayOptions().showFunctionCharacters, false);

    // The window answers a click while the search waits for the device.
    int clicksWhileSearching = 0;
    auto *rts = program.child<QPushButton>("cmdRTSstate");
    connect(rts, &QPushButton::clicked, this,
            [&] { clicksWhileSearching += program.window->isSearching(); });
    QElapsedTimer clock;
    clock.start();
    program.child<QAction>("mnuFindCommSetting")->trigger();
    QTimer::singleShot(1000, rts, [rts] { QTest::mouseClick(rts, Qt::LeftButton); });
    QTRY_VERIFY_WITH_TIMEOUT(!program.window->isSearching(), 30000);
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(clicksWhileSearching, 1);
    // Each probe waits 0.3 s.
    QVERIFY2(elapsed >= 50 * 300, qPrintable(QString::number(elapsed)));
    QCOMPARE(program.display(), QByteArray("Sorry.... \r\nI failed to find anyone out there."));
    QCOMPARE(program.boxes(), (QStringList{"4800", "Even", "7", "2"}));
    QCOMPARE(program.portState(), QStringLiteral("Port Active"));
    QCOMPARE(program.window->commPort().Settings(), QStringLiteral("9600,E,7,2"));
    QVERIFY(program.services.messageBoxes.shown.isEmpty());
}

QTEST_MAIN(TestSerialEndToEnd)
#include "tst_serialendtoend.moc"
