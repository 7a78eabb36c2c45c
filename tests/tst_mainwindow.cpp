#include "AddedOptions.h"
#include "DisplayLayout.h"
#include "DisplayView.h"
#include "GeneralUtilities.h"
#include "HexView.h"
#include "MainWindowFixture.h"
#include "PanelStatusBar.h"
#include "SetupFile.h"
#include "TokenRunWriter.h"
#include "UnusualSetup.h"
#include "X11LockKeys.h"
#include "frmStrings.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <QTimer>

// The tests run on an offscreen screen of 1280 x 1024 pixels at 120 dots per
// inch, so one pixel is exactly 12 twips; the offscreen frame adds 2 pixels on
// every side of a window.
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

QLineEdit *keyField(QWidget *strings, int key)
{
    return strings->findChild<QLineEdit *>(QStringLiteral("txtXmitStringArray%1").arg(key));
}

// A property of named controls, by default their texts.
QStringList values(const QWidget *parent, const QList<const char *> &names,
                   const char *property = "text")
{
    QStringList values;
    for (const char *name : names)
        values << parent->findChild<QWidget *>(QLatin1String(name))->property(property).toString();
    return values;
}

const QList<const char *> ColorFields{"cboRecCharColor", "cboRecFuncColor", "cboXmitCharColor",
                                      "cboXmitFuncColor", "cboBackGroundColor"};

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

struct Fixture : Window
{
    DisplayView *view() const { return child<DisplayView>("rtbDisplay"); }
    PanelStatusBar *statusBar() const { return child<PanelStatusBar>("StatusBar1"); }
    void write(const QByteArray &bytes)
    {
        TokenRunWriter(window->displayModel(), window->displayOptions())
            .write(bytes, ColorValue::Green, ColorValue::Magenta);
    }
    QString setupPath() const { return SetupFile(setupFolder.path()).path(); }
    void writeSetup(const LastSetup &setup) const
    {
        QVERIFY(SetupFile(setupFolder.path()).save(setup));
    }
    frmStrings *strings() { return open<frmStrings>("mnuStrings", "frmStrings"); }
    StringSetStore &store() const { return window->stringSets(); }
};

// The window after its start-up, active.
struct Loaded : Fixture
{
    Loaded() { QVERIFY(load()); }
};

// The menu tree as "name caption [shortcut] [check mark]", two blanks deeper
// for each submenu.
QStringList outline(const QWidget *menu, const QString &indent = {})
{
    QStringList lines;
    for (const QAction *item : menu->actions()) {
        if (item->isSeparator())
            continue;
        const QMenu *submenu = item->menu();
        QString line = indent + (submenu ? submenu->objectName() : item->objectName()) +
                       QLatin1Char(' ') + item->text();
        if (!item->shortcut().isEmpty())
            line += QLatin1Char(' ') + item->shortcut().toString(QKeySequence::PortableText);
        if (item->isCheckable())
            line += QLatin1String(item->isChecked() ? " [x]" : " [ ]");
        if (!item->isVisible() || !item->isEnabled())
            line += QLatin1String(" (off)");
        lines << line;
        if (submenu)
            lines << outline(submenu, indent + QLatin1String("  "));
    }
    return lines;
}

// Where a control draws its text, in its own coordinates.
QRect textRoom(const QWidget *control)
{
    if (const auto *button = qobject_cast<const QAbstractButton *>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const bool check = qobject_cast<const QCheckBox *>(control);
        return control->style()->subElementRect(
            check ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents, &option, button);
    }
    const auto *label = qobject_cast<const QLabel *>(control);
    const int margin = label->margin();
    return label->contentsRect().adjusted(margin, margin, -margin, -margin);
}

// "name: text" where the text does not fit the room its control gives it.
QString cutText(const QWidget *control, const QString &text, int flags = 0)
{
    const QRect room = textRoom(control);
    const QRect needed = control->fontMetrics().boundingRect(room, flags | Qt::AlignCenter, text);
    if (room.contains(needed) && needed.width() <= room.width())
        return {};
    QString message;
    QDebug(&message) << control->objectName() << text << "needs" << needed.size() << "has"
                     << room.size();
    return message;
}

// Where a one-line label's text stands, in its parent's coordinates.
int baseline(const QLabel *label)
{
    const QRect room = textRoom(label);
    const QFontMetrics metrics = label->fontMetrics();
    const QRect text = QStyle::alignedRect(label->layoutDirection(), label->alignment(),
                                           QSize(room.width(), metrics.height()), room);
    return label->y() + text.top() + metrics.ascent();
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void startUp();
    void resetDisplaySize_data();
    void resetDisplaySize();
    void hexViewCopyAndClear();
    void optionMenus_data();
    void optionMenus();
    void statusBarFollowsTheClockAndLockKeys();
    void lockKeySources_data();
    void lockKeySources();
    void captionsFitAndTheLeftColumnStaysWhole();
    void restoreRunAndSaveAgain();
    void spareSetAndPortArgument();
    void shutdownOrder();
    void breakCharacterWindow();
    void breakCharacterTyping_data();
    void breakCharacterTyping();
    void stringsWindowStores_data();
    void stringsWindowStores();
    void stringsWindowFieldsAndHelp();
};

void TestMainWindow::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestMainWindow::startUp()
{
    // "name caption", hidden ones marked.
    Fixture f;
    f.port->refuseOpen = CommError::NoSuchPort;
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Wirelook....."));
    f.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    const QStringList expected{"cmdPortState Port Busy",
                               "cmdRTSstate RTS ?",
                               "lblCTSstate CTS ?",
                               "cmdClearScreen Clear Screen",
                               "cmdPurge Data Purge",
                               "lblDataDrop Data being Dropped (hidden)",
                               "lblPortNumber Port Number",
                               "lblBaudCaption Baud Rate",
                               "lblParityCaption Parity",
                               "lblDataBitsCaption Data Bits",
                               "lblStopBits Stop Bits",
                               "lblHandShakingCaption Hand Shaking",
                               "cmdSetStandard Set Standard (hidden)",
                               "cmdExitTest Exit Test (hidden)",
                               "lblGoodCountCaption Good Count : (hidden)",
                               "lblGoodCount 0 (hidden)",
                               "lblBadCountCaption Bad Count : (hidden)",
                               "lblBadCount 0 (hidden)",
                               "chkBadHold Hold Bad Reads (hidden)",
                               "txtStandard Text1 (hidden)"};
    QStringList shown;
    for (const QString &line : expected) {
        QWidget *control = f.child(qPrintable(line.section(QLatin1Char(' '), 0, 0)));
        shown << control->objectName() + QLatin1Char(' ') + control->property("text").toString() +
                     QLatin1String(control->isVisible() ? "" : " (hidden)");
        const bool yellow = line.startsWith(QLatin1String("cmdPortState")) ||
                            line.startsWith(QLatin1String("cmdRTSstate"));
        QCOMPARE(BackColor::of(control),
                 yellow ? ColorValue::Yellow : ColorValue::SystemButtonFace);
        if (yellow) { // the face is painted in the color; its left edge holds no text
            const QImage face = control->grab().toImage();
            QCOMPARE(face.pixelColor(4, face.height() / 2), QColor(Qt::yellow));
        }
    }
    QCOMPARE(shown, expected);

    // The lists; the port list goes on with the serial devices that this machine reports.
    const std::pair<const char *, QStringList> lists[] = {
        {"cboPortNumber", {"1", "2", "3", "4", "5", "6", "7", "8"}},
        {"cboParity", {"None", "Even", "Odd", "Mark", "Space"}},
        {"cboDataBits", {"4", "5", "6", "7", "8"}},
        {"cboStopBits", {"2", "1.5", "1"}},
        {"cboHandShaking", {"0-None", "1-Xon Xoff", "2-Rts Cts", "3-Both"}}};
    for (const auto &[name, items] : lists) {
        QStringList listed;
        for (int i = 0; i < f.box(name)->count(); ++i)
            listed << f.box(name)->itemText(i);
        QCOMPARE(name == QLatin1String("cboPortNumber") ? listed.mid(0, 8) : listed, items);
    }

    // Loaded without a setup file, even on a port that cannot be opened: the menus as the
    // user first meets them.
    QVERIFY(f.load());
    QStringList menus{"mnuFile &File",
                      "  mnuSave &Save To File",
                      "    mnuSaveAscii &Ascii Format",
                      "    mnuSaveText &Text Format",
                      "  mnuTransmitFile &Transmit a File",
                      "  mnuLogToFile &Log To File... [ ]",
                      "  mnuPrint &Print",
                      "    mnuPrintAlldata &All Data",
                      "    mnuPrintSelectedData &Selected Data",
                      "  mnuExit E&xit",
                      "mnuEdit &Edit",
                      "  mnuSelectAll Select &All Ctrl+A",
                      "  mnuCopy &Copy Ctrl+C",
                      "  mnuClearDisplay Clear &Display",
                      "mnuOptions &Options",
                      "  mnuColors &Colors",
                      "  mnuStrings &Strings Ctrl+S",
                      "  mnuTransmitSytle &Transmit Style",
                      "    mnuReceiveInterruptsAllowed &Receive Interrupts Allowed [x]",
                      "    mnuFullStrings &Full Strings Uninterrupted [ ]",
                      "  mnuBreakCharacter &Break Character",
                      "  mnuSpace Space& Option",
                      "    mnuSpcChar '& ' Character [x]",
                      "    mnuSpcString [SPC] &String [ ]",
                      QString::fromUtf8("    mnuSpcSpecialChar \xC2\xA4 &Character [ ]"),
                      "  mnuMultiplier Multiplier &Card",
                      "    mnuSingle No Card Installed [x]",
                      "    mnuDouble &Doubler [ ]",
                      "    mnuQuadruple &Quadrupler [ ]",
                      "  mnuShowFunctionCharacters Show Function Characters [x]",
                      "  mnuHighSpeedRates High Speed &Rates [ ]",
                      "  mnuDTRActive &DTR Active [x]",
                      "  mnuSendBreak Send Brea&k",
                      "  mnuReconnectAutomatically Reconnect A&utomatically [ ]",
                      "  mnuTimeStamps Ti&me Stamps [ ]",
                      "  mnuHexView He&x View [ ]",
                      "mnuTools &Tools",
                      "  mnuCompareTest &Compare Test",
                      "  mnuFindCommSetting &Find Comm Setting",
                      "mnuQuickCommSettings &Quick Comm Settings",
                      "  mnuQuick9600n81 9600 n 8 1",
                      "  mnuQuick9600e71 9600 e 7 1",
                      "  mnuQuick38400n81 38400 n 8 1",
                      "  mnuQuick1152000n81 115200 n 8 1",
                      "  mnuQuickParitySettings Parity Settings"};
    for (const char *preset :
         {"Even71", "Even72", "Even81", "Odd71", "Odd72", "Odd81", "None81", "None82", "Mark71",
          "Mark72", "Mark81", "Space71", "Space72", "Space81"})
        menus << QStringLiteral("    mnu%1 %1").arg(QLatin1String(preset));
    menus << "mnuSelectStringSet &Select String Set"
          << "  mnuStringSet0 Sample String Set [x]";
    for (int set = 1; set < 10; ++set)
        menus << QStringLiteral("  mnuStringSet%1 String Set Number %2 [ ]").arg(set).arg(set + 1);
    menus << "mnuViewStrings &View Strings"
          << "  mnuF1String F1 Here is a string example[CR]"
          << "  mnuF2String F2 Here is another.... [0x80][x0d]";
    for (int key = 3; key <= 12; ++key)
        menus << QStringLiteral("  mnuF%1String F%1 ").arg(key);
    menus << "mnuHelp &Help"
          << "  mnuGeneral &General"
          << "  mnuAbout &About";
    QCOMPARE(outline(f.window->menuBar()), menus);

    // Centred, with the display focused.
    const QRect outer = f.window->frameGeometry();
    QVERIFY(outer.left() > 0 && qAbs(outer.left() + outer.right() + 1 - 1280) <= 1);
    QVERIFY(outer.top() > 0 && qAbs(outer.top() + outer.bottom() + 1 - 1024) <= 1);
    QCOMPARE(QApplication::focusWidget(), f.view());
    // The display is also first in the tab order.
    QWidget *first = f.window.get();
    do
        first = first->nextInFocusChain();
    while (!(first->focusPolicy() & Qt::TabFocus));
    QCOMPARE(first, f.view());
    // A plain color is 0x00BBGGRR: the display's background is dark blue.
    QWidget *viewport = f.view()->viewport();
    QCOMPARE(viewport->grab().toImage().pixelColor(viewport->rect().center()), QColor(0, 0, 0x80));

    // The client area below the menu bar, status bar included, is 8895 x 7410 twips.
    QCOMPARE(f.window->centralWidget()->width(), 741);
    QCOMPARE(f.window->centralWidget()->height() + f.statusBar()->height(), 618);
}

void TestMainWindow::resetDisplaySize_data()
{
    // Sizes in pixels of the area below the menu bar, resized from 800 x 610. The rules
    // count that area plus 115 twips of width and 700 twips of height for the window's
    // frame, title and menu bar. The status bar is 21 pixels (252 twips) high, the
    // display margin 700 twips.
    QTest::addColumn<QSize>("after");
    QTest::addColumn<QSize>("display");
    // The compare test's buttons (26 pixels high) would stand at window height - 1245
    // twips, 2 pixels into the status bar: they end on it instead. The captions and
    // counts (21 pixels) are centred on them.
    QTest::addColumn<int>("buttonTop");
    QTest::addColumn<int>("labelTop");

    QTest::newRow("to the edges") << QSize(1000, 677) << QSize(889, 656) << 630 << 632;
    QTest::newRow("1591 twips: width kept") << QSize(123, 610) << QSize(689, 589) << 563 << 565;
    QTest::newRow("1603 twips: width set") << QSize(124, 610) << QSize(13, 589) << 563 << 565;
}

void TestMainWindow::resetDisplaySize()
{
    QFETCH(QSize, after);

    Loaded f;
    const QSize menuBar(0, f.window->menuBar()->height());
    f.window->resize(QSize(800, 610) + menuBar);
    QTRY_COMPARE(f.window->size(), QSize(800, 610) + menuBar);
    f.window->resize(after + menuBar);
    QTRY_COMPARE(f.window->size(), after + menuBar);

    QTEST(f.view()->size(), "display");
    QCOMPARE(f.view()->pos(), QPoint(111, 0));
    for (const char *name : {"cmdSetStandard", "cmdExitTest"})
        QTEST(f.child(name)->y(), "buttonTop");
    for (const char *name :
         {"lblGoodCountCaption", "lblGoodCount", "lblBadCountCaption", "lblBadCount", "chkBadHold"})
        QTEST(f.child(name)->y(), "labelTop");

    // A window too low for the controls at the left cannot be had; the rule
    // for one too low for the display (at most 800 twips above the status
    // bar) still holds.
    QVERIFY(!DisplayLayout::forWindow({9000, 1052}, 252, 700).displayHeight);
    QCOMPARE(DisplayLayout::forWindow({9000, 1053}, 252, 700).displayHeight.value_or(0), 101.0);
}

void TestMainWindow::hexViewCopyAndClear()
{
    // The hex view takes the display's place.
    Loaded f;
    f.port->deliverInput("AB\r");
    QTRY_COMPARE(f.display(), "AB[CR ]\r\n");
    auto *hex = f.child<HexView>("hexDisplay");
    f.action("mnuHexView")->trigger();
    QVERIFY(hex->isVisible());
    QVERIFY(!f.view()->isVisible());
    QCOMPARE(QApplication::focusWidget(), hex);
    f.window->resize(f.window->size() + QSize(40, 30));
    QTRY_COMPARE(hex->geometry(), f.view()->geometry());

    // Keys go out as from the text display: a typed character, then a function key's string.
    StringSetStore &strings = f.window->stringSets();
    strings.setString(strings.currentSet(), 0, "F1![CR]");
    QTest::keyClick(hex, Qt::Key_Z);
    QTest::keyClick(hex, Qt::Key_F1);
    QTRY_COMPARE(f.port->written, "zF1!\r");

    // Select All and Copy give the rows as text; the display is not touched.
    f.action("mnuSelectAll")->trigger();
    f.action("mnuCopy")->trigger();
    const QString copied = f.services.clipboard.text;
    QVERIFY2(copied.contains(QStringLiteral(" < 41 42 0D ")) &&
                 copied.contains(QStringLiteral(" > 7A 46 31 21 0D ")) && !copied.contains(u'\r'),
             qPrintable(copied));
    const QByteArray shown = "AB[CR ]\r\nzF1![CR ]\r\n";
    QCOMPARE(f.display(), shown);
    QCOMPARE(f.window->displayModel().selectionLength(), 0);

    // Save reads the text display whichever view is shown.
    f.services.fileDialogs.answer = f.setupFolder.filePath(QStringLiteral("display.txt"));
    f.action("mnuSaveText")->trigger();
    QCOMPARE(fileContent(f.services.fileDialogs.answer), shown + "\r\n");

    f.action("mnuHexView")->trigger();
    QVERIFY(!hex->isVisible());
    QCOMPARE(QApplication::focusWidget(), f.view());
    f.action("mnuClearDisplay")->trigger();
    QCOMPARE(f.window->hexHistory().endRow(), f.window->hexHistory().firstRow());

    quint32 color = 1;
    for (const char *text : {"AB", "[CR ]", "C \xE9", "[xA4]"})
        f.window->PutInDisplay(text, color++);
    // The keys on the display copy all of it, in Latin-1.
    QCOMPARE(QApplication::focusWidget(), f.view());
    QTest::keyClick(f.view(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(f.view(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget(), f.view());
    QCOMPARE(f.services.clipboard.text, QString::fromUtf8("AB[CR ]\nC \xC3\xA9[xA4]"));
    // A selection across the line break.
    f.window->displayModel().setSelection(6, 4);
    f.action("mnuCopy")->trigger();
    QCOMPARE(f.services.clipboard.text, QStringLiteral("]\nC"));

    // Clear Display keeps the focus where it is; Clear Screen focuses the display.
    for (const bool button : {false, true}) {
        f.child("cboBaud")->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), f.child("cboBaud"));
        if (button)
            QTest::mouseClick(f.child("cmdClearScreen"), Qt::LeftButton);
        else
            f.action("mnuClearDisplay")->trigger();
        QCOMPARE(f.window->displayModel().length(), 0);
        QCOMPARE(QApplication::focusWidget(), f.child(button ? "rtbDisplay" : "cboBaud"));
        f.window->PutInDisplay("[CR ]", ColorValue::Yellow);
    }
}

void TestMainWindow::optionMenus_data()
{
    // Items clicked between two writes of SOH and a blank; then which of the option items
    // are checked, one flag each in the order of the loop below, and what the second write shows.
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QByteArray>("checked");
    QTest::addColumn<QByteArray>("shown");

    const auto row = [](const char *name, const QStringList &clicks, const char *checked,
                        const QByteArray &shown) {
        QTest::newRow(name) << clicks << QByteArray(checked) << shown;
    };
    row("[SPC] twice", {"mnuSpcString", "mnuSpcString"}, "010110", "[SOH][SPC]");
    row("currency sign", {"mnuSpcString", "mnuSpcSpecialChar"}, "001110", "[SOH]\xA4");
    row("function characters hidden", {"mnuShowFunctionCharacters"}, "100010", " ");
    row("full strings twice", {"mnuFullStrings", "mnuFullStrings"}, "100101", "[SOH] ");
}

void TestMainWindow::optionMenus()
{
    QFETCH(QStringList, clicks);
    QFETCH(QByteArray, checked);
    QFETCH(QByteArray, shown);

    // What is already shown stays as it is.
    Fixture f;
    f.write("\1 ");
    for (const QString &click : clicks)
        f.action(qPrintable(click))->trigger();
    QByteArray flags;
    for (const char *name :
         {"mnuSpcChar", "mnuSpcString", "mnuSpcSpecialChar", "mnuShowFunctionCharacters",
          "mnuReceiveInterruptsAllowed", "mnuFullStrings"})
        flags += f.action(name)->isChecked() ? '1' : '0';
    QCOMPARE(flags, checked);
    f.write("\1 ");
    QCOMPARE(f.display(), "[SOH] " + shown);
}

void TestMainWindow::statusBarFollowsTheClockAndLockKeys()
{
    Fixture f;
    f.lockKeys->num = true;
    QVERIFY(f.load());
    // Six panels side by side at the bottom of the window.
    PanelStatusBar *bar = f.statusBar();
    QCOMPARE(bar->height(), 21);
    QCOMPARE(bar->y() + bar->height(), f.window->height());
    QStringList texts;
    for (int number = 1; number <= PanelStatusBar::PanelCount; ++number) {
        if (number > 1)
            QCOMPARE(bar->panel(number)->x(), bar->panel(number - 1)->geometry().right() + 1);
        texts << bar->panelText(number);
    }
    QCOMPARE(texts, (QStringList{"NUM", "CAPS", "No Multiplier Card", "03:04", "02.01.26", ""}));
    QTRY_VERIFY(bar->panel(1)->isEnabled() && !bar->panel(2)->isEnabled());

    // The lock panels keep their texts and are dimmed while the lock is off.
    f.services.clock.current = QDateTime(QDate(2026, 12, 31), QTime(23, 59, 30));
    f.lockKeys->num = false;
    f.lockKeys->caps = true;
    QTRY_COMPARE(bar->panelText(4), QStringLiteral("23:59"));
    QCOMPARE(bar->panelText(5), QStringLiteral("31.12.26"));
    QTRY_VERIFY(!bar->panel(1)->isEnabled() && bar->panel(2)->isEnabled());
    QVERIFY(bar->panel(1)->toolTip().isEmpty());

    // Where nothing tells the lock keys, both are dimmed and say so.
    f.lockKeys->known = false;
    f.lockKeys->num = true;
    QTRY_VERIFY(!bar->panel(2)->isEnabled());
    QVERIFY(!bar->panel(1)->isEnabled());
    QCOMPARE(bar->panel(1)->toolTip(), QStringLiteral("Lock keys unknown on this system"));
}

void TestMainWindow::lockKeySources_data()
{
    // The LED folders as "device=brightness"; a second source that may know, with Num Lock off
    // and Caps Lock on. The first source that knows is asked: "available num caps" flags.
    QTest::addColumn<QStringList>("leds");
    QTest::addColumn<bool>("secondKnows");
    QTest::addColumn<QString>("flags");
    QTest::newRow("any keyboard lit")
        << QStringList{"input3::numlock=0\n", "input9::numlock=1\n", "input9::capslock=255"}
        << false << "111";
    QTest::newRow("other LEDs ignored")
        << QStringList{"input3::scrolllock=1", "phy0-led=1", "input3::numlock-x=1"} << true
        << "101";
}

void TestMainWindow::lockKeySources()
{
    QFETCH(QStringList, leds);
    QFETCH(bool, secondKnows);

    QTemporaryDir root;
    const QDir folder(root.filePath(QStringLiteral("leds")));
    for (const QString &led : leds) {
        const QString device = led.section(QLatin1Char('='), 0, 0);
        QVERIFY(folder.mkpath(device));
        QFile brightness(folder.filePath(device + QStringLiteral("/brightness")));
        QVERIFY(brightness.open(QIODevice::WriteOnly));
        brightness.write(led.section(QLatin1Char('='), 1).toLatin1());
    }

    std::vector<std::unique_ptr<LockKeys>> sources;
    sources.push_back(std::make_unique<SysfsLockKeys>(folder.path()));
    sources.push_back(std::make_unique<FakeLockKeys>(secondKnows, false, true));
    const FirstAvailableLockKeys keys(std::move(sources));
    QTEST(QString::number(keys.available()) + QString::number(keys.numLock()) +
              QString::number(keys.capsLock()),
          "flags");

    // Off screen there is no X server to ask.
    QVERIFY(!x11LockKeys());
}

void TestMainWindow::captionsFitAndTheLeftColumnStaysWhole()
{
    // This test runs again on screens of other resolutions (CMakeLists.txt); it needs the
    // window's own font.
    Window w;
    if (QFontInfo(w.window->font()).family() != w.window->font().family())
        QSKIP("The window's font is not installed; scripts/setup.sh installs it.");
    w.start();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    w.child("lblDataDrop")->show();
    // The status panels' longer texts.
    auto *bar = w.child<PanelStatusBar>("StatusBar1");
    w.action("mnuSingle")->trigger();
    bar->setPanelText(6, QStringLiteral("500000 Selected "));
    QStringList cut;
    // The whole window is on the screen, title bar included.
    const QRect screen = w.window->screen()->availableGeometry();
    if (!screen.contains(w.window->frameGeometry()))
        cut << QStringLiteral("The window is not wholly on the screen");
    for (const QLabel *label : w.window->findChildren<QLabel *>()) {
        if (label->isVisible())
            cut << cutText(label, label->text(), label->wordWrap() ? Qt::TextWordWrap : 0);
    }
    for (const QAbstractButton *button : w.window->findChildren<QAbstractButton *>()) {
        if (button->isVisible())
            cut << cutText(button, button->text());
    }
    for (const char *card : {"mnuQuadruple", "mnuDouble"}) {
        w.action(card)->trigger();
        cut << cutText(bar->panel(3), bar->panelText(3));
    }
    for (int number = 1; number <= PanelStatusBar::PanelCount; ++number) {
        if (!bar->rect().contains(bar->panel(number)->geometry()))
            cut << bar->panel(number)->objectName() + QStringLiteral(" beyond the window's edge");
    }

    // The compare test's row is whole and inside the window, above the status
    // bar and below the display, while it is shown; the counts stand on the
    // captions' baseline.
    const int normalMinimumWidth = w.window->minimumWidth();
    w.action("mnuCompareTest")->trigger();
    const QWidget *client = w.window->centralWidget();
    const QRect display = w.child("rtbDisplay")->geometry();
    for (const char *name : {"cmdSetStandard", "cmdExitTest", "lblGoodCountCaption", "lblGoodCount",
                             "lblBadCountCaption", "lblBadCount", "chkBadHold"}) {
        const QWidget *control = w.child(name);
        cut << cutText(control, control->property("text").toString());
        if (!client->rect().contains(control->geometry()))
            cut << QLatin1String(name) +
                       QStringLiteral(" beyond the window's edge or the status bar");
        if (control->geometry().intersects(display))
            cut << QLatin1String(name) + QStringLiteral(" over the display");
    }
    for (const auto &[count, caption] : {std::pair("lblGoodCount", "lblGoodCountCaption"),
                                         {"lblBadCount", "lblBadCountCaption"}}) {
        if (baseline(w.child<QLabel>(count)) != baseline(w.child<QLabel>(caption)))
            cut << QLatin1String(count) + QStringLiteral(" off its caption's baseline");
    }
    w.child<QAbstractButton>("cmdExitTest")->click();
    QCOMPARE(w.window->minimumWidth(), normalMinimumWidth);

    cut.removeAll(QString());
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1Char('\n'))));

    // At its smallest the window shows the whole left column above the status bar.
    w.window->resize(1, 1);
    QTRY_COMPARE(w.window->size(), w.window->minimumSize());
    const QRect shown(0, 0, w.window->width() - client->x(), bar->y() - client->y());
    for (const QWidget *control : client->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (control->isVisible() && control->x() < w.child("rtbDisplay")->x())
            QVERIFY2(shown.contains(control->geometry()), qPrintable(control->objectName()));
    }
    // One pixel less and the lowest, "Data being Dropped", would be cut.
    QCOMPARE(w.child("lblDataDrop")->geometry().bottom() + 1, shown.height());

    // The break character window shows the widest token, from an empty hex
    // number, whole in each mode.
    QWidget *window = w.open("mnuBreakCharacter", "frmBreakCharacter");
    QVERIFY(window);
    in<QAbstractButton>(window, "optHexFormat")->click();
    QTest::keyClick(in(window, "txtInput1"), Qt::Key_Return);
    auto *selected = in<QLabel>(window, "lblBreakChar");
    QCOMPARE(selected->text(), QStringLiteral("[NUL]"));
    for (const char *mode : {"optFunction", "optCharacter", "optHexFormat"}) {
        in<QAbstractButton>(window, mode)->click();
        QTRY_VERIFY2(cutText(selected, selected->text()).isEmpty(),
                     qPrintable(cutText(selected, selected->text())));
    }
}

void TestMainWindow::restoreRunAndSaveAgain()
{
    Fixture p;
    LastSetup setup = unusualSetup();
    p.writeSetup(setup);
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
    QVERIFY(p.action("mnuStringSet9")->isChecked());
    QCOMPARE(p.action("mnuStringSet3")->text(), QStringLiteral("  Set && 3\u00A4  "));
    QCOMPARE(p.action("mnuF2String")->text(), QStringLiteral("F2  F2[cr][x8A]\u00FF\t "));

    // The printable break character breaks lines.
    p.window->displayModel().clear();
    p.port->deliverInput("xAy");
    QTRY_COMPARE(p.display(), QByteArray("xA\r\ny"));

    // The colors window shows the restored colors.
    QWidget *colors = p.open("mnuColors", "frmColorSettings");
    QVERIFY(colors);
    QCOMPARE(values(colors, ColorFields, "currentText"),
             (QStringList{"White", "Dark Gray", "Cyan", "Blue", "Black"}));
    QCOMPARE(values(colors, {"lblReceive", "lblRecCharColor", "lblRecFuncColor", "lblXmit",
                             "lblXmitCharColor", "lblXmitFuncColor", "lblBackGround"}),
             (QStringList{"Receive", "Character Color :", "Function Color :", "Transmit",
                          "Character Color :", "Function Color :", "Background Color :"}));
    const QStringList offered{"Black", "White",   "Blue", "Dark Blue",  "Yellow",
                              "Green", "Magenta", "Cyan", "Light Gray", "Dark Gray"};
    for (const char *field : ColorFields) {
        QStringList items;
        for (int i = 0; i < in<QComboBox>(colors, field)->count(); ++i)
            items << in<QComboBox>(colors, field)->itemText(i);
        QCOMPARE(items, offered);
    }

    // Default only fills in the names; Escape applies nothing.
    in<QPushButton>(colors, "cmdDefault")->click();
    QCOMPARE(values(colors, ColorFields, "currentText"),
             (QStringList{"Light Gray", "Yellow", "Green", "Magenta", "Dark Blue"}));
    QTest::keyClick(in(colors, "cboRecFuncColor"), Qt::Key_Escape);
    QTRY_VERIFY(!in(p.window.get(), "frmColorSettings"));
    QTRY_COMPARE(QApplication::activeWindow(), p.window.get());
    colors = p.open("mnuColors", "frmColorSettings");
    // A typed name that is not in the table is refused, and nothing changes.
    const char *const chosen[] = {"Yellow", "Dark Gray", "Green", "cyan", "Light Gray"};
    for (int i = 0; i < 5; ++i)
        in<QComboBox>(colors, ColorFields[i])->setEditText(QLatin1String(chosen[i]));
    in<QPushButton>(colors, "cmdSave")->click();
    QCOMPARE(p.services.messageBoxes.shown,
             QStringList{"\"cyan\" is not a color name: choose one from the list."});
    QVERIFY(colors->isVisible());
    QCOMPARE(colorsOf(*p.window), setup.colors);
    // Every name of the table is taken, also one the lists do not offer.
    in<QComboBox>(colors, ColorFields[3])->setEditText(QStringLiteral("Red"));
    in<QPushButton>(colors, "cmdSave")->click();
    QTRY_VERIFY(!in(p.window.get(), "frmColorSettings"));
    QCOMPARE(p.services.messageBoxes.shown.size(), 1);
    setup.colors = {ColorValue::Yellow, ColorValue::SystemGrayText, ColorValue::Green,
                    ColorValue::Red, ColorValue::SystemButtonFace};
    QCOMPARE(colorsOf(*p.window), setup.colors);
    // The background repaints at once; the system button face is light gray.
    QWidget *viewport = p.view()->viewport();
    QCOMPARE(viewport->grab().toImage().pixelColor(viewport->rect().center()),
             QColor(Qt::lightGray));
    QTRY_COMPARE(QApplication::activeWindow(), p.window.get());
    // Text already shown keeps its color, new text takes the new one.
    QTest::keyClick(p.view(), 'n');
    QCOMPARE(p.display(), QByteArray("xA\r\nyn"));
    QCOMPARE(p.window->displayModel().colorSpanAt(0).color, ColorValue::White);
    QCOMPARE(p.window->displayModel().colorSpanAt(5).color, ColorValue::Green);

    // The new colors, and a mark changed during the run, are what the files keep.
    p.action("mnuHexView")->setChecked(true);
    added.hexView = true;
    p.window->close();
    QCOMPARE(fileContent(p.setupPath()), SetupFormat::write(setup));
    QCOMPARE(AddedOptionsFile(p.optionsPath()).read(), added);
}

void TestMainWindow::spareSetAndPortArgument()
{
    Fixture p;
    LastSetup setup;
    setup.strings.setCurrentSet(StringSetStore::SpareSet);
    p.writeSetup(setup);
    QVERIFY(p.load(QStringLiteral("/dev/ttyACM3")));

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

void TestMainWindow::shutdownOrder()
{
    Window w(std::make_unique<ObservedPort>());
    auto *observed = static_cast<ObservedPort *>(w.port);
    frmMain &window = *w.window;
    window.setSetupFolder(w.setupFolder.path());
    window.Form_Load();
    for (const char *item : {"mnuBreakCharacter", "mnuColors", "mnuStrings", "mnuAbout"})
        w.action(item)->trigger();
    in<QAction>(in(&window, "frmStrings"), "mnuHelp")->trigger();
    const QList<const char *> secondary{"frmBreakCharacter", "frmColorSettings", "frmStrings",
                                        "frmStringsHelp", "frmAbout"};
    QCOMPARE(values(&window, secondary, "windowTitle"),
             (QStringList{"Select the character you wish to break after", "Color Settings",
                          "String Setup", "How to use Strings", "About Wirelook"}));
    QWidget *about = in(&window, "frmAbout");
    QCOMPARE(in<QLabel>(about, "lblRev")->text(), QStringLiteral("Revision: 1.3.00"));
    QCOMPARE(in<QLabel>(about, "Label1")->text(),
             QStringLiteral("Wirelook serial communications program"));

    // The setup saved first, then the port closed while the other windows are still open.
    QByteArray saved;
    int open = 0;
    observed->onClose = [&] {
        saved = fileContent(SetupFile(w.setupFolder.path()).path());
        for (const char *name : secondary)
            open += in(&window, name)->isVisible() ? 1 : 0;
    };
    window.close();
    observed->onClose = nullptr;
    QCOMPARE(saved, SetupFormat::write(LastSetup()));
    QCOMPARE(open, 5);
    for (const char *name : secondary)
        QTRY_VERIFY2(!in(&window, name), name);
    observed->deliverInput("after exit");
    QVERIFY(!in<QTimer>(&window, "Timer1")->isActive());

    // A window that ends without being closed saves nothing.
    Loaded ended;
    ended.window.reset();
    QVERIFY(!QFile::exists(ended.setupPath()));
}

void TestMainWindow::breakCharacterWindow()
{
    Loaded p;
    QWidget *window = p.open("mnuBreakCharacter", "frmBreakCharacter");
    QVERIFY(window);
    QCOMPARE(in<QLabel>(window, "lblChooseFormatCaption")->text(),
             QString(12, QLatin1Char(' ')) + "You can set the Break Character 1 of 3 ways." +
                 QString(15, QLatin1Char(' ')) +
                 "Select the chacter type then the character you  want");
    QCOMPARE(in<QGroupBox>(window, "fraSelectedChar")->title(),
             QStringLiteral("Presently Selected Character"));
    QCOMPARE(in<QLabel>(window, "lblBreakChar")->font().family(), QStringLiteral("Arial"));
    const QList<const char *> modes{"optFunction", "optCharacter", "optHexFormat"};
    QCOMPARE(values(window, modes), (QStringList{"Function", "Character", "Hex number"}));
    QCOMPARE(values(window, modes, "checked"), QStringList(3, QStringLiteral("false")));

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

void TestMainWindow::breakCharacterTyping_data()
{
    // Steps: a button's name, "type:" or "paste:" text, "Enter" (the key in the
    // box), "spc" (the [SPC] space option). Save hands the choice to the display.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("message");

    const QString none;
    const QString oneCharacter = QStringLiteral("Only enter 1 character");
    const QString breakMe = QStringLiteral("Your trying to break me arn't you?");
    const auto row = [](const char *name, QStringList steps, const char *selected,
                        const QString &message) {
        QTest::newRow(name) << steps << QString::fromLatin1(selected) << message;
    };
    row("character typed twice", {"optCharacter", "type:AB"}, "[CR ]", oneCharacter);
    row("character blank", {"spc", "optCharacter", "type: ", "cmdEnter"}, " ", none);
    row("character e-acute", {"optCharacter", QStringLiteral("paste:") + QChar(0xE9), "Enter"},
        "[xE9]", none);
    row("character mode, empty box", {"optCharacter", "Enter"}, "[CR ]", none);
    row("hex ff", {"optHexFormat", "type:ff", "cmdEnter"}, "[xFF]", none);
    row("hex, third character", {"optHexFormat", "type:1B2"}, "[CR ]", breakMe);
    row("hex, empty box", {"optHexFormat", "Enter"}, "[NUL]", none);
    row("character A read as hex", {"optCharacter", "type:A", "optHexFormat", "Enter"}, "[LF ]",
        none);
}

void TestMainWindow::breakCharacterTyping()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, selected);
    QFETCH(QString, message);
    Loaded p;
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
    QCOMPARE(input->text(), QString()); // the box is emptied whatever came of it
    in<QPushButton>(window, "cmdSave")->click();
    QCOMPARE(p.window->ReturnBreakCharacter(), selected.toLatin1());
}

void TestMainWindow::stringsWindowStores_data()
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

void TestMainWindow::stringsWindowStores()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, facts);
    QFETCH(int, mainChecked);
    QFETCH(bool, answer);
    Loaded s;
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
    // F1 sends the current set's string.
    s.port->written.clear();
    QTest::keyClick(s.child("rtbDisplay"), Qt::Key_F1);
    QTRY_COMPARE(s.port->written, s.store().decoded(s.store().currentSet(), 0));
}

void TestMainWindow::stringsWindowFieldsAndHelp()
{
    // The window opens on the current set.
    Loaded s;
    frmStrings *strings = s.strings();
    QVERIFY(strings);
    QCOMPARE(in<QLineEdit>(strings, "txtSetName")->text(), QStringLiteral("Sample String Set"));
    QCOMPARE(keyField(strings, 0)->text(), QStringLiteral("Here is a string example[CR]"));
    QCOMPARE(in<QAction>(strings, "mnuStringSet9")->text(), QStringLiteral("String Set Number 10"));
    QCOMPARE(in<QLabel>(strings, "lblF12")->text(), QStringLiteral("F12 :"));
    // Opening again brings up the same window.
    QCOMPARE(s.strings(), strings);

    in<QAction>(strings, "mnuHelp")->trigger();
    auto *help = in(strings, "frmStringsHelp");
    QVERIFY(help);
    QCOMPARE(values(help, {"Label1", "Label2", "Label3", "Label4", "Label5"}),
             (QStringList{"Strings page is to setup Function keys to transmit whole strings "
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

    // The fields take only Latin-1.
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
}

// The offscreen screen is configured, so that sizes in pixels are the same on every machine.
// WIRELOOK_TEST_DPI may give its resolution as "logical dpi[/base dpi]"; a base below the
// logical resolution makes Qt scale by their ratio, as a desktop's scale factor does.
int main(int argc, char *argv[])
{
    QTemporaryDir config;
    QFile file(config.filePath(QStringLiteral("screens.json")));
    if (!config.isValid() || !file.open(QIODevice::WriteOnly))
        return 1;
    const QStringList dpi =
        qEnvironmentVariable("WIRELOOK_TEST_DPI", QStringLiteral("120")).split(QLatin1Char('/'));
    file.write(QStringLiteral(R"({"windowFrameMargins": true, "screens": [{"name": "screen",
        "x": 0, "y": 0, "width": 1280, "height": 1024, "logicalDpi": %1, "logicalBaseDpi": %2,
        "dpr": 1}]})")
                   .arg(dpi.first(), dpi.last())
                   .toLatin1());
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(file.fileName()));

    QApplication app(argc, argv);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"
