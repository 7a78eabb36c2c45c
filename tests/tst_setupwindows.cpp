#include "AddedOptions.h"
#include "DisplayView.h"
#include "GeneralUtilities.h"
#include "MainWindowFixture.h"
#include "PanelStatusBar.h"
#include "SetupFile.h"
#include "UnusualSetup.h"
#include "frmStrings.h"

#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

QByteArray fileContent(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

template <typename T = QWidget> T *in(QWidget *parent, const char *name)
{
    return parent->findChild<T *>(QLatin1String(name));
}

struct Program : Window
{
    QString setupPath() const { return SetupFile(setupFolder.path()).path(); }
    void writeSetup(const LastSetup &setup) const
    {
        QVERIFY(SetupFile(setupFolder.path()).save(setup));
    }
    DisplayView *view() const { return child<DisplayView>("rtbDisplay"); }
    frmStrings *strings() { return open<frmStrings>("mnuStrings", "frmStrings"); }
    StringSetStore &store() const { return window->stringSets(); }
};

QLineEdit *keyField(QWidget *strings, int key)
{
    return strings->findChild<QLineEdit *>(QStringLiteral("txtXmitStringArray%1").arg(key));
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
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void firstStartAndExitWithoutAFile();
    void restoreRunAndSaveAgain();
    void spareSetAndPortArgument();
    void shutdownOrder();
    void colorSettings();
    void breakCharacterWindow();
    void breakCharacterTyping_data();
    void breakCharacterTyping();
    void stringsWindowStores_data();
    void stringsWindowStores();
    void fieldsTakeOnlyLatin1WithinTheLimit();
    void stringsWindowAndItsHelp();
    void aboutWindow();
};

void TestSetupWindows::firstStartAndExitWithoutAFile()
{
    Program p;
    QVERIFY(p.load());
    p.window->close();
    QCOMPARE(fileContent(p.setupPath()), SetupFormat::write(LastSetup()));

    // A window that ends without being closed saves nothing.
    Program ended;
    QVERIFY(ended.load());
    ended.window.reset();
    QVERIFY(!QFile::exists(ended.setupPath()));
}

void TestSetupWindows::restoreRunAndSaveAgain()
{
    Program p;
    p.writeSetup(unusualSetup());
    const QByteArray written = fileContent(p.setupPath());
    AddedOptions added;
    added.highSpeedRates = true;
    added.dtrActive = false;
    added.reconnectAutomatically = true;
    added.timeStamps = true;
    QVERIFY(AddedOptionsFile(p.optionsPath()).write(added));
    QVERIFY(p.load());
    QVERIFY(p.action("mnuHighSpeedRates")->isChecked() && !p.action("mnuDTRActive")->isChecked());
    QVERIFY(!p.port->dtr);

    QCOMPARE(p.box("cboPortNumber")->currentText(), QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(p.box("cboHandShaking")->currentText(), QStringLiteral("2-RTS/CTS"));
    QCOMPARE(p.child<PanelStatusBar>("StatusBar1")->panelText(3), QStringLiteral("Doubler Card"));
    QVERIFY(p.action("mnuSpcSpecialChar")->isChecked() && !p.action("mnuSpcChar")->isChecked());
    QVERIFY(p.action("mnuStringSet9")->isChecked());
    QCOMPARE(p.action("mnuStringSet3")->text(), QStringLiteral("  Set && 3\u00A4  "));
    QCOMPARE(p.action("mnuF2String")->text(), QStringLiteral("F2  F2[cr][x8A]\u00FF\t "));
    QCOMPARE(colorsOf(*p.window), unusualSetup().colors);

    // The printable break character breaks lines.
    p.window->displayModel().clear();
    p.port->deliverInput("xAy");
    QTRY_COMPARE(p.display(), QByteArray("xA\r\ny"));

    // A mark changed during the run is what the options file keeps.
    p.action("mnuHexView")->setChecked(true);
    added.hexView = true;
    p.window->close();
    QCOMPARE(fileContent(p.setupPath()), written);
    QCOMPARE(AddedOptionsFile(p.optionsPath()).read(), added);
}

void TestSetupWindows::spareSetAndPortArgument()
{
    Program p;
    LastSetup setup;
    setup.strings.setCurrentSet(StringSetStore::SpareSet);
    p.writeSetup(setup);
    QVERIFY(p.load(QStringLiteral("/dev/ttyACM3")));
    QCOMPARE(p.box("cboPortNumber")->currentText(), QStringLiteral("/dev/ttyACM3"));
    QVERIFY(p.port->log.first().startsWith(QStringLiteral("open /dev/ttyACM3 ")));

    // The spare set is current: no set item is checked and the keys send nothing.
    for (QAction *item : p.child<QMenu>("mnuSelectStringSet")->actions())
        QVERIFY(!item->isChecked());
    QCOMPARE(p.action("mnuF1String")->text(), QStringLiteral("F1 "));
    p.port->written.clear();
    QTest::keyClick(p.view(), Qt::Key_F1);
    QCOMPARE(p.port->written, QByteArray());
    QWidget *strings = p.open("mnuStrings", "frmStrings");
    QVERIFY(strings);
    QCOMPARE(in<QLineEdit>(strings, "txtSetName")->text(), QString());

    p.window->close();
    const QList<QByteArray> lines = fileContent(p.setupPath()).split('\n');
    QCOMPARE(lines[131], QByteArray(" 10 \r"));
    QCOMPARE(lines[132], QByteArray("/dev/ttyACM3\r"));
}

void TestSetupWindows::shutdownOrder()
{
    Window w(std::make_unique<ObservedPort>());
    auto *observed = static_cast<ObservedPort *>(w.port);
    frmMain &window = *w.window;
    window.setSetupFolder(w.setupFolder.path());
    window.Form_Load();
    for (const char *item : {"mnuBreakCharacter", "mnuColors", "mnuStrings", "mnuAbout"})
        w.action(item)->trigger();
    in<QAction>(in(&window, "frmStrings"), "mnuHelp")->trigger();
    const char *const secondary[] = {"frmBreakCharacter", "frmColorSettings", "frmStrings",
                                     "frmStringsHelp", "frmAbout"};

    // Saved first, then the port closed while the other windows are still open.
    bool saved = false;
    int open = 0;
    observed->onClose = [&] {
        saved = QFile::exists(SetupFile(w.setupFolder.path()).path());
        for (const char *name : secondary)
            open += in(&window, name)->isVisible() ? 1 : 0;
    };
    window.close();
    observed->onClose = nullptr;
    QVERIFY(saved);
    QCOMPARE(open, 5);
    QVERIFY(!observed->PortOpen());
    for (const char *name : secondary)
        QTRY_VERIFY2(!in(&window, name), name);
    observed->deliverInput("after exit");
    QVERIFY(!in<QTimer>(&window, "Timer1")->isActive());
}

void TestSetupWindows::colorSettings()
{
    Program p;
    p.writeSetup(unusualSetup());
    QVERIFY(p.load());
    p.window->PutInDisplay("old", ColorValue::SystemButtonFace);
    const DisplayColors before = colorsOf(*p.window);
    QWidget *colors = p.open("mnuColors", "frmColorSettings");
    QVERIFY(colors);
    QCOMPARE(colors->windowTitle(), QStringLiteral("Color Settings"));
    const QStringList named{"White", "Dark Gray", "Cyan", "Blue", "Black"};
    QCOMPARE(colorFieldTexts(colors), named);
    QStringList captions;
    for (const char *label : {"lblReceive", "lblRecCharColor", "lblRecFuncColor", "lblXmit",
                              "lblXmitCharColor", "lblXmitFuncColor", "lblBackGround"})
        captions << in<QLabel>(colors, label)->text();
    QCOMPARE(captions,
             (QStringList{"Receive", "Character Color :", "Function Color :", "Transmit",
                          "Character Color :", "Function Color :", "Background Color :"}));
    QVERIFY(in(colors, "shpRecBorder") && in(colors, "shpXmitBorder"));
    const QStringList offered{"Black", "White",   "Blue", "Dark Blue",  "Yellow",
                              "Green", "Magenta", "Cyan", "Light Gray", "Dark Gray"};
    for (const char *field : ColorFields) {
        QStringList items;
        for (int i = 0; i < in<QComboBox>(colors, field)->count(); ++i)
            items << in<QComboBox>(colors, field)->itemText(i);
        QCOMPARE(items, offered);
    }

    // Default only fills in the names; Escape or the close box apply nothing.
    in<QPushButton>(colors, "cmdDefault")->click();
    QCOMPARE(colorFieldTexts(colors),
             (QStringList{"Light Gray", "Yellow", "Green", "Magenta", "Dark Blue"}));
    QTest::keyClick(in(colors, "cboRecFuncColor"), Qt::Key_Escape);
    QTRY_VERIFY(!in(p.window.get(), "frmColorSettings"));
    QTRY_COMPARE(QApplication::activeWindow(), p.window.get());
    colors = p.open("mnuColors", "frmColorSettings");
    QCOMPARE(colorFieldTexts(colors), named);
    // A typed name that is not in the table is refused, and nothing changes.
    const char *const chosen[] = {"White", "Dark Gray", "Cyan", "cyan", "Black"};
    for (int i = 0; i < 5; ++i)
        in<QComboBox>(colors, ColorFields[i])->setEditText(QLatin1String(chosen[i]));
    in<QPushButton>(colors, "cmdSave")->click();
    QCOMPARE(p.services.messageBoxes.shown,
             QStringList{"\"cyan\" is not a color name: choose one from the list."});
    QVERIFY(colors->isVisible());
    colors->close();
    QTRY_VERIFY(!in(p.window.get(), "frmColorSettings"));
    QCOMPARE(colorsOf(*p.window), before);

    // Every name of the table is taken, also one the lists do not offer.
    colors = p.open("mnuColors", "frmColorSettings");
    for (int i = 0; i < 5; ++i)
        in<QComboBox>(colors, ColorFields[i])
            ->setEditText(QLatin1String(i == 3 ? "Red" : chosen[i]));
    in<QPushButton>(colors, "cmdSave")->click();
    QTRY_VERIFY(!in(p.window.get(), "frmColorSettings"));
    QCOMPARE(p.services.messageBoxes.shown.size(), 1);
    const DisplayColors saved{ColorValue::White, ColorValue::SystemGrayText, ColorValue::Cyan,
                              ColorValue::Red, ColorValue::Black};
    QCOMPARE(colorsOf(*p.window), saved);
    QTRY_COMPARE(QApplication::activeWindow(), p.window.get());
    // Text already shown keeps its color, new text takes the new one.
    QTest::keyClick(p.view(), 'n');
    QCOMPARE(p.display(), QByteArray("oldn"));
    QCOMPARE(p.window->displayModel().colorSpanAt(0).color, ColorValue::SystemButtonFace);
    QCOMPARE(p.window->displayModel().colorSpanAt(3).color, ColorValue::Cyan);
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
        QVERIFY(!in<QRadioButton>(window, name)->isChecked());
        options << in<QRadioButton>(window, name)->text();
    }
    QCOMPARE(options, (QStringList{"Function", "Character", "Hex number"}));
    for (const char *hidden : {"lblInstructions", "txtInput1", "cmdEnter", "cmdNull", "cmdUS"})
        QVERIFY2(in(window, hidden)->isHidden(), hidden);
    QVERIFY(in(window, "cmdSave")->isVisible());

    // Function mode: 32 buttons for codes 0 to 31, each giving the plain
    // token whatever the display shows.
    p.action("mnuShowFunctionCharacters")->setChecked(false);
    in<QRadioButton>(window, "optFunction")->click();
    QVERIFY(in(window, "txtInput1")->isHidden() && in(window, "cmdEnter")->isHidden());
    const QStringList captions =
        QStringLiteral("NULL SOH STX ETX EOT ENQ ACK BEL BS TAB LF VT NP CR SO SI "
                       "DLE DC1 DC2 DC3 DC4 NAK SYN ETB CAN EM EOF ESC FS GS RS US")
            .split(QLatin1Char(' '));
    for (int code = 0; code < 32; ++code) {
        const QString name = code == 0 ? QStringLiteral("cmdNull") : "cmd" + captions[code];
        auto *button = window->findChild<QPushButton *>(name);
        QVERIFY2(button && button->isVisible(), qPrintable(name));
        QCOMPARE(button->text(), captions[code]);
        button->click();
        QCOMPARE(in<QLabel>(window, "lblBreakChar")->text(),
                 QString::fromLatin1(GeneralUtilities::TokenTableEntry(code)));
    }

    // Escape keeps the main window's character.
    QTest::keyClick(in(window, "cmdUS"), Qt::Key_Escape);
    QTRY_VERIFY(!in(p.window.get(), "frmBreakCharacter"));
    QCOMPARE(p.window->ReturnBreakCharacter(), QByteArray("[CR ]"));
}

void TestSetupWindows::breakCharacterTyping_data()
{
    // Steps: a button's name, "type:" or "paste:" text, "Enter" (the key in the
    // box), "spc" (the [SPC] space option). Save hands the choice to the display.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("left"); // the box's text at the end

    const QString none;
    const QString oneCharacter = QStringLiteral("Only enter 1 character");
    const QString breakMe = QStringLiteral("Your trying to break me arn't you?");
    const auto row = [](const char *name, QStringList steps, const char *selected,
                        const QString &message, const char *left = "") {
        QTest::newRow(name) << steps << QString::fromLatin1(selected) << message
                            << QString::fromLatin1(left);
    };
    row("function ESC", {"optFunction", "cmdESC"}, "[ESC]", none);
    row("character typed twice", {"optCharacter", "type:AB"}, "[CR ]", oneCharacter);
    row("character pasted twice", {"optCharacter", "paste:AB"}, "[CR ]", oneCharacter);
    row("character blank", {"spc", "optCharacter", "type: ", "cmdEnter"}, " ", none);
    row("character e-acute", {"optCharacter", QStringLiteral("paste:") + QChar(0xE9), "Enter"},
        "[xE9]", none);
    row("character mode, empty box", {"optCharacter", "Enter"}, "[CR ]", none);
    row("hex ff", {"optHexFormat", "type:ff", "cmdEnter"}, "[xFF]", none);
    row("hex, third character", {"optHexFormat", "type:1B2"}, "[CR ]", breakMe);
    row("hex, empty box", {"optHexFormat", "Enter"}, "[NUL]", none);
    row("character A read as hex", {"optCharacter", "type:A", "optHexFormat", "Enter"}, "[LF ]",
        none);
    row("function mode keeps the box", {"optCharacter", "type:A", "optFunction"}, "[CR ]", none,
        "A");
}

void TestSetupWindows::breakCharacterTyping()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, selected);
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
        else if (step.startsWith(QLatin1String("type:")))
            QTest::keyClicks(input, step.mid(5));
        else if (step.startsWith(QLatin1String("paste:")))
            input->setText(step.mid(6));
        else if (step == QLatin1String("Enter"))
            QTest::keyClick(input, Qt::Key_Return);
        else
            window->findChild<QAbstractButton *>(step)->click();
    }
    QCOMPARE(in<QLabel>(window, "lblBreakChar")->text(), selected);
    QCOMPARE(p.services.messageBoxes.shown,
             message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(input->text(), left);
    in<QPushButton>(window, "cmdSave")->click();
    QCOMPARE(p.window->ReturnBreakCharacter(), selected.toLatin1());
}

void TestSetupWindows::stringsWindowStores_data()
{
    // Steps: "set:N" or "main:N" (a set item of the strings or the main window), "name:" or
    // "fN:" with a text for a field, "put:N:" a set's F1 string put in the store, "Escape",
    // "close", or a menu item of the strings window. Then the current set, facts of the
    // store as "set:key=typed" or "set:name=name", the main window's checked set item
    // and its F1 caption; the answer to a question.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("current");
    QTest::addColumn<QStringList>("facts");
    QTest::addColumn<int>("mainChecked");
    QTest::addColumn<QString>("f1");
    QTest::addColumn<bool>("answer");

    const QString sample = QStringLiteral("Here is a string example[CR]");
    const auto row = [](const char *name, const QStringList &steps, int current,
                        const QStringList &facts, int mainChecked, const QString &f1,
                        bool answer = true) {
        QTest::newRow(name) << steps << current << facts << mainChecked << f1 << answer;
    };
    row("renamed and saved", {"set:3", "name:Scale & Printer", "f0:W[CR]", "mnuSave"}, 3,
        {"3:name=Scale & Printer", "3:0=W[CR]", "0:0=" + sample}, 3, "F1 W[CR]");
    row("quick clear, exit", {"mnuQuickClear", "mnuExit"}, 0, {"0:0=" + sample}, 0, "F1 " + sample);
    // The main window's menus follow only at the next refresh.
    row("switching sets stores the set left",
        {"main:1", "f4:edited", "put:2:two", "set:2", "mnuExit"}, 2, {"1:4=edited"}, 1, "F1 ");
    row("Escape, yes saves", {"f0:changed", "Escape"}, 0, {"0:0=changed"}, 0, "F1 changed");
    row("Escape, no discards", {"f0:changed", "Escape"}, 0, {"0:0=" + sample}, 0, "F1 " + sample,
        false);
    row("close box stores nothing", {"name:gone", "close"}, 0, {"0:name=Sample String Set"}, 0,
        "F1 " + sample);
    row("set chosen in the main window never overwritten", {"f0:for set one", "main:5", "mnuSave"},
        5, {"5:0=", "0:0=for set one"}, 5, "F1 ");
}

void TestSetupWindows::stringsWindowStores()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, facts);
    QFETCH(int, mainChecked);
    QFETCH(bool, answer);
    Program s;
    QVERIFY(s.load());
    s.services.messageBoxes.answer = answer;
    frmStrings *strings = nullptr; // opened by the first step on it
    for (const QString &step : steps) {
        const QString value = step.section(QLatin1Char(':'), 1);
        if (!strings && !step.startsWith(QLatin1String("main:")) &&
            !step.startsWith(QLatin1String("put:")))
            QVERIFY(strings = s.strings());
        if (step.startsWith(QLatin1String("set:"))) {
            in<QAction>(strings, qPrintable("mnuStringSet" + value))->trigger();
            for (int key = 0; key < 12; ++key)
                QCOMPARE(keyField(strings, key)->text().toLatin1(),
                         s.store().typed(value.toInt(), key));
            QCOMPARE(strings->focusWidget(), keyField(strings, 0));
        } else if (step.startsWith(QLatin1String("main:"))) {
            s.action(qPrintable("mnuStringSet" + value))->trigger();
        } else if (step.startsWith(QLatin1String("put:"))) {
            s.store().setString(value.section(QLatin1Char(':'), 0, 0).toInt(), 0,
                                value.section(QLatin1Char(':'), 1).toLatin1());
        } else if (step.startsWith(QLatin1String("name:"))) {
            in<QLineEdit>(strings, "txtSetName")->setText(value);
        } else if (step.startsWith(QLatin1Char('f'))) {
            QLineEdit *field =
                keyField(strings, step.mid(1).section(QLatin1Char(':'), 0, 0).toInt());
            field->setFocus();
            field->setText(value);
        } else if (step == QLatin1String("Escape")) {
            QTest::keyClick(strings->focusWidget(), Qt::Key_Escape);
            QCOMPARE(s.services.messageBoxes.asked,
                     QStringList{QStringLiteral("String Exit|Do you wish to save your changes")});
        } else if (step == QLatin1String("close")) {
            strings->close();
        } else {
            in<QAction>(strings, qPrintable(step))->trigger();
            if (step == QLatin1String("mnuQuickClear")) {
                QCOMPARE(keyField(strings, 0)->text(), QString());
                QCOMPARE(in<QLineEdit>(strings, "txtSetName")->text(),
                         QStringLiteral("Sample String Set"));
            }
        }
    }
    QTRY_VERIFY(!s.window->findChild<frmStrings *>());

    QTEST(s.store().currentSet(), "current");
    for (const QString &fact : facts) {
        const int set = fact.section(QLatin1Char(':'), 0, 0).toInt();
        const QString key = fact.section(QLatin1Char(':'), 1).section(QLatin1Char('='), 0, 0);
        const QByteArray value = fact.section(QLatin1Char('='), 1).toLatin1();
        QCOMPARE(key == u"name" ? s.store().name(set) : s.store().typed(set, key.toInt()), value);
    }
    for (int set = 0; set < 10; ++set)
        QCOMPARE(s.action(qPrintable(QStringLiteral("mnuStringSet%1").arg(set)))->isChecked(),
                 set == mainChecked);
    QTEST(s.action("mnuF1String")->text(), "f1");
    // Both windows' set items show the names; F1 sends the current set's string.
    const int current = s.store().currentSet();
    const QByteArray item = "mnuStringSet" + QByteArray::number(current);
    QCOMPARE(in<QAction>(s.strings(), item)->text(), s.action(item)->text());
    s.port->written.clear();
    QTest::keyClick(s.child("rtbDisplay"), Qt::Key_F1);
    QTRY_COMPARE(s.port->written, s.store().decoded(current, 0));
}

void TestSetupWindows::fieldsTakeOnlyLatin1WithinTheLimit()
{
    Program s;
    QVERIFY(s.load());
    frmStrings *strings = s.strings();
    QLineEdit *field = keyField(strings, 1);
    field->clear();
    field->setFocus();
    for (const QChar c : QStringLiteral("a\u20ACb\u00E9[x0d]")) {
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &key);
    }
    QCOMPARE(field->text(), QStringLiteral("ab\u00E9[x0d]"));

    // A field holds 32,767 characters; a paste that would pass that is
    // refused whole, with one message, instead of being cut inside a token.
    const QString refused =
        QStringLiteral("Text not taken: a field holds at most 32767 characters.");
    field->selectAll();
    field->insert(QString(1 << 20, QLatin1Char('[')));
    QCOMPARE(field->text(), QStringLiteral("ab\u00E9[x0d]"));
    QTRY_COMPARE(s.services.messageBoxes.shown, QStringList{refused});
    // A typed key likewise; the last character that fits is taken.
    QLineEdit *name = in<QLineEdit>(strings, "txtSetName");
    name->setText(QString(32766, QLatin1Char('n')));
    name->setFocus();
    QTest::keyClick(name, Qt::Key_X);
    QTest::keyClick(name, Qt::Key_Y);
    QCOMPARE(name->text(), QString(32766, QLatin1Char('n')) + QLatin1Char('x'));
    QTRY_COMPARE(s.services.messageBoxes.shown, (QStringList{refused, refused}));

    in<QAction>(strings, "mnuSave")->trigger();
    QCOMPARE(s.store().typed(0, 1), QByteArray("ab\xE9[x0d]"));
    QCOMPARE(s.store().decoded(0, 1), QByteArray("ab\xE9\r"));
}

void TestSetupWindows::stringsWindowAndItsHelp()
{
    // The window opens on the current set.
    Program s;
    QVERIFY(s.load());
    frmStrings *strings = s.strings();
    QVERIFY(strings);
    QCOMPARE(strings->windowTitle(), QStringLiteral("String Setup"));
    QCOMPARE(in<QLineEdit>(strings, "txtSetName")->text(), QStringLiteral("Sample String Set"));
    QCOMPARE(keyField(strings, 0)->text(), QStringLiteral("Here is a string example[CR]"));
    QCOMPARE(keyField(strings, 11)->text(), QString());
    QCOMPARE(in<QAction>(strings, "mnuStringSet9")->text(), QStringLiteral("String Set Number 10"));
    QCOMPARE(in<QLabel>(strings, "lblF12")->text(), QStringLiteral("F12 :"));
    // Opening again brings up the same window.
    QCOMPARE(s.strings(), strings);

    in<QAction>(strings, "mnuHelp")->trigger();
    auto *help = in(strings, "frmStringsHelp");
    QVERIFY(help);
    QCOMPARE(help->windowTitle(), QStringLiteral("How to use Strings"));
    QStringList texts;
    for (const char *label : {"Label1", "Label2", "Label3", "Label4", "Label5"})
        texts << in<QLabel>(help, label)->text();
    QCOMPARE(texts, (QStringList{"Strings page is to setup Function keys to transmit whole strings "
                                 "of text with a single key press. ",
                                 "The following are acceptable formats :",
                                 "Functions below $20 on the ASCII chart.\r\n[CR] or [cr]\r\n[x0D] "
                                 "or [X0d]\r\n[0x0d] or [0X0D]",
                                 "Standard alpha numeric and punctuation characters,\r\njust type "
                                 "them as they are.",
                                 "Characters above $7E on the ASCII chart.\r\n[x8a] or "
                                 "[X8A]\r\n[0x8a] or [X8A]"}));

    help->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(help));
    in<QPushButton>(help, "cmdOK")->click();
    QTRY_VERIFY(!in(strings, "frmStringsHelp"));
    QCOMPARE(strings->focusWidget(), keyField(strings, 0));

    in<QAction>(strings, "mnuHelp")->trigger();
    QTest::keyClick(in(strings, "frmStringsHelp"), Qt::Key_Escape);
    QTRY_VERIFY(!in(strings, "frmStringsHelp"));
    QVERIFY(strings->isVisible());
}

void TestSetupWindows::aboutWindow()
{
    Program s;
    QVERIFY(s.load());
    s.action("mnuAbout")->trigger();
    auto *about = s.window->findChild<QWidget *>(QStringLiteral("frmAbout"));
    QVERIFY(about);
    QCOMPARE(about->windowTitle(), QStringLiteral("About Wirelook"));
    QCOMPARE(about->findChild<QLabel *>(QStringLiteral("lblRev"))->text(),
             QStringLiteral("Revision: 1.3.00"));
    QCOMPARE(about->findChild<QLabel *>(QStringLiteral("Label1"))->text(),
             QStringLiteral("Wirelook serial communications program"));
    QTest::keyClick(about, Qt::Key_Escape);
    QTRY_VERIFY(!s.window->findChild<QWidget *>(QStringLiteral("frmAbout")));
}

QTEST_MAIN(TestSetupWindows)
#include "tst_setupwindows.moc"
