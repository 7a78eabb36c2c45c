#include "BackColor.h"
#include "FakeCommPort.h"
#include "MainWindowFixture.h"
#include "PanelStatusBar.h"
#include "TestServices.h"
#include "frmMain.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>

Q_DECLARE_METATYPE(CommError)

using State = std::pair<QString, quint32>; // a control's caption and color

static State state(const Window &w, const char *name)
{
    return {w.text(name), w.color(name)};
}

// Opens the box's list, unless it is open, and clicks the item in the row.
static void pick(QComboBox *box, int row)
{
    if (!box->view()->isVisible())
        box->showPopup();
    QAbstractItemView *list = box->view();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(row, 0)).center());
}

class TestPortSettings : public QObject
{
    Q_OBJECT

private slots:
    void startUpAndTheLineControls();
    void enableCommPort_data();
    void enableCommPort();
    void boxesApplyOnPickOrEnterOnly();
    void rateChoicesAndMultiplierCards();
    void appliedRateIsReadBack_data();
    void appliedRateIsReadBack();
    void portEventsAreShown();
    void dropsBeyondTheQueueBoundUntilPurged();
};

void TestPortSettings::startUpAndTheLineControls()
{
    Window w;
    w.start();
    QVERIFY(w.startLog());
    // The open applies the yellow RTS button's level (low), then start-up
    // raises it; the open raises DTR.
    QCOMPARE(w.port->log, (QStringList{"open 1 9600,N,8,1 0", "rate 9600", "rts 0", "rts 1"}));
    QCOMPARE(state(w, "cmdRTSstate"), State("RTS Active", ColorValue::Green));
    QVERIFY(w.port->dtr);

    // A click lowers RTS, the check mark DTR, at once and after each open.
    w.child<QPushButton>("cmdRTSstate")->click();
    QCOMPARE(state(w, "cmdRTSstate"), State("RTS Idle", ColorValue::Red));
    w.action("mnuDTRActive")->trigger();
    QVERIFY(!w.port->rts && !w.port->dtr);
    w.port->log.clear();
    w.window->EnableCommPort();
    QCOMPARE(w.port->log,
             (QStringList{"close", "open 1 9600,N,8,1 0", "rate 9600", "rts 0", "dtr 0"}));
    w.action("mnuDTRActive")->trigger();
    QVERIFY(w.port->dtr);
    // While closed only the mark changes; the next open follows it.
    w.window->DisableCommPort();
    w.action("mnuDTRActive")->trigger();
    w.window->EnableCommPort();
    QVERIFY(!w.port->dtr);

    w.port->setCts(true);
    QCOMPARE(state(w, "lblCTSstate"), State("CTS High", ColorValue::Green));
    w.port->setCts(false);
    QCOMPARE(state(w, "lblCTSstate"), State("CTS Low", ColorValue::Red));

    // A break of 250 ms, shown as a marker in the transmit function color.
    w.port->log.clear();
    w.action("mnuSendBreak")->trigger();
    QCOMPARE(w.port->log, QStringList{"break 250"});
    QCOMPARE(w.shownIn(w.window->ReturnXmitFuncColor()), QByteArray("***BREAK***"));
    QVERIFY(w.loggedEvents().contains(QStringLiteral("break sent, 250 ms")));

    // A port without them, or one the port button released, says so.
    w.port->noDtrOrBreak = true;
    w.action("mnuDTRActive")->trigger();
    w.action("mnuSendBreak")->trigger();
    w.child<QPushButton>("cmdPortState")->click();
    QVERIFY(!w.port->PortOpen());
    QCOMPARE(state(w, "cmdPortState"), State("Port Free", ColorValue::Red));
    w.action("mnuSendBreak")->trigger();
    QCOMPARE(w.services.messageBoxes.shown,
             (QStringList{"The port 1 has no DTR line.", "The port 1 cannot send a break.",
                          "The port is not open: no break was sent."}));
    QCOMPARE(w.display(), QByteArray("***BREAK***"));
}

void TestPortSettings::enableCommPort_data()
{
    QTest::addColumn<QString>("baud");
    QTest::addColumn<CommError>("refuseOpen");
    QTest::addColumn<QString>("message");
    QTest::addColumn<State>("shown"); // the port button
    QTest::addColumn<int>("rate");    // the port opens at it; 0: stays closed
    QTest::addColumn<bool>("highSpeed");

    const State active{"Port Active", ColorValue::Green};
    const State free{"Port Free", ColorValue::Red};
    const auto row = [](const char *name, const char *baud, CommError error, const char *message,
                        const State &shown, int rate = 0, bool highSpeed = false) {
        QTest::newRow(name) << QString::fromLatin1(baud) << error << QString::fromLatin1(message)
                            << shown << rate << highSpeed;
    };
    const CommError none = CommError::None;
    const char *tooHigh = "The Baud Is Too High!!!";
    row("opens", "9600", none, "", active, 9600);
    row("256000 too high", "256000", none, tooHigh, free);
    // High Speed Rates takes rates up to 4,000,000.
    row("4000000 with high speed rates", "4000000", none, "", active, 4000000, true);
    row("4000001 with high speed rates", "4000001", none, tooHigh, free, 0, true);
    row("abc reads as 0", "abc", none, "The Baud Is Too Low!!!", free);
    row("9600a does not convert", "9600a", none, "", free);
    // The fake port's reason is "refused: " and the port text.
    row("no such port", "9600", CommError::NoSuchPort,
        "The port selected is not a Valid Port\nrefused: 1", free);
    row("busy", "9600", CommError::PortBusy, "Someone else has control of the port\nrefused: 1",
        {"Port Busy", ColorValue::Yellow});
    row("setting refused", "9600", CommError::SettingRefused, "", free);
    row("other failure names it", "9600", CommError::Other, "refused: 1", free);
}

void TestPortSettings::enableCommPort()
{
    QFETCH(QString, baud);
    QFETCH(CommError, refuseOpen);
    QFETCH(QString, message);
    QFETCH(State, shown);
    QFETCH(int, rate);
    QFETCH(bool, highSpeed);

    Window w;
    w.start();
    w.action("mnuHighSpeedRates")->setChecked(highSpeed);
    w.port->refuseOpen = refuseOpen;
    w.box("cboBaud")->setEditText(baud);
    // The button shows its final state before the message comes up.
    State atMessage;
    w.services.messageBoxes.onShow = [&](const QString &) { atMessage = state(w, "cmdPortState"); };
    w.window->EnableCommPort();

    QCOMPARE(w.services.messageBoxes.shown,
             message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(state(w, "cmdPortState"), shown);
    if (!message.isEmpty())
        QCOMPARE(atMessage, shown);
    QCOMPARE(w.port->PortOpen() ? w.port->lineRate : 0, rate);
}

void TestPortSettings::boxesApplyOnPickOrEnterOnly()
{
    QStringList reported; // the serial devices the system reports
    Window w;
    w.window->setPortChoices([&reported] { return QStringList{"1", "2"} + reported; });
    // Focus moves for real, so that leaving a box finishes its edit.
    QVERIFY(w.load());
    int opens = w.port->openCount;
    QComboBox *baud = w.box("cboBaud");
    baud->setFocus();
    baud->lineEdit()->selectAll();
    QTest::keyClicks(baud, QStringLiteral("19200"));
    QCOMPARE(w.port->openCount, opens);
    QTest::keyClick(baud, Qt::Key_Return);
    QCOMPARE(w.port->openCount, ++opens);
    QCOMPARE(w.port->lineRate, 19200);

    // The port box shows its whole text as a tip. Its list is read afresh each
    // time it opens, so a device plugged in after start-up is offered; the
    // text stays as typed.
    QComboBox *port = w.box("cboPortNumber");
    const QString device =
        QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    port->setEditText(device);
    QCOMPARE(port->toolTip(), device);
    reported << QStringLiteral("/dev/ttyACM0") << device;
    port->showPopup();
    QCOMPARE(port->count(), 4);
    QCOMPARE(port->currentText(), device);
    port->hidePopup();

    // Other keys, a wheel turn, leaving the box, or opening its list and
    // closing it with Escape, leave the text as it is and apply nothing.
    for (const char *name : {"cboPortNumber", "cboBaud", "cboParity", "cboDataBits", "cboStopBits",
                             "cboHandShaking"}) {
        QComboBox *box = w.box(name);
        const QString text = box->currentText();
        box->setFocus();
        if (box != port && box != baud)
            QTest::keyClick(box, Qt::Key_Return);
        for (const int key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_PageDown})
            QTest::keyClick(box, Qt::Key(key));
        const QPointF centre = box->rect().center();
        for (const int notch : {-120, 120, -120}) {
            QWheelEvent wheel(centre, box->mapToGlobal(centre), {}, {0, notch}, Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(box, &wheel);
        }
        box->showPopup();
        QTest::keyClick(box->view(), Qt::Key_Escape);
        QVERIFY(!box->view()->isVisible());
        w.child("rtbDisplay")->setFocus();
        QCOMPARE(box->currentText(), text);
        QCOMPARE(w.port->openCount, opens);
    }
}

void TestPortSettings::rateChoicesAndMultiplierCards()
{
    Window w;
    w.start();
    QComboBox *baud = w.box("cboBaud");
    const auto items = [baud] {
        QStringList texts;
        for (int i = 0; i < baud->count(); ++i)
            texts << baud->itemText(i).trimmed();
        return texts;
    };
    const QStringList documented{"256000", "128000", "115200", "57600", "56000", "38400",
                                 "28800",  "19200",  "14400",  "9600",  "4800",  "2400",
                                 "1200",   "600",    "300",    "110"};
    const QStringList high{"4000000", "3000000", "2000000", "1500000", "1000000",
                           "921600",  "576000",  "500000",  "460800",  "230400"};

    // On: the rates of USB adapters come first, and a pick of one opens the
    // port at it; the text in the box stays until then.
    w.action("mnuHighSpeedRates")->trigger();
    QCOMPARE(items(), high + documented);
    QCOMPARE(baud->currentText(), QStringLiteral("9600"));
    pick(baud, 5);
    QCOMPARE(w.port->lineRate, 921600);

    // Off: the list is the documented one again; the text stays.
    w.action("mnuHighSpeedRates")->trigger();
    QCOMPARE(items(), documented);
    QCOMPARE(baud->currentText(), QStringLiteral("921600"));

    // A multiplier card divides the rate the port is set to.
    auto *statusBar = w.child<PanelStatusBar>("StatusBar1");
    w.box("cboBaud")->setEditText(QStringLiteral("256000"));
    w.action("mnuDouble")->trigger();
    // The range test comes before the division, after the panel changed.
    QCOMPARE(statusBar->panelText(3), QStringLiteral("Doubler Card"));
    QCOMPARE(w.services.messageBoxes.shown, QStringList{"The Baud Is Too High!!!"});
    QCOMPARE(w.text("cmdPortState"), QStringLiteral("Port Free"));

    w.box("cboBaud")->setEditText(QStringLiteral("38400"));
    w.action("mnuQuadruple")->trigger();
    QCOMPARE(statusBar->panelText(3), QStringLiteral("Quadrupler Card"));
    QCOMPARE(w.port->lineRate, 9600);
    QCOMPARE(w.port->Settings(), QStringLiteral("9600,N,8,1")); // the rate goes on its own
    // 110 / 4 = 27.5 rounds up. The checked item clicked again stays checked.
    w.box("cboBaud")->setEditText(QStringLiteral("110 "));
    w.action("mnuQuadruple")->trigger();
    QVERIFY(w.action("mnuQuadruple")->isChecked());
    QCOMPARE(w.port->lineRate, 28);
    w.box("cboBaud")->setEditText(QStringLiteral("38400"));
    w.action("mnuSingle")->trigger();
    QCOMPARE(statusBar->panelText(3), QStringLiteral("No Multiplier Card"));
    QCOMPARE(w.port->lineRate, 38400);

    // A quick setting sets the rate and the framing, and the display has the focus.
    w.action("mnuQuick9600e71")->trigger();
    QCOMPARE(baud->currentText(), QStringLiteral("9600"));
    QCOMPARE(w.window->settingsString(), QStringLiteral("9600,E,7,1"));
    QCOMPARE(w.port->lineRate, 9600);
    QCOMPARE(w.window->focusWidget(), w.child("rtbDisplay"));
}

void TestPortSettings::appliedRateIsReadBack_data()
{
    QTest::addColumn<QString>("baud");
    QTest::addColumn<int>("driverRate");
    QTest::addColumn<bool>("told");

    // 2% of 921600 is 18432, of 115200 2304.
    QTest::newRow("2% slower") << "921600" << 903168 << false;
    QTest::newRow("more than 2% slower") << "921600" << 903167 << true;
    QTest::newRow("more than 2% faster") << "115200" << 117505 << true;
}

void TestPortSettings::appliedRateIsReadBack()
{
    QFETCH(QString, baud);
    QFETCH(int, driverRate);
    QFETCH(bool, told);

    Window w;
    w.start();
    w.action("mnuHighSpeedRates")->setChecked(true);
    QVERIFY(w.startLog());
    w.port->driverRate = driverRate;
    w.box("cboBaud")->setEditText(baud);
    w.window->EnableCommPort();
    // Said once: not again while the device keeps to the same rate.
    w.action("mnuOdd81")->trigger();
    const QString warning =
        QStringLiteral("The device 1 runs at %1 baud, not at the %2 baud asked for.")
            .arg(driverRate)
            .arg(baud);
    QCOMPARE(w.services.messageBoxes.shown, told ? QStringList{warning} : QStringList());
    QCOMPARE(w.text("cmdPortState"), QStringLiteral("Port Active"));
    const QString event =
        QStringLiteral("line rate %1 asked, the device runs at %2").arg(baud).arg(driverRate);
    QCOMPARE(w.loggedEvents().count(event), told ? 2 : 0);
}

// Errors as a message; line events as a red marker among the data.
void TestPortSettings::portEventsAreShown()
{
    Window w;
    w.start();
    for (const int event : {CommPort::Overrun, CommPort::ReceiveOverflow, CommPort::TransmitFull,
                            CommPort::ControlBlockError, CommPort::Break, CommPort::FramingError,
                            CommPort::ParityError}) {
        w.port->deliverInput("a");
        w.port->deliverEvent(event);
    }
    w.port->deliverInput("b");
    QCOMPARE(w.services.messageBoxes.shown,
             (QStringList{"Comm Event Overrun", "Receiver Buffer Overflow", "Transmit Full",
                          "unexpected error"}));
    QTRY_COMPARE(w.display(), QByteArray("aaaaa***BREAK***a***FRAME***a***PARITY***b"));
    QCOMPARE(w.shownIn(ColorValue::Red), QByteArray("***BREAK******FRAME******PARITY***"));
    QCOMPARE(w.shownIn(w.window->ReturnReceiveCharColor()), QByteArray("aaaaaaab"));
    QVERIFY(w.port->PortOpen());
}

void TestPortSettings::dropsBeyondTheQueueBoundUntilPurged()
{
    Window w;
    w.start();
    auto *dropLabel = w.child<QLabel>("lblDataDrop");
    // No event loop runs while the entries arrive, as in a burst faster than the display.
    const auto flood = [&] {
        for (qsizetype i = 0; i < 100000; ++i)
            w.port->deliverInput("x");
        QVERIFY(!dropLabel->isVisible());
        w.port->deliverInput("y");
        QVERIFY(dropLabel->isVisible());
    };
    flood();
    QCOMPARE(dropLabel->text(), QStringLiteral("Data being Dropped"));
    QTRY_VERIFY(!dropLabel->isVisible());
    QCOMPARE(w.display().count('x'), 100000);
    QVERIFY(!w.display().contains('y'));
    QVERIFY(w.display().contains(" Seconds dropped[CR ]\r\n"));

    // Data Purge empties the queue at once; the loss is still reported.
    flood();
    w.child<QPushButton>("cmdPurge")->click();
    QVERIFY(!dropLabel->isVisible());
    QTRY_COMPARE(w.display().count("......Input Buffer OverFlow.........."), 2);
    QCOMPARE(w.display().count('x'), 100000);
    QCOMPARE(w.window->focusWidget(), w.child("rtbDisplay"));
}

QTEST_MAIN(TestPortSettings)
#include "tst_portsettings.moc"
