#include "ColorValue.h"
#include "FakeCommPort.h"
#include "MainWindowFixture.h"
#include "frmMain.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

namespace {

const QByteArray Probe("\x16"
                       "C\r");

// A device that answers the probe only at one settings text, after a
// moment, and a port that cannot be opened at one rate.
class ProbeAnsweringPort : public FakeCommPort
{
public:
    QString answerAt;
    QByteArray answer;
    qint32 refusedRate = 0;

protected:
    CommError openDevice(const QString &commPort, const LineSettings &settings,
                         ::Handshaking handshaking) override
    {
        if (settings.baudRate == refusedRate)
            return CommError::SettingRefused;
        return FakeCommPort::openDevice(commPort, settings, handshaking);
    }
    void writeDevice(const QByteArray &data) override
    {
        FakeCommPort::writeDevice(data);
        if (data == Probe && Settings() == answerAt)
            QTimer::singleShot(20, this, [this] { deliverInput(answer); });
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
    void searchFindsTheDevice_data();
    void searchFindsTheDevice();
    void searchNeedsAnActivePort_data();
    void searchNeedsAnActivePort();
};

void TestToolsWindow::compareTestFromStartToExit()
{
    Window w;
    w.start();
    auto *timer = w.child<QTimer>("tmrTestTimer");
    const int normalHeight = w.child("rtbDisplay")->height();
    const QColor normalBackground = backgroundOf(w);
    const char *const controls[] = {"cmdSetStandard", "cmdExitTest",        "lblGoodCountCaption",
                                    "lblGoodCount",   "lblBadCountCaption", "lblBadCount",
                                    "chkBadHold"};
    const auto shown = [&] {
        int count = 0;
        for (const char *name : controls)
            count += w.child(name)->isVisible();
        return count;
    };
    const auto ticks = [&](int count) {
        for (int tick = 0; tick < count; ++tick)
            w.window->tmrTestTimer_Timer();
    };
    // The timer runs after each click, the test ticks by hand.
    const auto click = [&](const char *name) {
        QTest::mouseClick(w.child(name), Qt::LeftButton);
        QVERIFY(timer->isActive());
        timer->stop();
    };

    w.action("mnuCompareTest")->trigger();
    QCOMPARE(shown(), 7);
    QVERIFY(!w.child("txtStandard")->isVisible());
    // 300 twips more below the display.
    QCOMPARE(w.child("rtbDisplay")->height(), normalHeight - 20);
    QVERIFY(!timer->isActive());
    QCOMPARE(timer->interval(), 100);

    w.window->PutInDisplay("123", ColorValue::Green);
    click("cmdSetStandard");
    QCOMPARE(w.display(), QByteArray());
    QCOMPARE(w.child<QLineEdit>("txtStandard")->text(), QStringLiteral("123"));

    w.window->PutInDisplay("123", ColorValue::Green);
    ticks(4);
    QCOMPARE(w.text("lblGoodCount"), QStringLiteral("0"));
    ticks(1);
    QCOMPARE(w.text("lblGoodCount"), QStringLiteral("1"));
    QCOMPARE(w.display(), QByteArray());
    w.window->PutInDisplay("124", ColorValue::Green);
    ticks(5);
    QCOMPARE(w.text("lblBadCount"), QStringLiteral("1"));
    QCOMPARE(w.display(), QByteArray());
    QCOMPARE(w.services.beeper.count, 0);

    // Held: the reading stays on a red display, three beeps, the timer stops.
    QTest::mouseClick(w.child("chkBadHold"), Qt::LeftButton);
    QVERIFY(w.child<QCheckBox>("chkBadHold")->isChecked());
    timer->start();
    w.window->PutInDisplay("999", ColorValue::Green);
    ticks(5);
    QCOMPARE(w.text("lblBadCount"), QStringLiteral("2"));
    QCOMPARE(w.text("cmdSetStandard"), QStringLiteral("Restart"));
    QVERIFY(!timer->isActive());
    QCOMPARE(w.services.beeper.count, 3);
    QCOMPARE(w.display(), QByteArray("999"));
    QCOMPARE(backgroundOf(w), QColor(Qt::red));

    // Restart keeps the standard and the caption and restores the background;
    // the next reading of the held one's length is judged on its first tick.
    click("cmdSetStandard");
    QCOMPARE(w.display(), QByteArray());
    QCOMPARE(backgroundOf(w), normalBackground);
    QCOMPARE(w.text("cmdSetStandard"), QStringLiteral("Restart"));
    w.window->PutInDisplay("123", ColorValue::Green);
    ticks(1);
    QCOMPARE(w.text("lblGoodCount"), QStringLiteral("2"));

    // Held again, then left: all back as before the test but the standard.
    w.window->PutInDisplay("12", ColorValue::Green);
    ticks(5);
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
    QVERIFY(!timer->isActive());
}

void TestToolsWindow::searchFindsTheDevice_data()
{
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("answerAt"); // the settings text the device answers at
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QByteArray>("shown"); // the answer on the display
    QTest::addColumn<qint32>("refusedRate");
    QTest::addColumn<int>("probes");
    QTest::addColumn<QStringList>("boxes");

    // 56000 is tried on probes 11 to 15 and cannot be opened.
    QTest::newRow("19200 E 7 1 answering 7E 7F")
        << "mnuSingle"
        << "19200,E,7,1" << QByteArray("\x06\x15\x7e\x7f") << QByteArray("[ACK][NAK]~[x7F]")
        << 56000 << 27 << QStringList{"19200", "Even", "7", "1"};
    QTest::newRow("doubler: the first probe opens at 57600")
        << "mnuDouble"
        << "57600,N,8,1" << QByteArray("\x06\x15\xee\xef") << QByteArray("[ACK][NAK][xEE][xEF]")
        << 0 << 1 << QStringList{"115200", "None", "8", "1"};
}

void TestToolsWindow::searchFindsTheDevice()
{
    QFETCH(QString, card);
    QFETCH(QString, answerAt);
    const int divisor = card == QStringLiteral("mnuDouble") ? 2 : 1;
    QFETCH(QByteArray, answer);
    QFETCH(QByteArray, shown);
    QFETCH(qint32, refusedRate);
    QFETCH(int, probes);

    auto device = std::make_unique<ProbeAnsweringPort>();
    ProbeAnsweringPort &port = *device;
    port.answerAt = answerAt;
    port.answer = answer;
    port.refusedRate = refusedRate;
    Window w(std::move(device));
    w.start();
    w.action(qPrintable(card))->trigger();
    w.box("cboBaud")->setEditText(QStringLiteral("4800"));
    port.log.clear();

    w.action("mnuFindCommSetting")->trigger();
    QVERIFY(w.window->isSearching());
    w.action("mnuFindCommSetting")->trigger(); // ignored while searching
    QTRY_VERIFY_WITH_TIMEOUT(!w.window->isSearching(), 20000);

    const int refused = refusedRate ? 5 : 0;
    QCOMPARE(port.written, Probe.repeated(probes - refused));
    const QByteArray status = QByteArray("Searching.") + QByteArray(probes, '.') + "\r\n";
    QCOMPARE(w.display(), status + shown + "\r\nFound it!!!!");
    const DisplayModel &model = w.window->displayModel();
    const quint32 xmitFunc = w.window->ReturnXmitFuncColor();
    QCOMPARE(model.colorSpanAt(0), (DisplayModel::ColorSpan{xmitFunc, status.size()}));
    QCOMPARE(model.colorSpanAt(model.length() - 1),
             (DisplayModel::ColorSpan{xmitFunc, model.length()}));
    QCOMPARE(model.colorSpanAt(model.length() - 14).end, model.length());
    const QStringList boxes = {w.box("cboBaud")->currentText(), w.box("cboParity")->currentText(),
                               w.box("cboDataBits")->currentText(),
                               w.box("cboStopBits")->currentText()};
    QTEST(boxes, "boxes");
    QVERIFY(port.PortOpen());
    QCOMPARE(port.Settings(), answerAt);
    QCOMPARE(w.text("cmdPortState"), QStringLiteral("Port Active"));
    QVERIFY(w.services.messageBoxes.shown.isEmpty());
    // RTS goes up on the open port before each reopen, and on the reopened one.
    for (qsizetype at = 0; at < port.log.size(); ++at) {
        if (port.log[at] == QStringLiteral("close"))
            QCOMPARE(port.log.value(at - 1), QStringLiteral("rts 1"));
        if (port.log[at].startsWith(QStringLiteral("open ")))
            QCOMPARE(port.log.value(at + 1), QStringLiteral("rts 1"));
    }
    QCOMPARE(port.log.count(QStringLiteral("close")), probes - refused);
    const QStringList opens = port.log.filter(QStringLiteral("open "));
    QCOMPARE(opens.first(), QStringLiteral("open 1 %1,N,8,1 0").arg(115200 / divisor));
    QCOMPARE(opens.last(), QStringLiteral("open 1 %1 0").arg(answerAt));
}

void TestToolsWindow::searchNeedsAnActivePort_data()
{
    QTest::addColumn<CommError>("failure");
    QTest::newRow("red: port free") << CommError::NoSuchPort;
    QTest::newRow("yellow: port busy") << CommError::PortBusy;
}

void TestToolsWindow::searchNeedsAnActivePort()
{
    QFETCH(CommError, failure);

    Window w([&](FakeCommPort &port) { port.refuseOpen = failure; });
    w.start();
    w.window->PutInDisplay("before", ColorValue::Green);
    w.services.messageBoxes.shown.clear();
    const QStringList log = w.port->log;

    w.action("mnuFindCommSetting")->trigger();
    QVERIFY(!w.window->isSearching());
    QCOMPARE(w.services.messageBoxes.shown,
             QStringList{QStringLiteral("I don't have a port available to me.")});
    QCOMPARE(w.display(), QByteArray("before"));
    QCOMPARE(w.box("cboBaud")->currentText(), QStringLiteral("9600"));
    QCOMPARE(w.port->log, log);
    QCOMPARE(w.port->written, QByteArray());
}

QTEST_MAIN(TestToolsWindow)
#include "tst_toolswindow.moc"
