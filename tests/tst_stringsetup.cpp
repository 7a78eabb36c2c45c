#include "MainWindowFixture.h"
#include "frmStrings.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace {

struct Setup : Window
{
    Setup() { QVERIFY(load()); }
    frmStrings *open() { return Window::open<frmStrings>("mnuStrings", "frmStrings"); }
    static QLineEdit *field(frmStrings *strings, int key)
    {
        return strings->findChild<QLineEdit *>(QStringLiteral("txtXmitStringArray%1").arg(key));
    }
    static QLineEdit *name(frmStrings *strings)
    {
        return strings->findChild<QLineEdit *>(QStringLiteral("txtSetName"));
    }
    static QAction *item(QWidget *window, const char *name)
    {
        return window->findChild<QAction *>(QLatin1String(name));
    }
    StringSetStore &store() { return window->stringSets(); }
};

} // namespace

class TestStringSetup : public QObject
{
    Q_OBJECT

private slots:
    void opensOnTheCurrentSetAndSavesToBothMenus();
    void quickClearThenExitStoresNothing();
    void switchingSetsStoresTheSetLeft();
    void escapeAsks_data();
    void escapeAsks();
    void closeBoxStoresNothing();
    void fieldsTakeOnlyLatin1WithinTheLimit();
    void setChosenInTheMainWindowIsNeverOverwritten();
    void stringsHelp();
    void aboutWindow();
};

void TestStringSetup::opensOnTheCurrentSetAndSavesToBothMenus()
{
    Setup s;
    frmStrings *strings = s.open();
    QVERIFY(strings);
    QCOMPARE(strings->windowTitle(), QStringLiteral("String Setup"));
    QCOMPARE(Setup::name(strings)->text(), QStringLiteral("Sample String Set"));
    QCOMPARE(Setup::field(strings, 0)->text(), QStringLiteral("Here is a string example[CR]"));
    QCOMPARE(Setup::field(strings, 11)->text(), QString());
    QCOMPARE(Setup::item(strings, "mnuStringSet9")->text(),
             QStringLiteral("String Set Number 10"));
    QVERIFY(!Setup::item(strings, "mnuStringSet0")->isChecked());
    QCOMPARE(strings->findChild<QLabel *>(QStringLiteral("lblF12"))->text(),
             QStringLiteral("F12 :"));
    // Opening again brings up the same window.
    QCOMPARE(s.open(), strings);

    // Renamed and saved: both menus follow.
    Setup::item(strings, "mnuStringSet3")->trigger();
    Setup::name(strings)->setText(QStringLiteral("Scale & Printer"));
    Setup::field(strings, 0)->setText(QStringLiteral("W[CR]"));
    Setup::item(strings, "mnuSave")->trigger();
    QTRY_VERIFY(!s.window->findChild<frmStrings *>());

    QCOMPARE(s.store().name(3), QByteArray("Scale & Printer"));
    QCOMPARE(s.store().typed(3, 0), QByteArray("W[CR]"));
    QCOMPARE(s.store().decoded(3, 0), QByteArray("W\r"));
    QCOMPARE(s.action("mnuStringSet3")->text(), QStringLiteral("Scale && Printer"));
    QVERIFY(s.action("mnuStringSet3")->isChecked());
    QVERIFY(!s.action("mnuStringSet0")->isChecked());
    QCOMPARE(s.action("mnuF1String")->text(), QStringLiteral("F1 W[CR]"));
    frmStrings *again = s.open();
    QCOMPARE(Setup::item(again, "mnuStringSet3")->text(), QStringLiteral("Scale && Printer"));
}

void TestStringSetup::quickClearThenExitStoresNothing()
{
    Setup s;
    frmStrings *strings = s.open();
    Setup::item(strings, "mnuQuickClear")->trigger();
    QCOMPARE(Setup::field(strings, 0)->text(), QString());
    QCOMPARE(Setup::name(strings)->text(), QStringLiteral("Sample String Set"));
    Setup::item(strings, "mnuExit")->trigger();
    QTRY_VERIFY(!s.window->findChild<frmStrings *>());
    QCOMPARE(s.store().typed(0, 0), QByteArray("Here is a string example[CR]"));
}

void TestStringSetup::switchingSetsStoresTheSetLeft()
{
    Setup s;
    s.action("mnuStringSet1")->trigger();
    frmStrings *strings = s.open();
    Setup::field(strings, 4)->setText(QStringLiteral("edited"));
    Setup::item(strings, "mnuStringSet2")->trigger();
    QCOMPARE(Setup::field(strings, 4)->text(), QString());
    QCOMPARE(strings->focusWidget(), Setup::field(strings, 0));
    Setup::item(strings, "mnuExit")->trigger();

    QCOMPARE(s.store().typed(1, 4), QByteArray("edited"));
    QCOMPARE(s.store().currentSet(), 2);
    // The main window's menus follow only at the next refresh.
    QVERIFY(s.action("mnuStringSet1")->isChecked());
    s.store().setString(2, 0, "two");
    QTest::keyClick(s.child("rtbDisplay"), Qt::Key_F1);
    QTRY_COMPARE(s.port->written, QByteArray("two"));
}

void TestStringSetup::escapeAsks_data()
{
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("yes saves") << true << QByteArray("changed");
    QTest::newRow("no discards") << false << QByteArray("Here is a string example[CR]");
}

void TestStringSetup::escapeAsks()
{
    QFETCH(bool, answer);
    QFETCH(QByteArray, stored);
    Setup s;
    s.services.messageBoxes.answer = answer;
    frmStrings *strings = s.open();
    Setup::field(strings, 0)->setFocus();
    Setup::field(strings, 0)->setText(QStringLiteral("changed"));
    QTest::keyClick(Setup::field(strings, 0), Qt::Key_Escape);
    QCOMPARE(s.services.messageBoxes.asked,
             QStringList{QStringLiteral("String Exit|Do you wish to save your changes")});
    QTRY_VERIFY(!s.window->findChild<frmStrings *>());
    QCOMPARE(s.store().typed(0, 0), stored);
    QCOMPARE(s.action("mnuF1String")->text(), "F1 " + QString::fromLatin1(stored));
}

void TestStringSetup::closeBoxStoresNothing()
{
    Setup s;
    frmStrings *strings = s.open();
    Setup::name(strings)->setText(QStringLiteral("gone"));
    strings->close();
    QCOMPARE(s.store().name(0), QByteArray("Sample String Set"));
}

void TestStringSetup::fieldsTakeOnlyLatin1WithinTheLimit()
{
    Setup s;
    frmStrings *strings = s.open();
    QLineEdit *field = Setup::field(strings, 1);
    field->clear();
    field->setFocus();
    for (const QChar c : QStringLiteral("a\u20ACb\u00E9[x0d]")) {
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &key);
    }
    QCOMPARE(field->text(), QStringLiteral("ab\u00E9[x0d]"));
    QTest::qWait(10);
    QCOMPARE(s.services.messageBoxes.shown, QStringList());

    // A field holds 32,767 characters; a paste that would pass that is
    // refused whole, with one message, instead of being cut inside a token.
    const QString refused = QStringLiteral("Text not taken: a field holds at most 32767 characters.");
    field->selectAll();
    field->insert(QString(1 << 20, QLatin1Char('[')));
    QCOMPARE(field->text(), QStringLiteral("ab\u00E9[x0d]"));
    QTRY_COMPARE(s.services.messageBoxes.shown, QStringList{refused});
    // A typed key likewise; the last character that fits is taken.
    QLineEdit *name = Setup::name(strings);
    name->setText(QString(32766, QLatin1Char('n')));
    name->setFocus();
    QTest::keyClick(name, Qt::Key_X);
    QCOMPARE(name->text().size(), 32767);
    QTest::keyClick(name, Qt::Key_Y);
    QCOMPARE(name->text(), QString(32766, QLatin1Char('n')) + QLatin1Char('x'));
    QTRY_COMPARE(s.services.messageBoxes.shown, (QStringList{refused, refused}));

    Setup::item(strings, "mnuSave")->trigger();
    QCOMPARE(s.store().typed(0, 1), QByteArray("ab\xE9[x0d]"));
    QCOMPARE(s.store().decoded(0, 1), QByteArray("ab\xE9\r"));
}

void TestStringSetup::setChosenInTheMainWindowIsNeverOverwritten()
{
    Setup s;
    frmStrings *strings = s.open();
    Setup::field(strings, 0)->setText(QStringLiteral("for set one"));
    s.store().setString(5, 0, "set six");
    s.action("mnuStringSet5")->trigger();
    Setup::item(strings, "mnuSave")->trigger();
    QCOMPARE(s.store().typed(5, 0), QByteArray("set six"));
    QCOMPARE(s.store().typed(0, 0), QByteArray("for set one"));
    QCOMPARE(s.store().currentSet(), 5);
}

void TestStringSetup::stringsHelp()
{
    Setup s;
    frmStrings *strings = s.open();
    Setup::item(strings, "mnuHelp")->trigger();
    auto *help = strings->findChild<QWidget *>(QStringLiteral("frmStringsHelp"));
    QVERIFY(help);
    QCOMPARE(help->windowTitle(), QStringLiteral("How to use Strings"));
    const auto label = [help](const char *name) {
        return help->findChild<QLabel *>(QLatin1String(name))->text();
    };
    QCOMPARE(label("Label1"), QStringLiteral("Strings page is to setup Function keys to transmit "
                                             "whole strings of text with a single key press. "));
    QCOMPARE(label("Label2"), QStringLiteral("The following are acceptable formats :"));
    QCOMPARE(label("Label3"), QStringLiteral("Functions below $20 on the ASCII chart.\r\n[CR] or "
                                             "[cr]\r\n[x0D] or [X0d]\r\n[0x0d] or [0X0D]"));
    QCOMPARE(label("Label4"), QStringLiteral("Standard alpha numeric and punctuation characters,"
                                             "\r\njust type them as they are."));
    QCOMPARE(label("Label5"), QStringLiteral("Characters above $7E on the ASCII chart.\r\n[x8a] "
                                             "or [X8A]\r\n[0x8a] or [X8A]"));

    help->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(help));
    help->findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
    QTRY_VERIFY(!strings->findChild<QWidget *>(QStringLiteral("frmStringsHelp")));
    QCOMPARE(strings->focusWidget(), Setup::field(strings, 0));

    Setup::item(strings, "mnuHelp")->trigger();
    help = strings->findChild<QWidget *>(QStringLiteral("frmStringsHelp"));
    QTest::keyClick(help, Qt::Key_Escape);
    QTRY_VERIFY(!strings->findChild<QWidget *>(QStringLiteral("frmStringsHelp")));
    QVERIFY(strings->isVisible());
}

void TestStringSetup::aboutWindow()
{
    Setup s;
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

QTEST_MAIN(TestStringSetup)
#include "tst_stringsetup.moc"
