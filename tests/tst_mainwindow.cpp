#include "BackColor.h"
#include "DisplayView.h"
#include "LockKeys.h"
#include "PanelStatusBar.h"
#include "SystemServices.h"
#include "FakeCommPort.h"
#include "TestServices.h"
#include "TokenRunWriter.h"
#include "frmMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

// The tests run on an offscreen screen of 1280 x 1024 pixels at 120 dots per
// inch, so one pixel is exactly 12 twips; the offscreen frame adds 2 pixels on
// every side of a window.
namespace {

constexpr int ScreenWidth = 1280;
constexpr int ScreenHeight = 1024;
constexpr int TwipsPerPixel = 12;

class FakeLockKeys : public LockKeys
{
public:
    bool numLock() const override { return num; }
    bool capsLock() const override { return caps; }
    bool num = false;
    bool caps = false;
};

// A main window with recording services and fake lock keys.
struct Fixture
{
    TestServices services;
    FakeLockKeys *lockKeys = nullptr;
    std::unique_ptr<frmMain> window;

    Fixture()
    {
        auto keys = std::make_unique<FakeLockKeys>();
        lockKeys = keys.get();
        window = std::make_unique<frmMain>(services.services(), std::make_unique<FakeCommPort>(),
                                           std::move(keys));
    }

    template <typename T = QWidget> T *child(const QString &name) const
    {
        return window->findChild<T *>(name);
    }
    DisplayView *display() const { return child<DisplayView>(QStringLiteral("rtbDisplay")); }
    PanelStatusBar *statusBar() const
    {
        return child<PanelStatusBar>(QStringLiteral("StatusBar1"));
    }

    // Shows the window as created, before the load handler has run.
    bool showAsDesigned()
    {
        window->show();
        return QTest::qWaitForWindowExposed(window.get());
    }

    // Runs the load handler and waits until the window is active.
    bool load()
    {
        window->Form_Load();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }
};

// The menu or menu bar that holds an item, and the item's place in it.
struct MenuPlace
{
    QWidget *container = nullptr;
    qsizetype index = -1;
};

MenuPlace placeOf(const frmMain &window, QAction *item)
{
    for (QWidget *container : window.findChildren<QWidget *>()) {
        if (!qobject_cast<QMenu *>(container) && !qobject_cast<QMenuBar *>(container))
            continue;
        const qsizetype index = container->actions().indexOf(item);
        if (index >= 0)
            return {container, index};
    }
    return {};
}

QString textOf(DisplayModel &model)
{
    return QString::fromLatin1(model.text());
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void controls_data();
    void controls();
    void comboBoxes_data();
    void comboBoxes();
    void coloredButtons_data();
    void coloredButtons();
    void menus_data();
    void menus();
    void timers_data();
    void timers();
    void designedWindow();
    void startsCenteredWithTheDisplayFocused();
    void resetDisplaySize_data();
    void resetDisplaySize();
    void clearing_data();
    void clearing();
    void copy_data();
    void copy();
    void editShortcutsFromTheDisplay();
    void copyReachesTheSystemClipboard();
    void showFunctionCharactersAffectsLaterText();
    void spaceOption_data();
    void spaceOption();
    void breakCharacter_data();
    void breakCharacter();
    void colors_data();
    void colors();
    void backgroundRepaintsAtOnce_data();
    void backgroundRepaintsAtOnce();
    void statusBarFollowsTheClock();
    void statusBarFollowsTheLockKeys_data();
    void statusBarFollowsTheLockKeys();
    void sysfsLockKeys_data();
    void sysfsLockKeys();
    void exitClosesTheWindow();
};

void TestMainWindow::initTestCase()
{
    QCOMPARE(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, ScreenWidth, ScreenHeight));
    QCOMPARE(QGuiApplication::primaryScreen()->logicalDotsPerInch(), 1440.0 / TwipsPerPixel);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestMainWindow::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<QRect>("place"); // pixels; null where the place is not designed

    const auto row = [](const char *name, const char *kind, const char *caption, bool visible,
                        QRect place = {}) {
        QTest::newRow(name) << QString::fromLatin1(name) << QByteArray(kind)
                            << QString::fromLatin1(caption) << visible << place;
    };
    row("cmdPortState", "QPushButton", "Port Busy", true, {4, 314, 100, 26});
    row("cmdRTSstate", "QPushButton", "RTS ?", true, {4, 356, 100, 26});
    row("lblCTSstate", "QLabel", "CTS ?", true, {4, 398, 100, 26});
    row("cmdClearScreen", "QPushButton", "Clear Screen", true, {4, 440, 100, 28});
    row("cmdPurge", "QPushButton", "Data Purge", true, {5, 483, 100, 28});
    row("lblDataDrop", "QLabel", "Data being Dropped", false, {6, 518, 98, 39});
    row("lblPortNumber", "QLabel", "Port Number", true);
    row("lblBaudCaption", "QLabel", "Baud Rate", true);
    row("lblParityCaption", "QLabel", "Parity", true);
    row("lblDataBitsCaption", "QLabel", "Data Bits", true);
    row("lblStopBits", "QLabel", "Stop Bits", true);
    row("lblHandShakingCaption", "QLabel", "Hand Shaking", true);
    row("cmdSetStandard", "QPushButton", "Set Standard", false);
    row("cmdExitTest", "QPushButton", "Exit Test", false);
    row("lblGoodCountCaption", "QLabel", "Good Count :", false);
    row("lblGoodCount", "QLabel", "0", false);
    row("lblBadCountCaption", "QLabel", "Bad Count :", false);
    row("lblBadCount", "QLabel", "0", false);
    row("chkBadHold", "QCheckBox", "Hold Bad Reads", false);
    row("txtStandard", "QLineEdit", "Text1", false);
}

void TestMainWindow::controls()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, kind);
    QFETCH(QString, caption);
    QFETCH(bool, visible);
    QFETCH(QRect, place);

    Fixture f;
    QVERIFY(f.showAsDesigned());
    QWidget *control = f.child(name);
    QVERIFY(control);
    QVERIFY(control->inherits(kind));
    QString text;
    if (auto *button = qobject_cast<QAbstractButton *>(control))
        text = button->text();
    else if (auto *label = qobject_cast<QLabel *>(control))
        text = label->text();
    else if (auto *edit = qobject_cast<QLineEdit *>(control))
        text = edit->text();
    QCOMPARE(text, caption);
    QCOMPARE(control->isVisible(), visible);
    if (!place.isNull())
        QCOMPARE(control->geometry(), place);
}

void TestMainWindow::comboBoxes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QRect>("place");

    QTest::newRow("cboPortNumber")
        << "cboPortNumber"
        << "1" << QStringList{"1", "2", "3", "4", "5", "6", "7", "8"} << QRect(3, 21, 100, 26);
    QTest::newRow("cboBaud") << "cboBaud"
                             << "9600" << QStringList{"256000", "128000", "115200 ", "57600 ",
                                                      "56000 ", "38400 ", "28800 ",  "19200 ",
                                                      "14400 ", "9600",   "4800 ",   "2400 ",
                                                      "1200 ",  "600 ",   "300",     "110 "}
                             << QRect(5, 70, 100, 26);
    QTest::newRow("cboParity") << "cboParity"
                               << "cboParity" << QStringList{"None", "Even", "Odd", "Mark", "Space"}
                               << QRect(4, 119, 100, 26);
    QTest::newRow("cboDataBits") << "cboDataBits"
                                 << "cboDataBits" << QStringList{"4", "5", "6", "7", "8"}
                                 << QRect(4, 168, 100, 26);
    QTest::newRow("cboStopBits") << "cboStopBits"
                                 << "cboStopBits" << QStringList{"2", "1.5", "1"}
                                 << QRect(4, 217, 100, 26);
    QTest::newRow("cboHandShaking")
        << "cboHandShaking"
        << "cboHandShaking" << QStringList{"0-None", "1-Xon Xoff", "2-Rts Cts", "3-Both"}
        << QRect(5, 265, 100, 26);
}

void TestMainWindow::comboBoxes()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QStringList, items);
    QFETCH(QRect, place);

    Fixture f;
    QVERIFY(f.showAsDesigned());
    auto *box = f.child<QComboBox>(name);
    QVERIFY(box);
    QVERIFY(box->isVisible());
    QVERIFY(box->isEditable());
    QCOMPARE(box->currentText(), text);
    QStringList listed;
    for (int i = 0; i < box->count(); ++i)
        listed << box->itemText(i);
    // The port list goes on with the serial devices that this machine reports.
    if (name == QLatin1String("cboPortNumber"))
        listed = listed.mid(0, items.size());
    QCOMPARE(listed, items);
    QCOMPARE(box->geometry(), place);

    // Typing a text that is not listed neither adds it to the list nor loses it.
    box->setFocus();
    box->lineEdit()->selectAll();
    QTest::keyClicks(box, QStringLiteral("4711"));
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(box->currentText(), QStringLiteral("4711"));
    QCOMPARE(box->itemText(box->count() - 1) == QLatin1String("4711"), false);
}

void TestMainWindow::coloredButtons_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("cmdPortState") << "cmdPortState";
    QTest::newRow("cmdRTSstate") << "cmdRTSstate";
}

void TestMainWindow::coloredButtons()
{
    QFETCH(QString, name);

    Fixture f;
    QVERIFY(f.showAsDesigned());
    auto *button = f.child<QPushButton>(name);
    QVERIFY(button);
    QCOMPARE(BackColor::of(button), ColorValue::Yellow);
    QCOMPARE(button->property("colorValue").value<quint32>(), ColorValue::Yellow);
    // The face is painted yellow; its left edge holds no text.
    const QImage face = button->grab().toImage();
    QCOMPARE(face.pixelColor(4, face.height() / 2), QColor(Qt::yellow));

    BackColor::set(button, ColorValue::Green);
    QCOMPARE(BackColor::of(button), ColorValue::Green);
    QCOMPARE(button->grab().toImage().pixelColor(4, face.height() / 2), QColor(Qt::green));

    // A control never colored reads as the button face.
    QCOMPARE(BackColor::of(f.child(QStringLiteral("cmdPurge"))), ColorValue::SystemButtonFace);
}

void TestMainWindow::menus_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container"); // the holding menu; empty for the menu bar
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<int>("check"); // -1 not checkable, 0 unchecked, 1 checked

    const auto row = [](const QString &name, const QString &container, int index,
                        const QString &caption, const QString &shortcut = {}, int check = -1) {
        QTest::newRow(qPrintable(name))
            << name << container << index << caption << shortcut << check;
    };
    const QString bar;
    row("mnuFile", bar, 0, "&File");
    row("mnuSave", "mnuFile", 0, "&Save To File");
    row("mnuSaveAscii", "mnuSave", 0, "&Ascii Format");
    row("mnuSaveText", "mnuSave", 1, "&Text Format");
    row("mnuTransmitFile", "mnuFile", 1, "&Transmit a File");
    row("mnuPrint", "mnuFile", 2, "&Print");
    row("mnuPrintAlldata", "mnuPrint", 0, "&All Data");
    row("mnuPrintSelectedData", "mnuPrint", 1, "&Selected Data");
    row("mnuExit", "mnuFile", 3, "E&xit");
    row("mnuEdit", bar, 1, "&Edit");
    row("mnuSelectAll", "mnuEdit", 0, "Select &All", "Ctrl+A");
    row("mnuCopy", "mnuEdit", 1, "&Copy", "Ctrl+C");
    row("mnuClearDisplay", "mnuEdit", 2, "Clear &Display");
    row("mnuOptions", bar, 2, "&Options");
    row("mnuColors", "mnuOptions", 0, "&Colors");
    row("mnuStrings", "mnuOptions", 1, "&Strings", "Ctrl+S");
    row("mnuTransmitSytle", "mnuOptions", 2, "&Transmit Style");
    row("mnuReceiveInterruptsAllowed", "mnuTransmitSytle", 0, "&Receive Interrupts Allowed", {}, 1);
    row("mnuFullStrings", "mnuTransmitSytle", 1, "&Full Strings Uninterrupted", {}, 0);
    row("mnuBreakCharacter", "mnuOptions", 3, "&Break Character");
    row("mnuSpace", "mnuOptions", 4, "Space& Option");
    row("mnuSpcChar", "mnuSpace", 0, "'& ' Character", {}, 1);
    row("mnuSpcString", "mnuSpace", 1, "[SPC] &String", {}, 0);
    row("mnuSpcSpecialChar", "mnuSpace", 2, QString::fromUtf8("\xC2\xA4 &Character"), {}, 0);
    row("mnuMultiplier", "mnuOptions", 5, "Multiplier &Card");
    row("mnuSingle", "mnuMultiplier", 0, "No Card Installed", {}, 1);
    row("mnuDouble", "mnuMultiplier", 1, "&Doubler", {}, 0);
    row("mnuQuadruple", "mnuMultiplier", 2, "&Quadrupler", {}, 0);
    row("mnuShowFunctionCharacters", "mnuOptions", 6, "Show Function Characters", {}, 1);
    row("mnuTools", bar, 3, "&Tools");
    row("mnuCompareTest", "mnuTools", 0, "&Compare Test");
    row("mnuFindCommSetting", "mnuTools", 1, "&Find Comm Setting");
    row("mnuQuickCommSettings", bar, 4, "&Quick Comm Settings");
    row("mnuQuick9600n81", "mnuQuickCommSettings", 0, "9600 n 8 1");
    row("mnuQuick9600e71", "mnuQuickCommSettings", 1, "9600 e 7 1");
    row("mnuQuick38400n81", "mnuQuickCommSettings", 2, "38400 n 8 1");
    row("mnuQuick1152000n81", "mnuQuickCommSettings", 3, "115200 n 8 1");
    row("mnuQuickParitySettings", "mnuQuickCommSettings", 4, "Parity Settings");
    const QStringList presets = {"Even71", "Even72",  "Even81",  "Odd71",  "Odd72",
                                 "Odd81",  "None81",  "None82",  "Mark71", "Mark72",
                                 "Mark81", "Space71", "Space72", "Space81"};
    for (int i = 0; i < presets.size(); ++i)
        row("mnu" + presets[i], "mnuQuickParitySettings", i, presets[i]);
    row("mnuSelectStringSet", bar, 5, "&Select String Set");
    for (int i = 0; i < 10; ++i)
        row(QStringLiteral("mnuStringSet%1").arg(i), "mnuSelectStringSet", i,
            QStringLiteral("String Set %1").arg(i + 1), {}, 0);
    row("mnuViewStrings", bar, 6, "&View Strings");
    for (int i = 0; i < 12; ++i)
        row(QStringLiteral("mnuF%1String").arg(i + 1), "mnuViewStrings", i,
            QStringLiteral("F%1").arg(i + 1));
    row("mnuHelp", bar, 7, "&Help");
    row("mnuGeneral", "mnuHelp", 0, "&General");
    row("mnuAbout", "mnuHelp", 1, "&About");
}

void TestMainWindow::menus()
{
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(int, index);
    QFETCH(QString, caption);
    QFETCH(QString, shortcut);
    QFETCH(int, check);

    Fixture f;
    QAction *item = f.window->findChild<QAction *>(name);
    if (auto *submenu = f.window->findChild<QMenu *>(name)) {
        QVERIFY(!item);
        QCOMPARE(submenu->title(), caption);
        item = submenu->menuAction();
    }
    QVERIFY(item);
    QCOMPARE(item->text(), caption);
    QCOMPARE(item->shortcut().toString(QKeySequence::PortableText), shortcut);
    QCOMPARE(item->isCheckable(), check >= 0);
    QCOMPARE(item->isChecked(), check == 1);
    QVERIFY(item->isVisible());
    QVERIFY(item->isEnabled());

    const MenuPlace place = placeOf(*f.window, item);
    QVERIFY(place.container);
    QCOMPARE(place.container->objectName(), container);
    if (container.isEmpty())
        QCOMPARE(place.container, f.window->menuBar());
    QCOMPARE(place.index, index);
}

void TestMainWindow::timers_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("interval");
    QTest::newRow("Timer1") << "Timer1" << 1;
    QTest::newRow("tmrTestTimer") << "tmrTestTimer" << 100;
}

void TestMainWindow::timers()
{
    QFETCH(QString, name);
    QFETCH(int, interval);

    Fixture f;
    QVERIFY(f.showAsDesigned());
    auto *timer = f.window->findChild<QTimer *>(name);
    QVERIFY(timer);
    QCOMPARE(timer->interval(), interval);
    QVERIFY(!timer->isActive());
}

void TestMainWindow::designedWindow()
{
    Fixture f;
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Wirelook....."));
    QVERIFY(f.load());

    // The client area below the menu bar, status bar included, is 8895 x 7410 twips.
    QCOMPARE(f.window->centralWidget()->width(), 741);
    QCOMPARE(f.window->centralWidget()->height() + f.statusBar()->height(), 618);
    QCOMPARE(f.statusBar()->height(), 21);
    QCOMPARE(f.statusBar()->y() + f.statusBar()->height(), f.window->height());

    // Six panels of 1440 twips side by side.
    QStringList texts;
    for (int number = 1; number <= PanelStatusBar::PanelCount; ++number) {
        QLabel *panel = f.statusBar()->panel(number);
        QCOMPARE(panel->width(), 120);
        if (number > 1)
            QCOMPARE(panel->x(), f.statusBar()->panel(number - 1)->geometry().right() + 1);
        texts << panel->text();
    }
    QCOMPARE(texts, (QStringList{"NUM", "CAPS", "", "03:04", "02.01.26", ""}));

    // The display sits right of the settings column, first in the tab order.
    QCOMPARE(f.display()->pos(), QPoint(111, 0));
    QWidget *first = f.window.get();
    do
        first = first->nextInFocusChain();
    while (!(first->focusPolicy() & Qt::TabFocus));
    QCOMPARE(first, f.display());
}

void TestMainWindow::startsCenteredWithTheDisplayFocused()
{
    Fixture f;
    QVERIFY(!f.display()->isVisible());
    QVERIFY(f.load());

    const QRect outer = f.window->frameGeometry();
    QVERIFY(outer.width() > f.window->width());
    const int left = outer.left();
    const int right = ScreenWidth - 1 - outer.right();
    const int top = outer.top();
    const int bottom = ScreenHeight - 1 - outer.bottom();
    QVERIFY2(left > 0 && qAbs(left - right) <= 1,
             qPrintable(QStringLiteral("%1 %2").arg(left).arg(right)));
    QVERIFY2(top > 0 && qAbs(top - bottom) <= 1,
             qPrintable(QStringLiteral("%1 %2").arg(top).arg(bottom)));
    QCOMPARE(QApplication::focusWidget(), f.display());
}

void TestMainWindow::resetDisplaySize_data()
{
    // Sizes in pixels of the area below the menu bar; the rules count that area
    // plus 115 twips of width and 700 twips of height for the window's frame,
    // title and menu bar. The status bar is 21 pixels (252 twips) high, the
    // display margin 700 twips.
    QTest::addColumn<QSize>("before");
    QTest::addColumn<QSize>("after");
    QTest::addColumn<QSize>("display");
    QTest::addColumn<int>("buttonTop");  // window height - 1245 twips
    QTest::addColumn<int>("captionTop"); // window height - 1235 twips
    QTest::addColumn<int>("countTop");   // window height - 1270 twips

    QTest::newRow("display meets the status bar and the right edge")
        << QSize(800, 577) << QSize(1000, 677) << QSize(889, 656) << 632 << 632 << 630;
    QTest::newRow("1591 twips wide keeps the width")
        << QSize(800, 577) << QSize(123, 300) << QSize(689, 279) << 255 << 255 << 253;
    QTest::newRow("1603 twips wide sets the width")
        << QSize(800, 577) << QSize(124, 300) << QSize(13, 279) << 255 << 255 << 253;
    QTest::newRow("1048 twips high keeps the height")
        << QSize(800, 577) << QSize(300, 29) << QSize(189, 556) << -16 << -16 << -19;
    QTest::newRow("1060 twips high sets the height")
        << QSize(800, 577) << QSize(300, 30) << QSize(189, 9) << -15 << -15 << -18;
    QTest::newRow("too small both ways keeps the size")
        << QSize(800, 577) << QSize(100, 21) << QSize(689, 556) << -24 << -24 << -27;
}

void TestMainWindow::resetDisplaySize()
{
    QFETCH(QSize, before);
    QFETCH(QSize, after);
    QFETCH(QSize, display);
    QFETCH(int, buttonTop);
    QFETCH(int, captionTop);
    QFETCH(int, countTop);

    Fixture f;
    QVERIFY(f.load());
    const QSize menuBar(0, f.window->menuBar()->height());
    f.window->resize(before + menuBar);
    QTRY_COMPARE(f.window->size(), before + menuBar);
    f.window->resize(after + menuBar);
    QTRY_COMPARE(f.window->size(), after + menuBar);

    QCOMPARE(f.display()->size(), display);
    QCOMPARE(f.display()->pos(), QPoint(111, 0));
    for (const char *name : {"cmdSetStandard", "cmdExitTest"})
        QCOMPARE(f.child(QLatin1String(name))->y(), buttonTop);
    for (const char *name : {"lblGoodCountCaption", "lblBadCountCaption", "chkBadHold"})
        QCOMPARE(f.child(QLatin1String(name))->y(), captionTop);
    for (const char *name : {"lblGoodCount", "lblBadCount"})
        QCOMPARE(f.child(QLatin1String(name))->y(), countTop);
}

void TestMainWindow::clearing_data()
{
    QTest::addColumn<bool>("button");
    QTest::addColumn<QString>("focusAfter");
    QTest::newRow("Clear Display keeps the focus") << false << "cboBaud";
    QTest::newRow("Clear Screen focuses the display") << true << "rtbDisplay";
}

void TestMainWindow::clearing()
{
    QFETCH(bool, button);
    QFETCH(QString, focusAfter);

    Fixture f;
    QVERIFY(f.load());
    f.window->PutInDisplay("first", ColorValue::Green);
    f.window->PutInDisplay("[CR ]", ColorValue::Yellow);
    f.child(QStringLiteral("cboBaud"))->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), f.child(QStringLiteral("cboBaud")));

    if (button)
        QTest::mouseClick(f.child(QStringLiteral("cmdClearScreen")), Qt::LeftButton);
    else
        f.window->findChild<QAction *>(QStringLiteral("mnuClearDisplay"))->trigger();

    QCOMPARE(f.window->displayModel().length(), 0);
    QCOMPARE(f.window->displayModel().lineCount(), 1);
    QCOMPARE(QApplication::focusWidget()->objectName(), focusAfter);

    // New text after clearing starts a fresh display in its own color.
    f.window->PutInDisplay("x", ColorValue::Red);
    QCOMPARE(textOf(f.window->displayModel()), QStringLiteral("x"));
    QCOMPARE(f.window->displayModel().colorSpanAt(0).color, ColorValue::Red);
}

void TestMainWindow::copy_data()
{
    QTest::addColumn<QByteArrayList>("appended");
    QTest::addColumn<int>("start"); // -1: Select All from the menu
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("clipboard");

    const QByteArrayList traffic = {"AB", "[CR ]", "C D", "[xA4]"};
    QTest::newRow("select all") << traffic << -1 << 0 << "AB[CR ]\nC D[xA4]";
    QTest::newRow("nothing selected") << traffic << 0 << 0 << "";
    QTest::newRow("across the line break") << traffic << 6 << 4 << "]\nC";
    QTest::newRow("Latin-1 text") << QByteArrayList{"\xA4 \xE9"} << -1 << 0
                                  << QString::fromUtf8("\xC2\xA4 \xC3\xA9");
    QTest::newRow("empty display") << QByteArrayList{} << -1 << 0 << "";
}

void TestMainWindow::copy()
{
    QFETCH(QByteArrayList, appended);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QString, clipboard);

    Fixture f;
    QVERIFY(f.load());
    quint32 color = 1;
    for (const QByteArray &text : appended)
        f.window->PutInDisplay(text, color++);
    if (start < 0)
        f.window->findChild<QAction *>(QStringLiteral("mnuSelectAll"))->trigger();
    else
        f.window->displayModel().setSelection(start, length);

    f.window->findChild<QAction *>(QStringLiteral("mnuCopy"))->trigger();
    QCOMPARE(f.services.clipboard.setCount, 1);
    QCOMPARE(f.services.clipboard.text, clipboard);
}

void TestMainWindow::editShortcutsFromTheDisplay()
{
    Fixture f;
    QVERIFY(f.load());
    f.window->PutInDisplay("one", ColorValue::Green);
    f.window->PutInDisplay("[CR ]", ColorValue::Magenta);
    f.window->PutInDisplay("two", ColorValue::Green);
    QCOMPARE(QApplication::focusWidget(), f.display());

    QTest::keyClick(f.display(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(f.window->displayModel().selectionStart(), 0);
    QCOMPARE(f.window->displayModel().selectionLength(), f.window->displayModel().length());
    QCOMPARE(QApplication::focusWidget(), f.display());

    QTest::keyClick(f.display(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(f.services.clipboard.text, QStringLiteral("one[CR ]\ntwo"));
}

void TestMainWindow::copyReachesTheSystemClipboard()
{
    SystemServices system;
    frmMain window(system.services(), std::make_unique<FakeCommPort>(),
                   std::make_unique<FakeLockKeys>());
    window.PutInDisplay("line", ColorValue::Green);
    window.PutInDisplay("[CR ]", ColorValue::Magenta);
    window.PutInDisplay("\xA4", ColorValue::Green);
    window.mnuSelectAll_Click();
    window.mnuCopy_Click();
    QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromUtf8("line[CR ]\n\xC2\xA4"));
}

void TestMainWindow::showFunctionCharactersAffectsLaterText()
{
    Fixture f;
    QAction *item = f.window->findChild<QAction *>(QStringLiteral("mnuShowFunctionCharacters"));
    TokenRunWriter writer(f.window->displayModel(), f.window->displayOptions());

    writer.write("\x01"
                 "a",
                 ColorValue::Green, ColorValue::Magenta);
    item->trigger();
    QVERIFY(!item->isChecked());
    writer.write("\x02"
                 "b",
                 ColorValue::Green, ColorValue::Magenta);
    f.window->mnuShowFunctionCharacters_Click();
    QVERIFY(item->isChecked());
    writer.write("\x03"
                 "c",
                 ColorValue::Green, ColorValue::Magenta);

    QCOMPARE(textOf(f.window->displayModel()), QStringLiteral("[SOH]ab[ETX]c"));
}

void TestMainWindow::spaceOption_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("checked");
    QTest::addColumn<QByteArray>("space"); // what a blank shows as afterwards

    QTest::newRow("design state") << QStringList{} << "mnuSpcChar" << QByteArray(" ");
    QTest::newRow("blank again") << QStringList{"mnuSpcChar"} << "mnuSpcChar" << QByteArray(" ");
    QTest::newRow("[SPC]") << QStringList{"mnuSpcString"} << "mnuSpcString" << QByteArray("[SPC]");
    QTest::newRow("[SPC] twice") << QStringList{"mnuSpcString", "mnuSpcString"} << "mnuSpcString"
                                 << QByteArray("[SPC]");
    QTest::newRow("currency sign") << QStringList{"mnuSpcString", "mnuSpcSpecialChar"}
                                   << "mnuSpcSpecialChar" << QByteArray("\xA4");
    QTest::newRow("back to a blank")
        << QStringList{"mnuSpcSpecialChar", "mnuSpcChar"} << "mnuSpcChar" << QByteArray(" ");
}

void TestMainWindow::spaceOption()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, checked);
    QFETCH(QByteArray, space);

    Fixture f;
    TokenRunWriter writer(f.window->displayModel(), f.window->displayOptions());
    writer.write(" ", ColorValue::Green, ColorValue::Magenta);
    for (const QString &click : clicks)
        f.window->findChild<QAction *>(click)->trigger();

    for (const char *name : {"mnuSpcChar", "mnuSpcString", "mnuSpcSpecialChar"}) {
        QAction *item = f.window->findChild<QAction *>(QLatin1String(name));
        QCOMPARE(item->isChecked(), checked == QLatin1String(name));
    }
    writer.write(" ", ColorValue::Green, ColorValue::Magenta);
    QCOMPARE(f.window->displayModel().text(), " " + space);
}

void TestMainWindow::breakCharacter_data()
{
    QTest::addColumn<QByteArray>("breakCharacter"); // empty: the default
    QTest::addColumn<QByteArray>("bytes");          // written as traffic
    QTest::addColumn<QByteArrayList>("appended");   // then appended as they are
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("default [CR ]")
        << QByteArray() << QByteArray("a\r") << QByteArrayList{"[CR ]", "x[CR ]"}
        << QByteArray("a[CR ]\r\n[CR ]\r\nx[CR ]");
    QTest::newRow("a printable A")
        << QByteArray("A") << QByteArray("BAB\r") << QByteArrayList{"A", "[CR ]"}
        << QByteArray("BA\r\nB[CR ]A\r\n[CR ]");
}

void TestMainWindow::breakCharacter()
{
    QFETCH(QByteArray, breakCharacter);
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArrayList, appended);
    QFETCH(QByteArray, text);

    Fixture f;
    QCOMPARE(f.window->ReturnBreakCharacter(), QByteArray("[CR ]"));
    if (!breakCharacter.isEmpty())
        f.window->SetBreakCharacter(breakCharacter);
    const QByteArray expected = breakCharacter.isEmpty() ? QByteArray("[CR ]") : breakCharacter;
    QCOMPARE(f.window->ReturnBreakCharacter(), expected);
    QCOMPARE(f.window->GetBreakCharacter(), expected);

    TokenRunWriter writer(f.window->displayModel(), f.window->displayOptions());
    writer.write(bytes, ColorValue::Green, ColorValue::Magenta);
    for (const QByteArray &piece : appended)
        f.window->PutInDisplay(piece, ColorValue::Red);
    QCOMPARE(f.window->displayModel().text(), text);
}

void TestMainWindow::colors_data()
{
    using Getter = quint32 (frmMain::*)() const;
    QTest::addColumn<Getter>("color");
    QTest::addColumn<quint32>("initial");
    QTest::newRow("receive char") << Getter(&frmMain::ReturnReceiveCharColor) << 0x8000000Fu;
    QTest::newRow("receive func") << Getter(&frmMain::ReturnReceiveFuncColor) << 0x0000FFFFu;
    QTest::newRow("xmit char") << Getter(&frmMain::ReturnXmitCharColor) << 0x0000FF00u;
    QTest::newRow("xmit func") << Getter(&frmMain::ReturnXmitFuncColor) << 0x00FF00FFu;
    QTest::newRow("background") << Getter(&frmMain::ReturnBackGroundColor) << 0x8000000Du;
}

void TestMainWindow::colors()
{
    using Getter = quint32 (frmMain::*)() const;
    QFETCH(Getter, color);
    QFETCH(quint32, initial);

    Fixture f;
    QCOMPARE((*f.window.*color)(), initial);
}

void TestMainWindow::backgroundRepaintsAtOnce_data()
{
    QTest::addColumn<quint32>("color");
    QTest::addColumn<QColor>("shown");
    QTest::newRow("plain dark green") << quint32(0x00008000) << QColor(0, 128, 0);
    QTest::newRow("plain 0x00BBGGRR") << quint32(0x00336699) << QColor(0x99, 0x66, 0x33);
    QTest::newRow("system button face") << quint32(0x8000000F) << QColor(0xC0, 0xC0, 0xC0);
}

void TestMainWindow::backgroundRepaintsAtOnce()
{
    QFETCH(quint32, color);
    QFETCH(QColor, shown);

    Fixture f;
    QVERIFY(f.load());
    QWidget *viewport = f.display()->viewport();
    const QPoint middle = viewport->rect().center();
    QCOMPARE(viewport->grab().toImage().pixelColor(middle), QColor(0, 0, 0x80));

    f.window->PutInDisplay("text", ColorValue::Green);
    f.window->SetBackGroundColor(color);
    QCOMPARE(f.window->ReturnBackGroundColor(), color);
    QCOMPARE(viewport->grab().toImage().pixelColor(middle), shown);
}

void TestMainWindow::statusBarFollowsTheClock()
{
    Fixture f;
    QVERIFY(f.load());
    PanelStatusBar *bar = f.statusBar();
    QCOMPARE(bar->panelText(4), QStringLiteral("03:04"));
    QCOMPARE(bar->panelText(5), QStringLiteral("02.01.26"));

    f.services.clock.current = QDateTime(QDate(2026, 12, 31), QTime(23, 59, 30));
    QTRY_COMPARE(bar->panelText(4), QStringLiteral("23:59"));
    QCOMPARE(bar->panelText(5), QStringLiteral("31.12.26"));
}

void TestMainWindow::statusBarFollowsTheLockKeys_data()
{
    QTest::addColumn<bool>("num");
    QTest::addColumn<bool>("caps");
    QTest::newRow("both off") << false << false;
    QTest::newRow("num lock on") << true << false;
    QTest::newRow("caps lock on") << false << true;
    QTest::newRow("both on") << true << true;
}

void TestMainWindow::statusBarFollowsTheLockKeys()
{
    QFETCH(bool, num);
    QFETCH(bool, caps);

    Fixture f;
    f.lockKeys->num = !num;
    f.lockKeys->caps = !caps;
    QVERIFY(f.load());
    PanelStatusBar *bar = f.statusBar();
    QTRY_COMPARE(bar->panel(1)->isEnabled(), !num);
    QTRY_COMPARE(bar->panel(2)->isEnabled(), !caps);

    f.lockKeys->num = num;
    f.lockKeys->caps = caps;
    QTRY_COMPARE(bar->panel(1)->isEnabled(), num);
    QTRY_COMPARE(bar->panel(2)->isEnabled(), caps);
    QCOMPARE(bar->panelText(1), QStringLiteral("NUM"));
    QCOMPARE(bar->panelText(2), QStringLiteral("CAPS"));
}

void TestMainWindow::sysfsLockKeys_data()
{
    // LED folders as "device=brightness"; a device without "=" has no brightness file.
    QTest::addColumn<QStringList>("leds");
    QTest::addColumn<bool>("num");
    QTest::addColumn<bool>("caps");

    QTest::newRow("no LED folder") << QStringList{"-"} << false << false;
    QTest::newRow("no keyboard LEDs") << QStringList{} << false << false;
    QTest::newRow("num lit") << QStringList{"input3::numlock=1\n", "input3::capslock=0\n"} << true
                             << false;
    QTest::newRow("caps lit") << QStringList{"input3::numlock=0\n", "input3::capslock=1\n"} << false
                              << true;
    QTest::newRow("any keyboard lit")
        << QStringList{"input3::numlock=0\n", "input9::numlock=1\n", "input9::capslock=255\n"}
        << true << true;
    QTest::newRow("other LEDs ignored")
        << QStringList{"input3::scrolllock=1\n", "phy0-led=1\n", "input3::numlock-x=1\n"} << false
        << false;
    QTest::newRow("no brightness file") << QStringList{"input3::numlock"} << false << false;
}

void TestMainWindow::sysfsLockKeys()
{
    QFETCH(QStringList, leds);
    QFETCH(bool, num);
    QFETCH(bool, caps);

    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString folder = root.filePath(QStringLiteral("leds"));
    if (leds != QStringList{"-"}) {
        QVERIFY(QDir().mkpath(folder));
        for (const QString &led : leds) {
            const QString device = led.section(QLatin1Char('='), 0, 0);
            QVERIFY(QDir(folder).mkpath(device));
            if (!led.contains(QLatin1Char('=')))
                continue;
            QFile brightness(QDir(folder).filePath(device + QStringLiteral("/brightness")));
            QVERIFY(brightness.open(QIODevice::WriteOnly));
            brightness.write(led.section(QLatin1Char('='), 1).toLatin1());
        }
    }

    const SysfsLockKeys keys(folder);
    QCOMPARE(keys.numLock(), num);
    QCOMPARE(keys.capsLock(), caps);
}

void TestMainWindow::exitClosesTheWindow()
{
    Fixture f;
    QVERIFY(f.load());
    f.window->findChild<QAction *>(QStringLiteral("mnuExit"))->trigger();
    QVERIFY(!f.window->isVisible());
}

// The offscreen screen is configured, so that sizes in pixels are the same
// on every machine.
int main(int argc, char *argv[])
{
    QTemporaryDir config;
    if (!config.isValid())
        return 1;
    const QString screens = config.filePath(QStringLiteral("screens.json"));
    QFile file(screens);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(QStringLiteral(R"({"windowFrameMargins": true, "screens": [{"name": "screen",
        "x": 0, "y": 0, "width": %1, "height": %2, "logicalDpi": %3, "logicalBaseDpi": %3,
        "dpr": 1}]})")
                   .arg(ScreenWidth)
                   .arg(ScreenHeight)
                   .arg(1440 / TwipsPerPixel)
                   .toUtf8());
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screens));

    QApplication app(argc, argv);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"
