#include "BackColor.h"
#include "FakeCommPort.h"
#include "MainWindowFixture.h"
#include "NumberText.h"
#include "PanelStatusBar.h"
#include "TestServices.h"
#include "frmMain.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

Q_DECLARE_METATYPE(CommError)

class TestPortSettings : public QObject
{
    Q_OBJECT

private slots:
    void startUp_data();
    void startUp();
    void enableCommPort_data();
    void enableCommPort();
    void boxesApplyOnPickOrEnterOnly();
    void quickSettings_data();
    void quickSettings();
    void multiplierCard();
    void highSpeedRatesExtendTheBaudList();
    void appliedRateIsReadBack_data();
    void appliedRateIsReadBack();
    void dtrAndBreak();
    void reconnectsWhenTheDeviceIsBack_data();
    void reconnectsWhenTheDeviceIsBack();
    void rtsAndCtsFollowTheLines();
    void portEventsAreShown_data();
    void portEventsAreShown();
    void dropsBeyondTheQueueBoundUntilPurged();
};

void TestPortSettings::startUp_data()
{
    QTest::addColumn<bool>("busy");
    QTest::newRow("opens") << false;
    QTest::newRow("port busy") << true;
}

void TestPortSettings::startUp()
{
    QFETCH(bool, busy);
    Window w([busy](FakeCommPort &port) {
        port.refuseOpen = busy ? CommError::PortBusy : CommError::None;
    });
    w.start();
    QVERIFY(w.window->isVisible());
    // RTS is raised, on the port if it opened: the open applies the yellow
    // button's level (low), then start-up raises it.
    QCOMPARE(w.text("cmdRTSstate"), QStringLiteral("RTS Active"));
    QCOMPARE(w.window->settingsString(), QStringLiteral("9600,N,8,1"));
    auto *button = w.child<QPushButton>("cmdPortState");
    if (!busy) {
        QCOMPARE(w.port->log,
                 (QStringList{"open 1 9600,N,8,1 0", "rate 9600", "rts 0", "rts 1"}));
        QCOMPARE(w.text("cmdPortState"), QStringLiteral("Port Active"));
        QCOMPARE(w.color("cmdPortState"), ColorValue::Green);
        QVERIFY(w.services.messageBoxes.shown.isEmpty());
    } else {
        QCOMPARE(w.text("cmdPortState"), QStringLiteral("Port Busy"));
        QCOMPARE(w.services.messageBoxes.shown,
                 QStringList{QStringLiteral("Someone else has control of the port\nrefused: 1")});
        // The button retries; received data reach the display once the port opens.
        w.port->refuseOpen = CommError::None;
        button->click();
        QCOMPARE(w.text("cmdPortState"), QStringLiteral("Port Active"));
    }
    w.port->deliverInput("ok");
    QTRY_COMPARE(w.display(), QByteArray("ok"));
    // Clicked again, the button releases the port.
    button->click();
    QVERIFY(!w.port->PortOpen());
    QCOMPARE(w.text("cmdPortState"), QStringLiteral("Port Free"));
    QCOMPARE(w.color("cmdPortState"), ColorValue::Red);
}

void TestPortSettings::enableCommPort_data()
{
    QTest::addColumn<QString>("baud");
    QTest::addColumn<CommError>("refuseOpen");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<quint32>("color");
    QTest::addColumn<bool>("highSpeed");

    const auto row = [](const char *name, const char *baud, CommError error, const char *message,
                        const char *caption = "Port Free", quint32 color = ColorValue::Red,
                        bool highSpeed = false) {
        QTest::newRow(name) << QString::fromLatin1(baud) << error << QString::fromLatin1(message)
                            << QString::fromLatin1(caption) << color << highSpeed;
    };
    const CommError none = CommError::None;
    const quint32 green = ColorValue::Green;
    const quint32 red = ColorValue::Red;
    row("opens", "9600", none, "", "Port Active", green);
    row("256000 too high", "256000", none, "The Baud Is Too High!!!");
    // High Speed Rates takes rates up to 4,000,000.
    row("4000000 with high speed rates", "4000000", none, "", "Port Active", green, true);
    row("4000001 with high speed rates", "4000001", none, "The Baud Is Too High!!!", "Port Free",
        red, true);
    row("5 with high speed rates", "5", none, "The Baud Is Too Low!!!", "Port Free", red, true);
    row("abc reads as 0", "abc", none, "The Baud Is Too Low!!!");
    row("9600a does not convert", "9600a", none, "");
    // The fake port's reason is "refused: " and the port text.
    row("no such port", "9600", CommError::NoSuchPort,
        "The port selected is not a Valid Port\nrefused: 1");
    row("busy", "9600", CommError::PortBusy, "Someone else has control of the port\nrefused: 1",
        "Port Busy", ColorValue::Yellow);
    row("setting refused", "9600", CommError::SettingRefused, "");
    row("other failure names it", "9600", CommError::Other, "refused: 1");
}

void TestPortSettings::enableCommPort()
{
    QFETCH(QString, baud);
    QFETCH(CommError, refuseOpen);
    QFETCH(QString, message);
    QFETCH(QString, caption);
    QFETCH(quint32, color);
    QFETCH(bool, highSpeed);

    Window w;
    w.start();
    w.services.messageBoxes.shown.clear();
    w.action("mnuHighSpeedRates")->setChecked(highSpeed);
    w.port->refuseOpen = refuseOpen;
    w.box("cboBaud")->setEditText(baud);
    // The button shows its final state before the message comes up.
    QString captionAtMessage;
    w.services.messageBoxes.onShow = [&](const QString &) {
        captionAtMessage = w.text("cmdPortState");
        QCOMPARE(w.color("cmdPortState"), color);
    };
    w.window->EnableCommPort();

    QCOMPARE(w.services.messageBoxes.shown,
             message.isEmpty() ? QStringList() : QStringList{message});
    if (!message.isEmpty())
        QCOMPARE(captionAtMessage, caption);
    QCOMPARE(w.text("cmdPortState"), caption);
    QCOMPARE(w.color("cmdPortState"), color);
    QCOMPARE(w.port->PortOpen(), caption == u"Port Active");
    if (w.port->PortOpen())
        QCOMPARE(w.port->lineRate, baud.toInt());
}

void TestPortSettings::boxesApplyOnPickOrEnterOnly()
{
    QStringList reported; // the serial devices the system reports
    Window w;
    w.window->setPortChoices([&reported] { return QStringList{"1", "2"} + reported; });
    // Focus moves for real, so that leaving a box finishes its edit.
    QVERIFY(w.load());
    int opens = w.port->openCount;
    const auto type = [](QComboBox *box, const QString &text) {
        box->setFocus();
        box->lineEdit()->selectAll();
        QTest::keyClicks(box, text);
    };
    QComboBox *baud = w.box("cboBaud");
    type(baud, QStringLiteral("19200"));
    QCOMPARE(w.port->openCount, opens);
    QTest::keyClick(baud, Qt::Key_Return);
    QCOMPARE(w.port->openCount, ++opens);
    QCOMPARE(w.port->lineRate, 19200);

    // The port box takes Enter too, shows its whole text as a tip and lists
    // device paths in full. Its list is read afresh each time it opens, so a
    // device plugged in after start-up is offered; the text stays as typed.
    QComboBox *port = w.box("cboPortNumber");
    const QString device =
        QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    QCOMPARE(port->count(), 2);
    type(port, device);
    QCOMPARE(port->toolTip(), device);
    QTest::keyClick(port, Qt::Key_Return);
    QCOMPARE(w.port->openCount, ++opens);
    QCOMPARE(w.port->CommPortText(), device);
    reported << QStringLiteral("/dev/ttyACM0") << device;
    port->showPopup();
    QVERIFY(port->view()->isVisible());
    QCOMPARE(port->count(), 4);
    QCOMPARE(port->itemText(3), device);
    QCOMPARE(port->currentText(), device);
    QVERIFY(port->view()->viewport()->width() >
            port->view()->fontMetrics().horizontalAdvance(device));
    QAbstractItemView *ports = port->view();
    QTest::mouseClick(ports->viewport(), Qt::LeftButton, {},
                      ports->visualRect(ports->model()->index(2, 0)).center());
    QCOMPARE(w.port->openCount, ++opens);
    QCOMPARE(w.port->CommPortText(), QStringLiteral("/dev/ttyACM0"));

    // Other keys, a wheel turn, leaving the box, or opening its list and
    // closing it with Escape, leave the text as it is and apply nothing.
    QCOMPARE(w.box("cboHandShaking")->currentText(), QStringLiteral("0-none"));
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

    // A pick from the opened list applies it.
    QComboBox *parity = w.box("cboParity");
    parity->showPopup();
    QAbstractItemView *list = parity->view();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(2, 0)).center());
    QCOMPARE(parity->currentText(), QStringLiteral("Odd"));
    QCOMPARE(w.port->openCount, ++opens);
    QCOMPARE(w.port->Settings(), QStringLiteral("9600,O,8,1"));
}

void TestPortSettings::quickSettings_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("baud");
    QTest::addColumn<QString>("settings");

    QTest::newRow("9600 n 8 1") << "mnuQuick9600n81" << "9600" << "9600,N,8,1";
    QTest::newRow("9600 e 7 1") << "mnuQuick9600e71" << "9600" << "9600,E,7,1";
    QTest::newRow("38400 n 8 1") << "mnuQuick38400n81" << "38400" << "9600,N,8,1";
    QTest::newRow("115200 n 8 1") << "mnuQuick1152000n81" << "115200" << "9600,N,8,1";
    const char *presets[] = {"Even71", "Even72", "Even81", "Odd71",   "Odd72",
                             "Odd81",  "None81", "None82", "Mark71",  "Mark72",
                             "Mark81", "Space71", "Space72", "Space81"};
    for (const char *preset : presets) {
        const QString name = QString::fromLatin1(preset);
        const QString settings = QStringLiteral("9600,%1,%2,%3")
                                     .arg(name.at(0))
                                     .arg(name.at(name.size() - 2))
                                     .arg(name.at(name.size() - 1));
        QTest::newRow(preset) << "mnu" + name << "4800 " << settings;
    }
}

void TestPortSettings::quickSettings()
{
    QFETCH(QString, item);
    QFETCH(QString, baud);
    QFETCH(QString, settings);

    Window w;
    w.start();
    w.box("cboBaud")->setEditText(QStringLiteral("4800 "));
    const int opens = w.port->openCount;
    w.action(item.toLatin1())->trigger();
    QCOMPARE(w.box("cboBaud")->currentText(), baud);
    QCOMPARE(w.port->openCount, opens + 1);
    QCOMPARE(w.window->settingsString(), settings);
    QCOMPARE(w.port->lineRate, NumberText::toLong(baud).value());
    QCOMPARE(w.window->focusWidget(), w.child("rtbDisplay"));
}

void TestPortSettings::multiplierCard()
{
    Window w;
    w.start();
    auto *statusBar = w.child<PanelStatusBar>("StatusBar1");
    w.box("cboBaud")->setEditText(QStringLiteral("256000"));
    w.action("mnuDouble")->trigger();
    // The range test comes before the division, after the panel changed.
    QCOMPARE(statusBar->panelText(3), QStringLiteral("Doubler Card"));
    QCOMPARE(w.services.messageBoxes.shown.last(), QStringLiteral("The Baud Is Too High!!!"));
    QCOMPARE(w.text("cmdPortState"), QStringLiteral("Port Free"));

    w.box("cboBaud")->setEditText(QStringLiteral("38400"));
    w.action("mnuQuadruple")->trigger();
    QCOMPARE(statusBar->panelText(3), QStringLiteral("Quadrupler Card"));
    QVERIFY(w.action("mnuQuadruple")->isChecked());
    QVERIFY(!w.action("mnuDouble")->isChecked());
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
    // High speed rates are divided as well.
    w.action("mnuHighSpeedRates")->trigger();
    w.box("cboBaud")->setEditText(QStringLiteral("4000000"));
    w.action("mnuQuadruple")->trigger();
    QCOMPARE(w.port->lineRate, 1000000);
}

void TestPortSettings::highSpeedRatesExtendTheBaudList()
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
    QCOMPARE(items(), documented);

    // On: the rates of USB adapters come first, and a pick of one opens the
    // port at it; the text in the box stays until then.
    w.action("mnuHighSpeedRates")->trigger();
    QCOMPARE(items(), high + documented);
    QCOMPARE(baud->currentText(), QStringLiteral("9600"));
    baud->showPopup();
    QAbstractItemView *list = baud->view();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(5, 0)).center());
    QCOMPARE(baud->currentText(), QStringLiteral("921600"));
    QCOMPARE(w.port->lineRate, 921600);

    // Off: the list is the documented one again, the port keeps its rate
    // until the settings apply, and then the documented limit holds.
    w.action("mnuHighSpeedRates")->trigger();
    QCOMPARE(items(), documented);
    QCOMPARE(baud->currentText(), QStringLiteral("921600"));
    QCOMPARE(w.text("cmdPortState"), QStringLiteral("Port Active"));
    QVERIFY(w.services.messageBoxes.shown.isEmpty());
    QTest::keyClick(baud, Qt::Key_Return);
    QCOMPARE(w.services.messageBoxes.shown, QStringList{"The Baud Is Too High!!!"});
    QCOMPARE(w.text("cmdPortState"), QStringLiteral("Port Free"));
}

void TestPortSettings::appliedRateIsReadBack_data()
{
    QTest::addColumn<QString>("baud");
    QTest::addColumn<int>("driverRate");
    QTest::addColumn<bool>("told");

    // 2% of 921600 is 18432, of 115200 2304.
    QTest::newRow("2% slower") << "921600" << 903168 << false;
    QTest::newRow("more than 2% slower") << "921600" << 903167 << true;
    QTest::newRow("2% faster") << "115200" << 117504 << false;
    QTest::newRow("more than 2% faster") << "115200" << 117505 << true;
    QTest::newRow("another rate altogether") << "460800" << 38400 << true;
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
    const QString warning =
        QStringLiteral("The device 1 runs at %1 baud, not at the %2 baud asked for.")
            .arg(driverRate)
            .arg(baud);
    QCOMPARE(w.services.messageBoxes.shown, told ? QStringList{warning} : QStringList());
    QCOMPARE(w.box("cboBaud")->currentText(), baud);
    QCOMPARE(w.text("cmdPortState"), QStringLiteral("Port Active"));

    // Said once: not again while the device keeps to the same rate.
    w.action("mnuOdd81")->trigger();
    QCOMPARE(w.services.messageBoxes.shown.size(), told ? 1 : 0);
    const QString event =
        QStringLiteral("line rate %1 asked, the device runs at %2").arg(baud).arg(driverRate);
    QCOMPARE(w.loggedEvents().count(event), told ? 2 : 0);
}

void TestPortSettings::dtrAndBreak()
{
    Window w;
    w.start();
    QVERIFY(w.startLog());
    // The open raises DTR; the check mark lowers it at once and after each open.
    QVERIFY(w.port->dtr);
    QVERIFY(!w.port->log.join(u',').contains(u"dtr"));
    w.action("mnuDTRActive")->trigger();
    QVERIFY(!w.port->dtr);
    w.port->log.clear();
    w.window->EnableCommPort();
    QCOMPARE(w.port->log,
             (QStringList{"close", "open 1 9600,N,8,1 0", "rate 9600", "rts 1", "dtr 0"}));
    QVERIFY(!w.port->dtr);
    w.action("mnuDTRActive")->trigger();
    QVERIFY(w.port->dtr);
    // While closed only the mark changes; the next open follows it.
    w.window->DisableCommPort();
    w.action("mnuDTRActive")->trigger();
    w.window->EnableCommPort();
    QVERIFY(!w.port->dtr);
    QVERIFY(w.services.messageBoxes.shown.isEmpty());

    // A break of 250 ms, shown as a marker in the transmit function color.
    w.port->deliverInput("a");
    QTRY_COMPARE(w.display(), QByteArray("a"));
    w.port->log.clear();
    w.action("mnuSendBreak")->trigger();
    QCOMPARE(w.port->log, QStringList{"break 250"});
    QCOMPARE(w.display(), QByteArray("a***BREAK***"));
    QCOMPARE(w.shownIn(w.window->ReturnXmitFuncColor()), QByteArray("***BREAK***"));
    QVERIFY(w.services.messageBoxes.shown.isEmpty());
    QVERIFY(w.loggedEvents().contains(QStringLiteral("break sent, 250 ms")));

    // A port without them, or a closed one, says so.
    w.port->noDtrOrBreak = true;
    w.action("mnuDTRActive")->trigger();
    w.action("mnuSendBreak")->trigger();
    w.window->DisableCommPort();
    w.action("mnuSendBreak")->trigger();
    QCOMPARE(w.services.messageBoxes.shown,
             (QStringList{"The port 1 has no DTR line.", "The port 1 cannot send a break.",
                          "The port is not open: no break was sent."}));
    QCOMPARE(w.display(), QByteArray("a***BREAK***"));
}

void TestPortSettings::reconnectsWhenTheDeviceIsBack_data()
{
    QTest::addColumn<bool>("reconnect");
    QTest::newRow("reconnect automatically") << true;
    QTest::newRow("by hand") << false;
}

void TestPortSettings::reconnectsWhenTheDeviceIsBack()
{
    QFETCH(bool, reconnect);

    // The device is a file that the test takes away and puts back.
    QTemporaryDir folder;
    const QString device = folder.filePath(QStringLiteral("ttyUSB0"));
    const auto plugIn = [&device] { return QFile(device).open(QIODevice::WriteOnly); };
    QVERIFY(plugIn());
    Window w;
    w.start(device);
    w.action("mnuReconnectAutomatically")->setChecked(reconnect);
    // RTS and DTR low, and a setting that is not the start-up one.
    w.child<QPushButton>("cmdRTSstate")->click();
    w.action("mnuDTRActive")->trigger();
    w.action("mnuOdd72")->trigger();

    QVERIFY(QFile::remove(device));
    w.port->loseDevice();
    QCOMPARE(w.text("cmdPortState"), QStringLiteral("Port Free"));
    QCOMPARE(w.color("cmdPortState"), ColorValue::Red);
    w.port->log.clear();
    QVERIFY(plugIn());
    if (!reconnect) {
        QCOMPARE(
            w.services.messageBoxes.shown,
            QStringList{QStringLiteral("The port %1 was lost: the device is gone.").arg(device)});
        QTest::qWait(3 * PortReconnector::CheckIntervalMs);
        QVERIFY(!w.port->PortOpen());
        QCOMPARE(w.display(), QByteArray());
        return;
    }
    // Back with the settings, RTS and DTR as they were; a red marker for each.
    QTRY_VERIFY_WITH_TIMEOUT(w.port->PortOpen(), 1000);
    QCOMPARE(w.port->log, (QStringList{QStringLiteral("open %1 9600,O,7,2 0").arg(device),
                                       "rate 9600", "rts 0", "dtr 0"}));
    QCOMPARE(w.text("cmdPortState"), QStringLiteral("Port Active"));
    QTRY_COMPARE(w.shownIn(ColorValue::Red), QByteArray("***DEVICE LOST******RECONNECTED***"));
    QCOMPARE(w.display(), w.shownIn(ColorValue::Red));
    QVERIFY(w.services.messageBoxes.shown.isEmpty());
}

void TestPortSettings::rtsAndCtsFollowTheLines()
{
    Window w;
    auto *button = w.child<QPushButton>("cmdRTSstate");
    // The first click on the yellow "RTS ?" raises RTS, even with the port closed.
    button->click();
    QCOMPARE(w.text("cmdRTSstate"), QStringLiteral("RTS Active"));
    QCOMPARE(w.color("cmdRTSstate"), ColorValue::Green);
    button->click();
    QCOMPARE(w.text("cmdRTSstate"), QStringLiteral("RTS Idle"));
    QCOMPARE(w.color("cmdRTSstate"), ColorValue::Red);

    w.start();
    QVERIFY(w.port->rts);
    button->click();
    QVERIFY(!w.port->rts);
    // A reopen re-applies the level the button shows.
    w.port->log.clear();
    w.window->EnableCommPort();
    QCOMPARE(w.port->log.last(), QStringLiteral("rts 0"));
    button->click();
    w.window->EnableCommPort();
    QCOMPARE(w.port->log.last(), QStringLiteral("rts 1"));
    QVERIFY(w.port->rts);

    QCOMPARE(w.text("lblCTSstate"), QStringLiteral("CTS ?"));
    w.port->setCts(true);
    QCOMPARE(w.text("lblCTSstate"), QStringLiteral("CTS High"));
    QCOMPARE(w.color("lblCTSstate"), ColorValue::Green);
    w.port->setCts(false);
    QCOMPARE(w.text("lblCTSstate"), QStringLiteral("CTS Low"));
    QCOMPARE(w.color("lblCTSstate"), ColorValue::Red);
}

void TestPortSettings::portEventsAreShown_data()
{
    // Errors as a message; line events as a red marker among the data.
    QTest::addColumn<int>("event");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("shown");
    const auto row = [](const char *name, int event, const char *message, const char *shown) {
        QTest::newRow(name) << event << QString::fromLatin1(message) << QByteArray(shown);
    };
    row("overrun", CommPort::Overrun, "Comm Event Overrun", "ab");
    row("overflow", CommPort::ReceiveOverflow, "Receiver Buffer Overflow", "ab");
    row("transmit full", CommPort::TransmitFull, "Transmit Full", "ab");
    row("control block", CommPort::ControlBlockError, "unexpected error", "ab");
    row("break", CommPort::Break, "", "a***BREAK***b");
    row("framing", CommPort::FramingError, "", "a***FRAME***b");
    row("parity", CommPort::ParityError, "", "a***PARITY***b");
}

void TestPortSettings::portEventsAreShown()
{
    QFETCH(int, event);
    QFETCH(QString, message);
    QFETCH(QByteArray, shown);
    Window w;
    w.start();
    w.port->deliverInput("a");
    w.port->deliverEvent(event);
    w.port->deliverInput("b");
    QCOMPARE(w.services.messageBoxes.shown,
             message.isEmpty() ? QStringList() : QStringList{message});
    QTRY_COMPARE(w.display(), shown);
    const quint32 characters = w.window->ReturnReceiveCharColor();
    QCOMPARE(w.window->displayModel().colorSpanAt(0).color, characters);
    QCOMPARE(w.window->displayModel().colorSpanAt(1).color,
             shown.size() > 2 ? ColorValue::Red : characters);
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
