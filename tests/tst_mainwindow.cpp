#include "DisplayLayout.h"
#include "DisplayView.h"
#include "HexView.h"
#include "MainWindowFixture.h"
#include "PanelStatusBar.h"
#include "TokenRunWriter.h"
#include "X11LockKeys.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QMenuBar>
#include <QScreen>
#include <QStyleOptionButton>

// The tests run on an offscreen screen of 1280 x 1024 pixels at 120 dots per
// inch, so one pixel is exactly 12 twips; the offscreen frame adds 2 pixels on
// every side of a window.
namespace {

constexpr int ScreenWidth = 1280;
constexpr int ScreenHeight = 1024;

struct Fixture : Window
{
    DisplayView *view() const { return child<DisplayView>("rtbDisplay"); }
    PanelStatusBar *statusBar() const { return child<PanelStatusBar>("StatusBar1"); }
    void write(const QByteArray &bytes)
    {
        TokenRunWriter(window->displayModel(), window->displayOptions())
            .write(bytes, ColorValue::Green, ColorValue::Magenta);
    }
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

// The layout tests run again on screens of other resolutions (CMakeLists.txt);
// they need the window's own font.
bool fontInstalled(const QWidget &window)
{
    return QFontInfo(window.font()).family() == window.font().family();
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
    void controls();
    void menus();
    void startsCenteredWithTheDisplayFocused();
    void resetDisplaySize_data();
    void resetDisplaySize();
    void clearing();
    void copy();
    void hexViewTakesTheDisplaysPlace();
    void optionMenus_data();
    void optionMenus();
    void backgroundRepaintsAtOnce();
    void statusBarFollowsTheClockAndLockKeys();
    void lockKeySources_data();
    void lockKeySources();
    void captionsFitAndTheLeftColumnStaysWhole();
    void breakCharacterShowsWhole();
};

void TestMainWindow::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestMainWindow::controls()
{
    // "name caption", a combo box's current text as its caption; hidden ones marked.
    Fixture f;
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
                               "txtStandard Text1 (hidden)",
                               "cboPortNumber 1",
                               "cboBaud 9600",
                               "cboParity cboParity",
                               "cboDataBits cboDataBits",
                               "cboStopBits cboStopBits",
                               "cboHandShaking cboHandShaking"};
    QStringList shown;
    for (const QString &line : expected) {
        QWidget *control = f.child(qPrintable(line.section(QLatin1Char(' '), 0, 0)));
        const bool box = qobject_cast<const QComboBox *>(control);
        shown << control->objectName() + QLatin1Char(' ') +
                     control->property(box ? "currentText" : "text").toString() +
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

    // The places the design gives, in pixels.
    const std::pair<const char *, QRect> places[] = {
        {"cmdPortState", {4, 314, 100, 26}}, {"cmdRTSstate", {4, 356, 100, 26}},
        {"lblCTSstate", {4, 398, 100, 26}},  {"cmdClearScreen", {4, 440, 100, 28}},
        {"cmdPurge", {5, 483, 100, 28}},     {"lblDataDrop", {6, 518, 98, 39}},
        {"cboPortNumber", {3, 21, 100, 26}}, {"cboBaud", {5, 70, 100, 26}},
        {"cboParity", {4, 119, 100, 26}},    {"cboDataBits", {4, 168, 100, 26}},
        {"cboStopBits", {4, 217, 100, 26}},  {"cboHandShaking", {5, 265, 100, 26}}};
    for (const auto &[name, place] : places)
        QCOMPARE(f.child(name)->geometry(), place);

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
}

void TestMainWindow::menus()
{
    // The menus as the user first meets them, loaded without a setup file.
    Fixture f;
    QVERIFY(f.load());
    QStringList expected{"mnuFile &File",
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
        expected << QStringLiteral("    mnu%1 %1").arg(QLatin1String(preset));
    expected << "mnuSelectStringSet &Select String Set"
             << "  mnuStringSet0 Sample String Set [x]";
    for (int set = 1; set < 10; ++set)
        expected
            << QStringLiteral("  mnuStringSet%1 String Set Number %2 [ ]").arg(set).arg(set + 1);
    expected << "mnuViewStrings &View Strings"
             << "  mnuF1String F1 Here is a string example[CR]"
             << "  mnuF2String F2 Here is another.... [0x80][x0d]";
    for (int key = 3; key <= 12; ++key)
        expected << QStringLiteral("  mnuF%1String F%1 ").arg(key);
    expected << "mnuHelp &Help"
             << "  mnuGeneral &General"
             << "  mnuAbout &About";
    QCOMPARE(outline(f.window->menuBar()), expected);
}

void TestMainWindow::startsCenteredWithTheDisplayFocused()
{
    // Even on a port that cannot be opened.
    Fixture f;
    f.port->refuseOpen = CommError::NoSuchPort;
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Wirelook....."));
    QVERIFY(!f.view()->isVisible());
    QVERIFY(f.load());
    QCOMPARE(f.services.messageBoxes.shown.size(), 1);

    const QRect outer = f.window->frameGeometry();
    QVERIFY(outer.width() > f.window->width());
    QVERIFY(outer.left() > 0 && qAbs(outer.left() + outer.right() + 1 - ScreenWidth) <= 1);
    QVERIFY(outer.top() > 0 && qAbs(outer.top() + outer.bottom() + 1 - ScreenHeight) <= 1);
    QCOMPARE(QApplication::focusWidget(), f.view());
    // The display is also first in the tab order.
    QWidget *first = f.window.get();
    do
        first = first->nextInFocusChain();
    while (!(first->focusPolicy() & Qt::TabFocus));
    QCOMPARE(first, f.view());

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

    Fixture f;
    QVERIFY(f.load());
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

void TestMainWindow::clearing()
{
    // Clear Display keeps the focus where it is; Clear Screen focuses the display.
    Fixture f;
    QVERIFY(f.load());
    for (const bool button : {false, true}) {
        f.window->PutInDisplay("first", ColorValue::Green);
        f.window->PutInDisplay("[CR ]", ColorValue::Yellow);
        f.child("cboBaud")->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), f.child("cboBaud"));
        if (button)
            QTest::mouseClick(f.child("cmdClearScreen"), Qt::LeftButton);
        else
            f.action("mnuClearDisplay")->trigger();
        QCOMPARE(f.window->displayModel().length(), 0);
        QCOMPARE(QApplication::focusWidget(), f.child(button ? "rtbDisplay" : "cboBaud"));
    }
}

void TestMainWindow::copy()
{
    Fixture f;
    QVERIFY(f.load());
    quint32 color = 1;
    for (const char *text : {"AB", "[CR ]", "C \xE9", "[xA4]"})
        f.window->PutInDisplay(text, color++);
    // The keys on the display copy all of it, in Latin-1.
    QCOMPARE(QApplication::focusWidget(), f.view());
    QTest::keyClick(f.view(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(f.view(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget(), f.view());
    QCOMPARE(f.services.clipboard.text, QString::fromUtf8("AB[CR ]\nC \xC3\xA9[xA4]"));
    // A selection across the line break, then nothing selected.
    for (const auto &[start, copied] : {std::pair(6, "]\nC"), {0, ""}}) {
        f.window->displayModel().setSelection(start, start ? 4 : 0);
        f.action("mnuCopy")->trigger();
        QCOMPARE(f.services.clipboard.text, QLatin1String(copied));
    }
    QCOMPARE(f.services.clipboard.setCount, 3);
}

void TestMainWindow::hexViewTakesTheDisplaysPlace()
{
    Fixture f;
    QVERIFY(f.load());
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
    const HexHistory &history = f.window->hexHistory();
    const QString rows =
        QString::fromLatin1(history.text(history.firstRow(), history.endRow() - 1));
    QCOMPARE(f.services.clipboard.text, QString(rows).replace(QStringLiteral("\r\n"), "\n"));
    QVERIFY(rows.contains(QStringLiteral(" < 41 42 0D ")));
    QVERIFY(rows.contains(QStringLiteral(" > 7A 46 31 21 0D ")));
    const QByteArray shown = "AB[CR ]\r\nzF1![CR ]\r\n";
    QCOMPARE(f.display(), shown);
    QCOMPARE(f.window->displayModel().selectionLength(), 0);

    // Save reads the text display whichever view is shown.
    QTemporaryDir dir;
    f.services.fileDialogs.answer = dir.filePath(QStringLiteral("display.txt"));
    f.action("mnuSaveText")->trigger();
    QFile saved(f.services.fileDialogs.answer);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), shown + "\r\n");

    f.action("mnuHexView")->trigger();
    QVERIFY(!hex->isVisible());
    QCOMPARE(QApplication::focusWidget(), f.view());
    QCOMPARE(f.display(), shown);
    f.action("mnuClearDisplay")->trigger();
    QCOMPARE(history.endRow(), history.firstRow());
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
    const QString show = QStringLiteral("mnuShowFunctionCharacters");
    row("design state", {}, "100110", "[SOH] ");
    row("[SPC] twice", {"mnuSpcString", "mnuSpcString"}, "010110", "[SOH][SPC]");
    row("currency sign", {"mnuSpcString", "mnuSpcSpecialChar"}, "001110", "[SOH]\xA4");
    row("function characters hidden", {show}, "100010", " ");
    row("full strings twice", {"mnuFullStrings", "mnuFullStrings"}, "100101", "[SOH] ");
    row("receive interrupts again", {"mnuFullStrings", "mnuReceiveInterruptsAllowed"}, "100110",
        "[SOH] ");
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

void TestMainWindow::backgroundRepaintsAtOnce()
{
    Fixture f;
    QVERIFY(f.load());
    QWidget *viewport = f.view()->viewport();
    const QPoint middle = viewport->rect().center();
    QCOMPARE(viewport->grab().toImage().pixelColor(middle), QColor(0, 0, 0x80));
    f.window->PutInDisplay("text", ColorValue::Green);
    // A plain color is 0x00BBGGRR; the system button face is light gray.
    for (const auto &[color, shown] : {std::pair(quint32(0x00336699), QColor(0x99, 0x66, 0x33)),
                                       {quint32(0x8000000F), QColor(0xC0, 0xC0, 0xC0)}}) {
        f.window->SetBackGroundColor(color);
        QCOMPARE(f.window->ReturnBackGroundColor(), color);
        QCOMPARE(viewport->grab().toImage().pixelColor(middle), shown);
    }
}

void TestMainWindow::statusBarFollowsTheClockAndLockKeys()
{
    Fixture f;
    f.lockKeys->num = true;
    QVERIFY(f.load());
    // Six panels of 1440 twips side by side at the bottom of the window; the
    // multiplier text widens its panel, and the lock panels give up the room.
    PanelStatusBar *bar = f.statusBar();
    QCOMPARE(bar->height(), 21);
    QCOMPARE(bar->y() + bar->height(), f.window->height());
    QStringList texts;
    for (int number = 1; number <= PanelStatusBar::PanelCount; ++number) {
        const QWidget *panel = bar->panel(number);
        if (number >= 3)
            QCOMPARE(panel->width(), std::max(120, panel->sizeHint().width()));
        if (number > 1)
            QCOMPARE(panel->x(), bar->panel(number - 1)->geometry().right() + 1);
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
    QCOMPARE(bar->panelText(1) + bar->panelText(2), QStringLiteral("NUMCAPS"));
    QVERIFY(bar->panel(1)->toolTip().isEmpty());

    // Where nothing tells the lock keys, both are dimmed and say so.
    f.lockKeys->known = false;
    f.lockKeys->num = true;
    QTRY_VERIFY(!bar->panel(2)->isEnabled());
    QVERIFY(!bar->panel(1)->isEnabled());
    QCOMPARE(bar->panel(1)->toolTip(), QStringLiteral("Lock keys unknown on this system"));
    QCOMPARE(bar->panel(2)->toolTip(), bar->panel(1)->toolTip());
}

void TestMainWindow::lockKeySources_data()
{
    // The LED folders as "device=brightness", then a second source as "known num caps"
    // flags: the first source that knows is asked.
    QTest::addColumn<QStringList>("leds");
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("available");
    QTest::addColumn<bool>("num");
    QTest::addColumn<bool>("caps");

    const auto row = [](const char *name, const QStringList &leds, const char *second,
                        bool available, bool num, bool caps) {
        QTest::newRow(name) << leds << QString::fromLatin1(second) << available << num << caps;
    };
    row("no LED folder", {}, "101", true, false, true);
    row("any keyboard lit", {"input3::numlock=0\n", "input9::numlock=1\n", "input9::capslock=255"},
        "011", true, true, true);
    row("other LEDs ignored, none knows",
        {"input3::scrolllock=1", "phy0-led=1", "input3::numlock-x=1"}, "011", false, false, false);
}

void TestMainWindow::lockKeySources()
{
    QFETCH(QStringList, leds);
    QFETCH(QString, second);

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
    sources.push_back(
        std::make_unique<FakeLockKeys>(second[0] == u'1', second[1] == u'1', second[2] == u'1'));
    const FirstAvailableLockKeys keys(std::move(sources));
    QTEST(keys.available(), "available");
    QTEST(keys.numLock(), "num");
    QTEST(keys.capsLock(), "caps");

    QVERIFY(!FirstAvailableLockKeys({}).available());
    // Off screen there is no X server to ask.
    QVERIFY(!x11LockKeys());
}

void TestMainWindow::captionsFitAndTheLeftColumnStaysWhole()
{
    Window w;
    if (!fontInstalled(*w.window))
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
}

void TestMainWindow::breakCharacterShowsWhole()
{
    Window w;
    if (!fontInstalled(*w.window))
        QSKIP("The window's font is not installed; scripts/setup.sh installs it.");
    w.start();
    QWidget *window = w.open("mnuBreakCharacter", "frmBreakCharacter");
    QVERIFY(window);
    // The widest token, from an empty hex number, in each mode.
    window->findChild<QAbstractButton *>(QStringLiteral("optHexFormat"))->click();
    QTest::keyClick(window->findChild<QWidget *>(QStringLiteral("txtInput1")), Qt::Key_Return);
    auto *selected = window->findChild<QLabel *>(QStringLiteral("lblBreakChar"));
    QCOMPARE(selected->text(), QStringLiteral("[NUL]"));
    for (const char *mode : {"optFunction", "optCharacter", "optHexFormat"}) {
        window->findChild<QAbstractButton *>(QLatin1String(mode))->click();
        QTRY_VERIFY2(cutText(selected, selected->text()).isEmpty(),
                     qPrintable(mode + QLatin1Char(' ') + cutText(selected, selected->text())));
    }
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
