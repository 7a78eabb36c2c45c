#include "ColorValue.h"
#include "CompareTest.h"
#include "DevSim.h"
#include "FakeCommPort.h"
#include "MainWindowFixture.h"
#include "SetupFile.h"
#include "WaitSeconds.h"
#include "frmMain.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

namespace {

// A device at 19200 E 7 1 behind a card that halves the rates: it answers the
// probe at 38400 with ACK NAK 7E 7F; the port cannot be opened at 56000
// (probes 11 to 15). At 115200 N 8 1 (the first probe) the same answer comes
// with a line end after it.
class ProbeAnsweringPort : public FakeCommPort
{
protected:
    CommError openDevice(const QString &commPort, const LineSettings &settings,
                         ::Handshaking handshaking) override
    {
        if (settings.baudRate == 28000)
            return CommError::SettingRefused;
        return FakeCommPort::openDevice(commPort, settings, handshaking);
    }
    void writeDevice(const QByteArray &data) override
    {
        FakeCommPort::writeDevice(data);
        if (data == DevSim::Probe && Settings() == QStringLiteral("19200,E,7,1"))
            QTimer::singleShot(20, this, [this] { deliverInput("\x06\x15\x7e\x7f"); });
        if (data == DevSim::Probe && Settings() == QStringLiteral("57600,N,8,1"))
            QTimer::singleShot(20, this, [this] { deliverInput("\x06\x15\x7e\x7f\r"); });
    }
};

QColor backgroundOf(const Window &w)
{
    QWidget *viewport = w.child<QAbstractScrollArea>("rtbDisplay")->viewport();
    return viewport->grab().toImage().pixelColor(viewport->rect().bottomRight() - QPoint(2, 2));
}

} // namespace

class TestToolsWindow : public QObject
{
    Q_OBJECT

private slots:
    void compareTestFromStartToExit();
    void searchFindsTheDevice();
    void searchNeedsAnActivePort();
    void exitDuringTheSearchEndsItAndFreesThePort();
    void compareTestJudgesReadings_data();
    void compareTestJudgesReadings();
    void waitSecondsLetsTheProgramWork();
};

void TestToolsWindow::compareTestFromStartToExit()
{
    Window w;
    w.start();
    auto *timer = w.child<QTimer>("tmrTestTimer");
    const int normalHeight = w.child("rtbDisplay")->height();
    const QColor normalBackground = backgroundOf(w);
    const auto shown = [&] {
        int count = 0;
        for (const char *name : {"cmdSetStandard", "cmdExitTest", "lblGoodCountCaption",
                                 "lblGoodCount", "lblBadCountCaption", "lblBadCount", "chkBadHold"})
            count += w.child(name)->isVisible();
        return count;
    };
    // The timer runs after a click on the button; the test ticks by hand.
    const auto reading = [&](const QByteArray &text, int ticks) {
        timer->stop();
        w.window->PutInDisplay(text, ColorValue::Green);
        for (int tick = 0; tick < ticks; ++tick)
            w.window->tmrTestTimer_Timer();
    };

    w.action("mnuCompareTest")->trigger();
    QCOMPARE(shown(), 7);
    QVERIFY(!timer->isActive());
    QCOMPARE(timer->interval(), 100);

    w.window->PutInDisplay("123", ColorValue::Green);
    QTest::mouseClick(w.child("cmdSetStandard"), Qt::LeftButton);
    QVERIFY(timer->isActive());
    QCOMPARE(w.display(), QByteArray());
    QCOMPARE(w.child<QLineEdit>("txtStandard")->text(), QStringLiteral("123"));
    reading("123", 5);
    QCOMPARE(w.text("lblGoodCount"), QStringLiteral("1"));
    QCOMPARE(w.display(), QByteArray());

    // Held: the reading stays on a red display, three beeps, the timer stops.
    QTest::mouseClick(w.child("chkBadHold"), Qt::LeftButton);
    reading("999", 5);
    QCOMPARE(w.text("lblBadCount"), QStringLiteral("1"));
    QCOMPARE(w.text("cmdSetStandard"), QStringLiteral("Restart"));
    QVERIFY(!timer->isActive());
    QCOMPARE(w.services.beeper.count, 3);
    QCOMPARE(w.display(), QByteArray("999"));
    QCOMPARE(backgroundOf(w), QColor(Qt::red));

    // Restart keeps the standard and the caption and restores the background.
    QTest::mouseClick(w.child("cmdSetStandard"), Qt::LeftButton);
    QVERIFY(timer->isActive());
    QCOMPARE(w.display(), QByteArray());
    QCOMPARE(backgroundOf(w), normalBackground);
    QCOMPARE(w.text("cmdSetStandard"), QStringLiteral("Restart"));

    // Held again, then left: all as before the test but the standard.
    reading("12", 5);
    QCOMPARE(backgroundOf(w), QColor(Qt::red));
    QTest::mouseClick(w.child("cmdExitTest"), Qt::LeftButton);
    QCOMPARE(shown(), 0);
    QVERIFY(!timer->isActive());
    QCOMPARE(w.child("rtbDisplay")->height(), normalHeight);
    QCOMPARE(backgroundOf(w), normalBackground);
    w.action("mnuCompareTest")->trigger();
    QCOMPARE(w.text("cmdSetStandard"), QStringLiteral("Set Standard"));
    QCOMPARE(w.text("lblGoodCount"), QStringLiteral("0"));
    QCOMPARE(w.text("lblBadCount"), QStringLiteral("0"));
    QCOMPARE(w.child<QLineEdit>("txtStandard")->text(), QStringLiteral("123"));
}

void TestToolsWindow::searchFindsTheDevice()
{
    auto device = std::make_unique<ProbeAnsweringPort>();
    ProbeAnsweringPort &port = *device;
    Window w(std::move(device));
    w.start();
    w.box("cboBaud")->setEditText(QStringLiteral("4800"));
    w.action("mnuDouble")->trigger();
    port.log.clear();

    w.action("mnuFindCommSetting")->trigger();
    QVERIFY(w.window->isSearching());
    w.action("mnuFindCommSetting")->trigger(); // ignored while searching
    QTRY_VERIFY_WITH_TIMEOUT(!w.window->isSearching(), 20000);

    // Found on probe 17, not on the first with its extra byte; the five at
    // 56000 could not be sent.
    QCOMPARE(port.written, DevSim::Probe.repeated(17 - 5));
    const QByteArray status = "Searching." + QByteArray(17, '.') + "\r\n";
    QCOMPARE(w.display(), status + "[ACK][NAK]~[x7F]\r\nFound it!!!!");
    QCOMPARE(w.shownIn(w.window->ReturnXmitFuncColor()), status + "\r\nFound it!!!!");
    QVERIFY(port.PortOpen());
    QCOMPARE(port.Settings(), QStringLiteral("19200,E,7,1"));
    QCOMPARE(w.box("cboBaud")->currentText(), QStringLiteral("38400"));
    QCOMPARE(w.text("cmdPortState"), QStringLiteral("Port Active"));
    QVERIFY(w.services.messageBoxes.shown.isEmpty());

    // RTS goes up on the open port before each reopen, and on the reopened one.
    const QStringList opens = port.log.filter(QStringLiteral("open "));
    QCOMPARE(opens.size(), 17 - 5);
    QCOMPARE(opens.first(), QStringLiteral("open 1 57600,N,8,1 0"));
    QCOMPARE(port.log.count(QStringLiteral("close")), 17 - 5);
    for (qsizetype at = 0; at < port.log.size(); ++at) {
        if (port.log[at] == QStringLiteral("close"))
            QCOMPARE(port.log.value(at - 1), QStringLiteral("rts 1"));
        if (port.log[at].startsWith(QStringLiteral("open ")))
            QCOMPARE(port.log.value(at + 1), QStringLiteral("rts 1"));
    }
}

void TestToolsWindow::searchNeedsAnActivePort()
{
    Window w([](FakeCommPort &port) { port.refuseOpen = CommError::PortBusy; });
    w.start();
    w.window->PutInDisplay("before", ColorValue::Green);
    w.services.messageBoxes.shown.clear();
    const QStringList log = w.port->log;

    w.action("mnuFindCommSetting")->trigger();
    QVERIFY(!w.window->isSearching());
    QCOMPARE(w.services.messageBoxes.shown,
             QStringList{QStringLiteral("I don't have a port available to me.")});
    QCOMPARE(w.display(), QByteArray("before"));
    QCOMPARE(w.port->log, log);
}

void TestToolsWindow::exitDuringTheSearchEndsItAndFreesThePort()
{
    Window w;
    w.start();
    w.box("cboBaud")->setEditText(QStringLiteral("4800"));
    w.action("mnuFindCommSetting")->trigger();
    QTRY_VERIFY(w.port->openCount >= 3);

    w.action("mnuExit")->trigger();
    QVERIFY(!w.window->isSearching());
    QVERIFY(!w.port->PortOpen());
    QCOMPARE(w.box("cboBaud")->currentText(), QStringLiteral("4800"));
    QCOMPARE(SetupFile(w.setupFolder.path()).restore({}).setup.port.baud, QStringLiteral("4800"));
    // The window object lives on, as it does while the help window is open:
    // nothing opens the port again.
    const QStringList log = w.port->log;
    QTest::qWait(int(2 * CommSettingSearch::ProbeWaitSeconds * 1000));
    QCOMPARE(w.port->log, log);
}

// Each step is what arrives on the display before one tick of the test timer;
// the step "restart" is the Restart button instead: the display is cleared
// and no tick happens. The verdicts are one character per tick: '.' none,
// 'G' good, 'B' bad, 'H' bad and held. After G and B the window clears the
// display, as the driver below does.
void TestToolsWindow::compareTestJudgesReadings_data()
{
    QTest::addColumn<QByteArray>("standard");
    QTest::addColumn<bool>("hold");
    QTest::addColumn<QByteArrayList>("steps");
    QTest::addColumn<QByteArray>("verdicts");

    QTest::newRow("empty display not judged; good on the fourth quiet tick, then bad")
        << QByteArray("123[CR ]\r\n") << false
        << QByteArrayList{"", "", "123[CR ]\r\n", "", "", "", "", "124[CR ]\r\n", "", "", "", ""}
        << QByteArray("......G....B");
    QTest::newRow("an empty standard makes every reading bad")
        << QByteArray() << false << QByteArrayList{"123", "", "", "", "", "", "", "", "", "", ""}
        << QByteArray("....B......");
    QTest::newRow("growth does not reset the quiet ticks: a reading in bursts is judged early")
        << QByteArray("123456") << false
        << QByteArrayList{"12", "", "", "34", "", "", "56", "", "", "", ""}
        << QByteArray(".....B....B");
    QTest::newRow("held bad reading; after Restart a reading of its length is judged at once")
        << QByteArray("123") << true
        << QByteArrayList{"999", "", "", "", "", "restart", "123", "", "", "", "", ""}
        << QByteArray("....HG.....");
    QTest::newRow("after Restart the first tick without growth judges")
        << QByteArray("123") << true
        << QByteArrayList{"9999", "", "", "", "", "restart", "12", "", "restart", "123", "", ""}
        << QByteArray("....H.H.G.");
}

void TestToolsWindow::compareTestJudgesReadings()
{
    QFETCH(QByteArray, standard);
    QFETCH(bool, hold);
    QFETCH(QByteArrayList, steps);

    CompareTest test;
    test.setStandard(standard);
    QByteArray display;
    QByteArray verdicts;
    for (const QByteArray &step : steps) {
        if (step == "restart") {
            display.clear();
            continue;
        }
        display += step;
        const CompareTest::Verdict verdict = test.tick(display, hold);
        verdicts += ".GBH"[int(verdict)];
        if (verdict == CompareTest::Verdict::Good || verdict == CompareTest::Verdict::Bad)
            display.clear();
    }
    QTEST(verdicts, "verdicts");
}

// The program works while it waits; nothing runs once the context is gone.
void TestToolsWindow::waitSecondsLetsTheProgramWork()
{
    QObject context;
    QStringList order;
    QElapsedTimer clock;
    qint64 waited = -1;
    QTimer::singleShot(0, &context, [&] { order.append(QStringLiteral("event")); });
    clock.start();
    WaitSeconds(0.3f, &context, [&] { waited = clock.elapsed(); });
    WaitSeconds(0, &context, [&] { order.append(QStringLiteral("no wait")); });
    {
        QObject gone;
        WaitSeconds(0.05f, &gone, [&] { order.append(QStringLiteral("gone")); });
    }
    QCOMPARE(order, QStringList{QStringLiteral("no wait")});
    QTRY_VERIFY(waited >= 0);
    QCOMPARE(order, QStringList({"no wait", "event"}));
    QVERIFY2(waited >= 300, qPrintable(QString::number(waited)));
}

QTEST_MAIN(TestToolsWindow)
#include "tst_toolswindow.moc"
