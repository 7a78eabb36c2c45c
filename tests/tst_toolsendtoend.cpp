#include "DevSim.h"
#include "SerialProgram.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

struct Program : SerialProgram
{
    QString text(const char *name) const { return child<QComboBox>(name)->currentText(); }
    QStringList boxes() const
    {
        return {text("cboBaud"), text("cboParity"), text("cboDataBits"), text("cboStopBits")};
    }
};

} // namespace

class TestToolsEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void searchFindsTheDevice_data();
    void searchFindsTheDevice();
    void searchThatFindsNothingPutsTheSettingsBack();
    void compareTestCountsReadings();
};

void TestToolsEndToEnd::searchFindsTheDevice_data()
{
    // A pseudo-terminal shows the rate, stop bits and odd parity, not data
    // bits nor the difference of None and Even.
    QTest::addColumn<QStringList>("device");
    QTest::addColumn<QString>("card");
    QTest::addColumn<int>("probes");
    QTest::addColumn<QStringList>("boxes");
    QTest::newRow("19200 O 7 2") << QStringList{"--baud", "19200", "--parity", "O", "--stop", "2"}
                                 << "mnuSingle" << 30 << QStringList{"19200", "Odd", "7", "2"};
    QTest::newRow("doubler, device at 57600")
        << QStringList{"--baud", "57600", "--pair", "DEDF"} << "mnuDouble" << 1
        << QStringList{"115200", "None", "8", "1"};
}

void TestToolsEndToEnd::searchFindsTheDevice()
{
    QFETCH(QStringList, device);
    QFETCH(QString, card);
    QFETCH(int, probes);

    DevSim probe(QStringList{"probe"} + device);
    Program program;
    QVERIFY(program.start(probe.path));
    program.child<QAction>(qPrintable(card))->trigger();

    // The window answers a click while the search waits for the device.
    int clicksWhileSearching = 0;
    auto *rts = program.child<QPushButton>("cmdRTSstate");
    connect(rts, &QPushButton::clicked, this,
            [&] { clicksWhileSearching += program.window->isSearching(); });
    program.child<QAction>("mnuFindCommSetting")->trigger();
    QTimer::singleShot(100, rts, [rts] { QTest::mouseClick(rts, Qt::LeftButton); });
    QTRY_VERIFY_WITH_TIMEOUT(!program.window->isSearching(), 20000);
    QCOMPARE(clicksWhileSearching, 1);

    const QByteArray status = QByteArray("Searching.") + QByteArray(probes, '.') + "\r\n";
    QVERIFY2(program.display().startsWith(status), program.display().constData());
    QVERIFY(program.display().endsWith("]\r\nFound it!!!!"));
    QTEST(program.boxes(), "boxes");
    QVERIFY(program.services.messageBoxes.shown.isEmpty());

    // The port stays at the setting found: the device answers again.
    program.window->commPort().Output(DevSim::Probe);
    QTRY_COMPARE(program.display().count("[ACK][NAK]"), 2);
}

void TestToolsEndToEnd::searchThatFindsNothingPutsTheSettingsBack()
{
    // The device answers on probe 30, but without function characters shown
    // its answer cannot be recognised: every probe goes out.
    DevSim probe({"probe", "--baud", "19200", "--parity", "O", "--stop", "2", "--verbose"});
    Program program;
    QVERIFY(program.start(probe.path));
    program.child<QComboBox>("cboBaud")->setEditText(QStringLiteral("4800"));
    program.child<QAction>("mnuEven72")->trigger();
    program.child<QAction>("mnuShowFunctionCharacters")->trigger();
    QCOMPARE(program.window->displayOptions().showFunctionCharacters, false);

    QElapsedTimer clock;
    clock.start();
    program.child<QAction>("mnuFindCommSetting")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!program.window->isSearching(), 30000);
    const qint64 elapsed = clock.elapsed();

    // Each probe waits 0.3 s.
    QVERIFY2(elapsed >= 50 * 300, qPrintable(QString::number(elapsed)));
    QCOMPARE(program.display(), QByteArray("Sorry.... \r\nI failed to find anyone out there."));
    QCOMPARE(program.boxes(), (QStringList{"4800", "Even", "7", "2"}));
    QCOMPARE(program.portState(), QStringLiteral("Port Active"));
    QCOMPARE(program.window->commPort().Settings(), QStringLiteral("9600,E,7,2"));
    QVERIFY(program.services.messageBoxes.shown.isEmpty());

    // The device saw all 50 probes, from 115200 down to 2400.
    QByteArray log;
    const auto probesSeen = [&] {
        log += probe.process.readAllStandardError();
        return log.count("probe at");
    };
    QTRY_COMPARE(probesSeen(), 50);
    const QStringList lines =
        QString::fromLocal8Bit(log).split(QLatin1Char('\n')).filter(QStringLiteral("probe at"));
    QCOMPARE(lines.size(), 50);
    QVERIFY2(lines.first().contains(QStringLiteral("probe at 115200 baud")),
             qPrintable(lines.first()));
    QVERIFY2(lines[29].contains(QStringLiteral(": answering")), qPrintable(lines[29]));
    QVERIFY2(lines.last().contains(QStringLiteral("probe at 2400 baud, parity odd, 2 stop")),
             qPrintable(lines.last()));
}

void TestToolsEndToEnd::compareTestCountsReadings()
{
    // Every third reading is the wrong one; 700 ms apart, each is quiet long
    // enough to be judged.
    DevSim readings({"readings", "--text", "+0012.34 kg", "--bad-text", "+0099.99 kg",
                     "--interval-ms", "700", "--bad-every", "3"});
    Program program;
    QVERIFY(program.start(readings.path));
    program.child<QAction>("mnuCompareTest")->trigger();
    // The standard is the next whole reading after a clear display: a good
    // one, or the wrong one if the program was slow to get here.
    const QByteArray good = "+0012.34 kg[CR ]\r\n[LF ]";
    QTRY_VERIFY_WITH_TIMEOUT(program.display().endsWith("[LF ]"), 3000);
    program.window->cmdClearScreen_Click();
    QTRY_VERIFY_WITH_TIMEOUT(program.display().endsWith("[LF ]"), 3000);
    QCOMPARE(program.display().size(), good.size());
    const bool standardIsGood = program.display() == good;
    QTest::mouseClick(program.child("cmdSetStandard"), Qt::LeftButton);

    // Of the next six readings two are counted one way and four the other.
    auto *goodCount = program.child<QLabel>("lblGoodCount");
    auto *badCount = program.child<QLabel>("lblBadCount");
    QTRY_VERIFY_WITH_TIMEOUT(goodCount->text().toInt() + badCount->text().toInt() == 6, 8000);
    QCOMPARE(badCount->text(), standardIsGood ? QStringLiteral("2") : QStringLiteral("4"));
}

QTEST_MAIN(TestToolsEndToEnd)
#include "tst_toolsendtoend.moc"
