#include "DisplayView.h"
#include "MainWindowFixture.h"
#include "PanelStatusBar.h"
#include "SetupFile.h"

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

namespace {

QByteArray fileContent(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A setup unlike the default in every value.
LastSetup unusualSetup()
{
    LastSetup setup;
    for (int set = 0; set < StringSetStore::SetCount; ++set) {
        setup.strings.setName(set, " Set " + QByteArray::number(set) + " ");
        for (int key = 0; key < StringSetStore::KeyCount; ++key)
            setup.strings.setString(set, key,
                                    "  s" + QByteArray::number(set) + "k" +
                                        QByteArray::number(key) + "[x8A][CR] ");
    }
    setup.strings.setCurrentSet(9);
    setup.port = {"/dev/ttyUSB0", "19200", "Odd", "7", "2", "1-XON/XOFF"};
    setup.colors = {ColorValue::White, ColorValue::Red, ColorValue::Cyan, ColorValue::Blue,
                    ColorValue::Black};
    setup.breakCharacter = "A";
    setup.options = {true, true, false, false, true, false, true, true, false};
    return setup;
}

struct Program : Window
{
    explicit Program(const std::function<void(FakeCommPort &)> &prepare = {}) : Window(prepare) {}

    QString setupPath() const { return SetupFile(setupFolder.path()).path(); }
    void writeSetup(const LastSetup &setup) const
    {
        QVERIFY(SetupFile(setupFolder.path()).save(setup));
    }
    bool load(const QString &portText = QString())
    {
        start(portText);
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }
    QString panel(int number) const
    {
        return child<PanelStatusBar>("StatusBar1")->panelText(number);
    }
    DisplayView *view() const { return child<DisplayView>("rtbDisplay"); }

    // Opens a secondary window from its menu item and waits until it has the
    // keyboard focus.
    template <typename T = QWidget> T *open(const char *menuItem, const char *name)
    {
        action(menuItem)->trigger();
        T *opened = nullptr; // not one that was closed and awaits deletion
        for (T *candidate : window->findChildren<T *>(QLatin1String(name))) {
            if (candidate->isVisible())
                opened = candidate;
        }
        if (!opened || !QTest::qWaitForWindowExposed(opened))
            return nullptr;
        opened->activateWindow();
        return QTest::qWaitFor([opened] { return QApplication::activeWindow() == opened; })
                   ? opened
                   : nullptr;
    }
};

template <typename T = QWidget> T *in(QWidget *parent, const char *name)
{
    return parent->findChild<T *>(QLatin1String(name));
}

const char *const ColorFields[] = {"cboRecCharColor", "cboRecFuncColor", "cboXmitCharColor",
                                   "cboXmitFuncColor", "cboBackGroundColor"};

QStringList colorFieldTexts(QWidget *window)
{
    QStringList texts;
    for (const char *field : ColorFields)
        texts << in<QComboBox>(window, field)->currentText();
    return texts;
}

DisplayColors colorsOf(const frmMain &window)
{
    return {window.ReturnReceiveCharColor(), window.ReturnReceiveFuncColor(),
            window.ReturnXmitCharColor(), window.ReturnXmitFuncColor(),
            window.ReturnBackGroundColor()};
}

// A port that notes, when it is closed, whether the setup file and the
// secondary windows are still there.
class ObservedPort : public FakeCommPort
{
public:
    std::function<void()> onClose;

protected:
    void closeDevice() override
    {
        if (onClose)
            onClose();
        FakeCommPort::closeDevice();
    }
};

} // namespace

class TestSetupWindows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void firstStartAndExitWithoutAFile();
    void restoreRunAndSaveAgain();
    void portArgumentReplacesTheRestoredPort();
    void startsOnAPortThatCannotBeOpened();
    void shutdownOrder();
    void exitWithAReadOnlySetupFile();
    void colorSettingsOpenWithTheCurrentNames_data();
    void colorSettingsOpenWithTheCurrentNames();
    void colorSettingsClosedWithoutSave_data();
    void colorSettingsClosedWithoutSave();
    void colorSettingsSave();
    void breakCharacterWindow();
    void breakCharacterButtons_data();
    void breakCharacterButtons();
    void breakCharacterTyping_data();
    void breakCharacterTyping();
    void breakCharacterSaveAndEscape();
};

void TestSetupWindows::initTestCase()
{
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestSetupWindows::firstStartAndExitWithoutAFile()
{
    Program p;
    QVERIFY(p.load());
    QCOMPARE(p.box("cboPortNumber")->currentText(), QStringLiteral("1"));
    QStringList ports;
    for (const char *box : {"cboBaud", "cboParity", "cboDataBits", "cboStopBits", "cboHandShaking"})
        ports << p.box(box)->currentText();
    QCOMPARE(ports, (QStringList{"9600", "None", "8", "1", "0-none"}));
    QCOMPARE(p.panel(3), QStringLiteral("No Multiplier Card"));
    QStringList checked;
    for (const char *item : {"mnuSpcString", "mnuSpcSpecialChar", "mnuSpcChar",
                             "mnuReceiveInterruptsAllowed", "mnuFullStrings", "mnuSingle",
                             "mnuDouble", "mnuQuadruple", "mnuShowFunctionCharacters"}) {
        if (p.action(item)->isChecked())
            checked << QLatin1String(item);
    }
    QCOMPARE(checked, (QStringList{"mnuSpcChar", "mnuReceiveInterruptsAllowed", "mnuSingle",
                                   "mnuShowFunctionCharacters"}));
    QCOMPARE(p.action("mnuStringSet0")->text(), QStringLiteral("Sample String Set"));
    QCOMPARE(p.action("mnuStringSet9")->text(), QStringLiteral("String Set Number 10"));
    QCOMPARE(p.text("cmdRTSstate"), QStringLiteral("RTS Active"));
    QCOMPARE(p.port->log.first(), QStringLiteral("open 1 9600,N,8,1 0"));
    QVERIFY(!QFile::exists(p.setupPath()));

    p.window->close();
    QCOMPARE(fileContent(p.setupPath()), SetupFormat::write(LastSetup()));
}

void TestSetupWindows::restoreRunAndSaveAgain()
{
    Program p;
    p.writeSetup(unusualSetup());
    const QByteArray written = fileContent(p.setupPath());
    QVERIFY(p.load());

    QCOMPARE(p.box("cboPortNumber")->currentText(), QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(p.box("cboHandShaking")->currentText(), QStringLiteral("1-XON/XOFF"));
    QCOMPARE(p.panel(3), QStringLiteral("Doubler Card"));
    QVERIFY(p.action("mnuSpcSpecialChar")->isChecked() && !p.action("mnuSpcChar")->isChecked());
    QVERIFY(p.action("mnuStringSet9")->isChecked());
    QCOMPARE(p.action("mnuStringSet3")->text(), QStringLiteral(" Set 3 "));
    QCOMPARE(p.action("mnuF2String")->text(), QStringLiteral("F2   s9k1[x8A][CR] "));
    QCOMPARE(colorsOf(*p.window), unusualSetup().colors);

    // F1 sends set 9's decoded string; the printable break character breaks lines.
    p.port->written.clear();
    QTest::keyClick(p.view(), Qt::Key_F1);
    QTRY_COMPARE(p.port->written, QByteArray("  s9k0\x8A\r "));
    p.window->displayModel().clear();
    p.port->deliverInput("xAy");
    QTRY_COMPARE(p.display(), QByteArray("xA\r\ny"));

    p.window->close();
    QCOMPARE(fileContent(p.setupPath()), written);
}

void TestSetupWindows::portArgumentReplacesTheRestoredPort()
{
    Program p;
    p.writeSetup(unusualSetup());
    QVERIFY(p.load(QStringLiteral("/dev/ttyACM3")));
    QCOMPARE(p.box("cboPortNumber")->currentText(), QStringLiteral("/dev/ttyACM3"));
    QVERIFY(p.port->log.first().startsWith(QStringLiteral("open /dev/ttyACM3 ")));
    p.window->close();
    QList<QByteArray> lines = fileContent(p.setupPath()).split('\n');
    QCOMPARE(lines[132], QByteArray("/dev/ttyACM3\r"));
}

void TestSetupWindows::startsOnAPortThatCannotBeOpened()
{
    Program p([](FakeCommPort &port) { port.refuseOpen = CommError::NoSuchPort; });
    QVERIFY(p.load());
    QCOMPARE(p.services.messageBoxes.shown.size(), 1);
    QCOMPARE(p.text("cmdPortState"), QStringLiteral("Port Free"));
    const QRect outer = p.window->frameGeometry();
    const QRect screen = p.window->screen()->geometry();
    QVERIFY(qAbs(outer.left() + outer.right() + 1 - screen.width()) <= 1);
    QVERIFY(qAbs(outer.top() + outer.bottom() + 1 - screen.height()) <= 1);
    QCOMPARE(QApplication::focusWidget(), p.view());

    // Received data reach the display once the port opens.
    p.port->refuseOpen = CommError::None;
    p.child<QPushButton>("cmdPortState")->click();
    p.port->deliverInput("late");
    QTRY_COMPARE(p.display(), QByteArray("late"));
}

void TestSetupWindows::shutdownOrder()
{
    TestServices services;
    QTemporaryDir folder;
    auto port = std::make_unique<ObservedPort>();
    ObservedPort *observed = port.get();
    frmMain window(services.services(), std::move(port), std::make_unique<NoLockKeys>());
    window.setSetupFolder(folder.path());
    window.Form_Load();
    const char *const secondary[] = {"frmBreakCharacter", "frmColorSettings", "frmStrings",
                                     "frmStringsHelp", "frmAbout"};
    for (const char *item : {"mnuBreakCharacter", "mnuColors", "mnuStrings", "mnuAbout"})
        window.findChild<QAction *>(QLatin1String(item))->trigger();
    window.findChild<QWidget *>(QStringLiteral("frmStrings"))
        ->findChild<QAction *>(QStringLiteral("mnuHelp"))
        ->trigger();

    bool savedBeforeClosingThePort = false;
    QStringList openAtPortClose;
    observed->onClose = [&] {
        savedBeforeClosingThePort = QFile::exists(SetupFile(folder.path()).path());
        for (const char *name : secondary) {
            auto *open = window.findChild<QWidget *>(QLatin1String(name));
            if (open && open->isVisible())
                openAtPortClose << QLatin1String(name);
        }
    };
    window.close();
    QVERIFY(savedBeforeClosingThePort);
    QCOMPARE(openAtPortClose.size(), 5);
    QVERIFY(!observed->PortOpen());
    for (const char *name : secondary)
        QTRY_VERIFY2(!window.findChild<QWidget *>(QLatin1String(name)), name);

    // Nothing received after the exit is shown.
    observed->deliverInput("after exit");
    QVERIFY(!window.findChild<QTimer *>(QStringLiteral("Timer1"))->isActive());
}

void TestSetupWindows::exitWithAReadOnlySetupFile()
{
    Program p;
    p.writeSetup(LastSetup());
    const QByteArray earlier = fileContent(p.setupPath());
    QVERIFY(p.load());
    p.box("cboBaud")->setEditText(QStringLiteral("300"));
    QFile::setPermissions(p.setupPath(), QFile::ReadOwner | QFile::ReadGroup);
    QVERIFY(p.window->close());
    QCOMPARE(fileContent(p.setupPath()), earlier);
    QVERIFY(p.services.messageBoxes.shown.isEmpty());
    QFile::setPermissions(p.setupPath(), QFile::ReadOwner | QFile::WriteOwner);

    // A window that ends without closing saves nothing either.
    Program ended;
    QVERIFY(ended.load());
    ended.window.reset();
    QVERIFY(!QFile::exists(ended.setupPath()));
}

void TestSetupWindows::colorSettingsOpenWithTheCurrentNames_data()
{
    QTest::addColumn<bool>("withFile");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("first start") << false
                                 << QStringList{"Light Gray", "Yellow", "Green", "Magenta",
                                                "Dark Blue"};
    QTest::newRow("a file with Red, a name not offered")
        << true << QStringList{"White", "Red", "Cyan", "Blue", "Black"};
}

void TestSetupWindows::colorSettingsOpenWithTheCurrentNames()
{
    QFETCH(bool, withFile);
    Program p;
    if (withFile)
        p.writeSetup(unusualSetup());
    QVERIFY(p.load());
    QWidget *colors = p.open("mnuColors", "frmColorSettings");
    QVERIFY(colors);
    QCOMPARE(colors->windowTitle(), QStringLiteral("Color Settings"));
    QTEST(colorFieldTexts(colors), "names");

    const QStringList offered{"Black", "White",   "Blue", "Dark Blue",  "Yellow",
                              "Green", "Magenta", "Cyan", "Light Gray", "Dark Gray"};
    for (const char *field : ColorFields) {
        QComboBox *box = in<QComboBox>(colors, field);
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        QCOMPARE(items, offered);
    }
    QStringList captions;
    for (const char *label : {"lblReceive", "lblRecCharColor", "lblRecFuncColor", "lblXmit",
                              "lblXmitCharColor", "lblXmitFuncColor", "lblBackGround"})
        captions << in<QLabel>(colors, label)->text();
    QCOMPARE(captions,
             (QStringList{"Receive", "Character Color :", "Function Color :", "Transmit",
                          "Character Color :", "Function Color :", "Background Color :"}));
    QVERIFY(in(colors, "shpRecBorder") && in(colors, "shpXmitBorder"));
}

void TestSetupWindows::colorSettingsClosedWithoutSave_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("Escape") << true;
    QTest::newRow("close box") << false;
}

void TestSetupWindows::colorSettingsClosedWithoutSave()
{
    QFETCH(bool, escape);
    Program p;
    p.writeSetup(unusualSetup());
    QVERIFY(p.load());
    QWidget *colors = p.open("mnuColors", "frmColorSettings");
    QVERIFY(colors);
    in<QPushButton>(colors, "cmdDefault")->click();
    QCOMPARE(colorFieldTexts(colors),
             (QStringList{"Light Gray", "Yellow", "Green", "Magenta", "Dark Blue"}));
    QComboBox *field = in<QComboBox>(colors, "cboRecFuncColor");
    field->setFocus();
    if (escape)
        QTest::keyClick(field, Qt::Key_Escape);
    else
        colors->close();
    QTRY_VERIFY(!p.window->findChild<QWidget *>(QStringLiteral("frmColorSettings")));
    QCOMPARE(colorsOf(*p.window), unusualSetup().colors);
    QTRY_COMPARE(QApplication::activeWindow(), p.window.get());

    // The next opening starts afresh from the current colors.
    colors = p.open("mnuColors", "frmColorSettings");
    QCOMPARE(colorFieldTexts(colors), (QStringList{"White", "Red", "Cyan", "Blue", "Black"}));
}

void TestSetupWindows::colorSettingsSave()
{
    Program p;
    QVERIFY(p.load());
    p.window->PutInDisplay("old", ColorValue::SystemButtonFace);
    QWidget *colors = p.open("mnuColors", "frmColorSettings");
    QVERIFY(colors);
    // A typed name that is not in the table applies black.
    const char *const chosen[] = {"White", "Dark Gray", "Cyan", "cyan", "Black"};
    for (int i = 0; i < 5; ++i)
        in<QComboBox>(colors, ColorFields[i])->setEditText(QLatin1String(chosen[i]));
    in<QPushButton>(colors, "cmdSave")->click();

    QTRY_VERIFY(!p.window->findChild<QWidget *>(QStringLiteral("frmColorSettings")));
    const DisplayColors saved{ColorValue::White, ColorValue::SystemGrayText, ColorValue::Cyan,
                              ColorValue::Black, ColorValue::Black};
    QCOMPARE(colorsOf(*p.window), saved);
    QTRY_COMPARE(QApplication::activeWindow(), p.window.get());
    // The background changes at once; text already shown keeps its color,
    // new text takes the new one.
    QWidget *viewport = p.view()->viewport();
    QCOMPARE(viewport->grab().toImage().pixelColor(viewport->rect().bottomRight() - QPoint(4, 4)),
             QColor(Qt::black));
    QTest::keyClick(p.view(), 'n');
    QCOMPARE(p.display(), QByteArray("oldn"));
    DisplayModel &model = p.window->displayModel();
    QCOMPARE(model.colorSpanAt(0).color, ColorValue::SystemButtonFace);
    QCOMPARE(model.colorSpanAt(3).color, ColorValue::Cyan);
}

void TestSetupWindows::breakCharacterWindow()
{
    Program p;
    QVERIFY(p.load());
    QWidget *window = p.open("mnuBreakCharacter", "frmBreakCharacter");
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("Select the character you wish to break after"));
    QCOMPARE(in<QLabel>(window, "lblChooseFormatCaption")->text(),
             QString(12, QLatin1Char(' ')) + "You can set the Break Character 1 of 3 ways." +
                 QString(15, QLatin1Char(' ')) +
                 "Select the chacter type then the character you  want");
    QCOMPARE(in<QGroupBox>(window, "fraSelectedChar")->title(),
             QStringLiteral("Presently Selected Character"));
    QCOMPARE(in<QLabel>(window, "lblBreakChar")->text(), QStringLiteral("[CR ]"));
    QCOMPARE(in<QLabel>(window, "lblBreakChar")->font().family(), QStringLiteral("Arial"));
    QStringList options;
    for (const char *name : {"optFunction", "optCharacter", "optHexFormat"}) {
        auto *option = in<QRadioButton>(window, name);
        QVERIFY(!option->isChecked());
        options << option->text();
    }
    QCOMPARE(options, (QStringList{"Function", "Character", "Hex number"}));
    for (const char *hidden : {"lblInstructions", "txtInput1", "cmdEnter", "cmdNull", "cmdUS"})
        QVERIFY2(in(window, hidden)->isHidden(), hidden);
    QVERIFY(in<QPushButton>(window, "cmdSave")->isVisible());
    QCOMPARE(in<QPushButton>(window, "cmdEnter")->text(), QStringLiteral("Enter"));

    // Each mode shows its own controls; the box keeps its text.
    in<QRadioButton>(window, "optCharacter")->click();
    auto *input = in<QLineEdit>(window, "txtInput1");
    QVERIFY(input->isVisible() && in(window, "cmdEnter")->isVisible());
    QVERIFY(!in(window, "cmdCR")->isVisible());
    QCOMPARE(in<QLabel>(window, "lblInstructions")->text(),
             QStringLiteral("Enter the character you would like to use as a break character."));
    QTRY_COMPARE(QApplication::focusWidget(), input);
    QTest::keyClick(input, 'x');
    in<QRadioButton>(window, "optHexFormat")->click();
    QCOMPARE(in<QLabel>(window, "lblInstructions")->text(),
             QStringLiteral("Enter a Hex number of the ASCII character you would like to use "
                            "as a break character."));
    QCOMPARE(input->text(), QStringLiteral("x"));
    in<QRadioButton>(window, "optFunction")->click();
    QVERIFY(!input->isVisible() && !in(window, "cmdEnter")->isVisible());
    QVERIFY(in(window, "cmdCR")->isVisible());
    QCOMPARE(in<QLabel>(window, "lblInstructions")->text(), QString());
}

void TestSetupWindows::breakCharacterButtons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("token");
    const char *const buttons[32][3] = {
        {"cmdNull", "NULL", "[NUL]"}, {"cmdSOH", "SOH", "[SOH]"}, {"cmdSTX", "STX", "[STX]"},
        {"cmdETX", "ETX", "[ETX]"},   {"cmdEOT", "EOT", "[EOT]"}, {"cmdENQ", "ENQ", "[ENQ]"},
        {"cmdACK", "ACK", "[ACK]"},   {"cmdBEL", "BEL", "[BEL]"}, {"cmdBS", "BS", "[BS ]"},
        {"cmdTAB", "TAB", "[TAB]"},   {"cmdLF", "LF", "[LF ]"},   {"cmdVT", "VT", "[VT ]"},
        {"cmdNP", "NP", "[FF ]"},     {"cmdCR", "CR", "[CR ]"},   {"cmdSO", "SO", "[SO ]"},
        {"cmdSI", "SI", "[SI ]"},     {"cmdDLE", "DLE", "[DLE]"}, {"cmdDC1", "DC1", "[DC1]"},
        {"cmdDC2", "DC2", "[DC2]"},   {"cmdDC3", "DC3", "[DC3]"}, {"cmdDC4", "DC4", "[DC4]"},
        {"cmdNAK", "NAK", "[NAK]"},   {"cmdSYN", "SYN", "[SYN]"}, {"cmdETB", "ETB", "[ETB]"},
        {"cmdCAN", "CAN", "[CAN]"},   {"cmdEM", "EM", "[EM ]"},   {"cmdEOF", "EOF", "[SUB]"},
        {"cmdESC", "ESC", "[ESC]"},   {"cmdFS", "FS", "[FS ]"},   {"cmdGS", "GS", "[GS ]"},
        {"cmdRS", "RS", "[RS ]"},     {"cmdUS", "US", "[US ]"}};
    for (const auto &button : buttons)
        QTest::newRow(button[0]) << QString::fromLatin1(button[0]) << QString::fromLatin1(button[1])
                                 << QString::fromLatin1(button[2]);
}

void TestSetupWindows::breakCharacterButtons()
{
    QFETCH(QString, name);
    QFETCH(QString, token);
    Program p;
    QVERIFY(p.load());
    // The tokens are the plain ones whatever the display shows.
    p.action("mnuShowFunctionCharacters")->setChecked(false);
    QWidget *window = p.open("mnuBreakCharacter", "frmBreakCharacter");
    in<QRadioButton>(window, "optFunction")->click();
    auto *button = window->findChild<QPushButton *>(name);
    QTEST(button->text(), "caption");
    button->click();
    QCOMPARE(in<QLabel>(window, "lblBreakChar")->text(), token);
    in<QPushButton>(window, "cmdSave")->click();
    QCOMPARE(p.window->ReturnBreakCharacter(), token.toLatin1());
}

void TestSetupWindows::breakCharacterTyping_data()
{
    QTest::addColumn<QStringList>("steps"); // mode names, typed text, "Enter", "Button"
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("left"); // the box's text at the end

    const QString none;
    const QString oneCharacter = QStringLiteral("Only enter 1 character");
    const QString breakMe = QStringLiteral("Your trying to break me arn't you?");
    QTest::newRow("character typed twice")
        << QStringList{"optCharacter", "type:AB"} << "[CR ]" << oneCharacter << "";
    QTest::newRow("character pasted twice")
        << QStringList{"optCharacter", "paste:AB"} << "[CR ]" << oneCharacter << "";
    QTest::newRow("character A, Enter")
        << QStringList{"optCharacter", "type:A", "Enter"} << "A" << none << "";
    QTest::newRow("character blank, button")
        << QStringList{"spc", "optCharacter", "type: ", "Button"} << " " << none << "";
    QTest::newRow("character e-acute")
        << QStringList{"optCharacter", QStringLiteral("paste:") + QChar(0xE9), "Enter"} << "[xE9]"
        << none << "";
    QTest::newRow("character mode, empty box")
        << QStringList{"optCharacter", "Enter"} << "[CR ]" << none << "";
    QTest::newRow("hex 1B") << QStringList{"optHexFormat", "type:1B", "Enter"} << "[ESC]" << none
                            << "";
    QTest::newRow("hex ff") << QStringList{"optHexFormat", "type:ff", "Button"} << "[xFF]" << none
                            << "";
    QTest::newRow("hex 41") << QStringList{"optHexFormat", "type:41", "Enter"} << "A" << none << "";
    QTest::newRow("hex, third character")
        << QStringList{"optHexFormat", "type:1B2"} << "[CR ]" << breakMe << "";
    QTest::newRow("hex, empty box")
        << QStringList{"optHexFormat", "Enter"} << "[NUL]" << none << "";
    QTest::newRow("hex, no digits")
        << QStringList{"optHexFormat", "type:zz", "Enter"} << "[NUL]" << none << "";
    QTest::newRow("character A read as hex")
        << QStringList{"optCharacter", "type:A", "optHexFormat", "Enter"} << "[LF ]" << none << "";
    QTest::newRow("function mode keeps the box")
        << QStringList{"optCharacter", "type:A", "optFunction"} << "[CR ]" << none << "A";
}

void TestSetupWindows::breakCharacterTyping()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, message);
    QFETCH(QString, left);
    Program p;
    QVERIFY(p.load());
    QWidget *window = p.open("mnuBreakCharacter", "frmBreakCharacter");
    QVERIFY(window);
    auto *input = in<QLineEdit>(window, "txtInput1");
    for (const QString &step : steps) {
        if (step == QLatin1String("spc"))
            p.action("mnuSpcString")->trigger();
        else if (step.startsWith(QLatin1String("opt")))
            window->findChild<QRadioButton *>(step)->click();
        else if (step.startsWith(QLatin1String("type:")))
            QTest::keyClicks(input, step.mid(5));
        else if (step.startsWith(QLatin1String("paste:")))
            input->setText(step.mid(6));
        else if (step == QLatin1String("Enter"))
            QTest::keyClick(input, Qt::Key_Return);
        else
            in<QPushButton>(window, "cmdEnter")->click();
    }
    QTEST(in<QLabel>(window, "lblBreakChar")->text(), "selected");
    QCOMPARE(p.services.messageBoxes.shown,
             message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(input->text(), left);
    QCOMPARE(p.window->ReturnBreakCharacter(), QByteArray("[CR ]"));
}

void TestSetupWindows::breakCharacterSaveAndEscape()
{
    Program p;
    QVERIFY(p.load());
    QWidget *window = p.open("mnuBreakCharacter", "frmBreakCharacter");
    in<QRadioButton>(window, "optFunction")->click();
    in<QPushButton>(window, "cmdESC")->click();
    QTest::keyClick(in(window, "cmdESC"), Qt::Key_Escape);
    QTRY_VERIFY(!p.window->findChild<QWidget *>(QStringLiteral("frmBreakCharacter")));
    QCOMPARE(p.window->ReturnBreakCharacter(), QByteArray("[CR ]"));

    // Save without a choice hands the same character back.
    window = p.open("mnuBreakCharacter", "frmBreakCharacter");
    QCOMPARE(in<QLabel>(window, "lblBreakChar")->text(), QStringLiteral("[CR ]"));
    in<QPushButton>(window, "cmdSave")->click();
    QCOMPARE(p.window->ReturnBreakCharacter(), QByteArray("[CR ]"));

    window = p.open("mnuBreakCharacter", "frmBreakCharacter");
    in<QRadioButton>(window, "optFunction")->click();
    in<QPushButton>(window, "cmdESC")->click();
    in<QPushButton>(window, "cmdSave")->click();
    QTRY_VERIFY(!p.window->findChild<QWidget *>(QStringLiteral("frmBreakCharacter")));
    QCOMPARE(p.window->ReturnBreakCharacter(), QByteArray("[ESC]"));
    p.port->deliverInput("a\x1b"
                         "b\rc");
    QTRY_COMPARE(p.display(), QByteArray("a[ESC]\r\nb[CR ]c"));
}

QTEST_MAIN(TestSetupWindows)
#include "tst_setupwindows.moc"
