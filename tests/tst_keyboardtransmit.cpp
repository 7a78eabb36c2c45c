#include "MainWindowFixture.h"
#include "PanelStatusBar.h"

#include <QAbstractScrollArea>
#include <QKeyEvent>
#include <QTest>

namespace {

constexpr quint32 XmitChar = ColorValue::Green;
constexpr quint32 XmitFunc = ColorValue::Magenta;
// What a row sets up before the key, as flags.
constexpr int Interrupts = 1, FullStrings = 2, FunctionsHidden = 4, Closed = 8;

struct Sender : Window
{
    Sender()
    {
        QVERIFY(load());
        port->log.clear();
    }
    QAbstractScrollArea *view() const { return child<QAbstractScrollArea>("rtbDisplay"); }
    void setF(int key, const QByteArray &typed)
    {
        window->stringSets().setString(0, key - 1, typed);
        window->UpdateMenu();
    }
};

} // namespace

class TestKeyboardTransmit : public QObject
{
    Q_OBJECT

private slots:
    void typedCharacters_data();
    void typedCharacters();
    void charactersBeyondLatin1AreNotSent();
    void receiveInterruptsStyleLetsTypingIn();
    void fullStringsGoInChunksAndHoldTyping();
    void selectionCountsATokenAsOneCharacter();
    void stringMenus();
};

void TestKeyboardTransmit::typedCharacters_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("shown");
    QTest::addColumn<quint32>("color");
    QTest::addColumn<int>("setup");

    const auto row = [](const char *name, int key, int modifiers, const QByteArray &sent,
                        const QByteArray &shown, quint32 color = XmitFunc, int setup = Interrupts) {
        QTest::newRow(name) << key << modifiers << sent << shown << color << setup;
    };
    const int control = int(Qt::ControlModifier);
    const QByteArray f1 = "Here is a string example\r";
    const QByteArray f1Shown = "Here is a string example[CR ]\r\n";
    row("a", Qt::Key_A, 0, "a", "a", XmitChar);
    row("Enter breaks the line", Qt::Key_Return, 0, "\r", "[CR ]\r\n");
    row("Ctrl+B", Qt::Key_B, control, "\x02", "[STX]");
    row("Ctrl+Backslash", Qt::Key_Backslash, control, "\x1c", "[FS ]");
    row("Tab stays in the display", Qt::Key_Tab, 0, "\t", "[TAB]");
    row("Backspace echoes once, sends once", Qt::Key_Backspace, 0, "\b", "[BS ]");
    row("Backspace, function characters hidden", Qt::Key_Backspace, 0, "\b", "", XmitFunc,
        FunctionsHidden | Interrupts);
    row("Ctrl+A is Select All", Qt::Key_A, control, "", "");
    row("Delete sends nothing", Qt::Key_Delete, 0, "", "");
    row("Ctrl+F1 does nothing", Qt::Key_F1, control, "", "");
    row("Shift+F1 is F1", Qt::Key_F1, int(Qt::ShiftModifier), f1, f1Shown, XmitChar);
    // Nothing goes out with the port closed, so the echo is not shown as sent.
    row("port closed: a key only echoed, in red", Qt::Key_A, 0, "", "a", ColorValue::Red,
        Closed | Interrupts);
    row("port closed: F1", Qt::Key_F1, 0, "", f1Shown, ColorValue::Red, Closed | Interrupts);
    row("F1, full strings", Qt::Key_F1, 0, f1, f1Shown, XmitChar, FullStrings);
    row("F1, both styles: sent twice", Qt::Key_F1, 0, f1 + f1, f1Shown, XmitChar,
        Interrupts | FullStrings);
    row("F1, neither style: only echoed", Qt::Key_F1, 0, "", f1Shown, XmitChar, 0);
}

void TestKeyboardTransmit::typedCharacters()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, shown);
    QFETCH(quint32, color);
    QFETCH(int, setup);

    Sender s;
    s.action("mnuShowFunctionCharacters")->setChecked(!(setup & FunctionsHidden));
    if (setup & Closed)
        s.window->DisableCommPort();
    s.useStyle(setup & Interrupts, setup & FullStrings);
    s.view()->setFocus();
    QTest::keyClick(s.view(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QTRY_VERIFY(!s.window->isSending());
    QCOMPARE(s.port->written, sent);
    QCOMPARE(s.display(), shown);
    if (!shown.isEmpty())
        QCOMPARE(s.window->displayModel().colorSpanAt(0).color, color);
    if (setup & Closed) // nothing went out: all of the echo is red
        QCOMPARE(s.window->displayModel().colorSpanAt(0).end, shown.size());
    QCOMPARE(QApplication::focusWidget(), s.view());
}

void TestKeyboardTransmit::charactersBeyondLatin1AreNotSent()
{
    Sender s;
    QKeyEvent euro(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(0x20AC)) + QChar(0xE9));
    QApplication::sendEvent(s.view(), &euro);
    QCOMPARE(s.port->written, QByteArray("\xE9"));
    QCOMPARE(s.display(), QByteArray("[xE9]"));
}

void TestKeyboardTransmit::receiveInterruptsStyleLetsTypingIn()
{
    Sender s;
    const QByteArray string(40, 'a');
    s.setF(1, string);
    s.setF(2, "b");
    QTest::keyClick(s.view(), Qt::Key_F1);
    // One character goes out at each pass of the event loop.
    QCOMPARE(s.port->written, QByteArray("a"));
    for (int pass = 0; pass < 3; ++pass)
        QCoreApplication::processEvents();
    QVERIFY(s.port->written.size() > 1 && s.port->written.size() < 10);
    // Received data are shown meanwhile; another function key is ignored.
    s.port->deliverInput("r");
    QTest::keyClick(s.view(), Qt::Key_F2);
    s.action("mnuF2String")->trigger();
    QTRY_VERIFY(s.display().contains('r'));
    QTRY_VERIFY(!s.window->isSending());
    QCOMPARE(s.port->written, string);
    QTest::keyClick(s.view(), Qt::Key_F2);
    QTRY_COMPARE(s.port->written, string + "b");
}

void TestKeyboardTransmit::fullStringsGoInChunksAndHoldTyping()
{
    Sender s;
    s.useStyle(false, true);
    s.holdQueue(100);
    QByteArray string(100, 'x');
    for (int i = 0; i < string.size(); ++i)
        string[i] = char('0' + i % 10);
    s.setF(1, string);
    s.setF(2, "b");

    QTest::keyClick(s.view(), Qt::Key_F1);
    QCOMPARE(s.port->written, string.left(90));
    // Keys meanwhile are shown at once but held until the string is out, so
    // they do not split it.
    QTest::keyClick(s.view(), 'Z');
    QTest::keyClick(s.view(), Qt::Key_F2);
    QTest::keyClick(s.view(), Qt::Key_Backspace);
    QCOMPARE(s.display(), string + "Zb[BS ]");
    QTest::qWait(20);
    QCOMPARE(s.port->written, string.left(90));
    QVERIFY(s.window->isSending());
    s.port->drainOutput();
    QTRY_COMPARE(s.port->written, string + "Zb\b");
    QVERIFY(!s.window->isSending());
}

void TestKeyboardTransmit::selectionCountsATokenAsOneCharacter()
{
    Sender s;
    s.window->PutInDisplay("AB", XmitChar);
    s.window->PutInDisplay("[CR ]", XmitFunc); // ends the line with CR LF
    const auto countOf = [&](qsizetype length) {
        s.window->displayModel().setSelection(0, length);
        QTest::mouseRelease(s.view()->viewport(), Qt::LeftButton);
        return s.child<PanelStatusBar>("StatusBar1")->panelText(6);
    };
    QCOMPARE(countOf(9), "3 Selected "); // the token and the line break
    QCOMPARE(countOf(4), "4 Selected "); // "AB[C": a token cut counts its characters
}

void TestKeyboardTransmit::stringMenus()
{
    Sender s;
    // The caption shows the first 50 characters, an ampersand as itself.
    const QByteArray sixty = "R&D" + QByteArray(57, 'x');
    s.setF(12, sixty);
    QCOMPARE(s.action("mnuF12String")->text(), "F12 R&&D" + QString(47, u'x'));

    s.action("mnuF12String")->trigger();
    QTRY_COMPARE(s.port->written, sixty);
}

QTEST_MAIN(TestKeyboardTransmit)
#include "tst_keyboardtransmit.moc"
