#include "DesktopIdentity.h"
#include "HelpTopics.h"
#include "MainWindowFixture.h"
#include "frmGeneral.h"

#include <QApplication>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

namespace {

constexpr quint32 Black = 0x000000;
constexpr quint32 Blue = 0xFF0000;
constexpr quint32 Red = 255;
constexpr quint32 Green = 65280;
constexpr quint32 Yellow = 65535;

// A formatted range as documented: a title (14 point, blue) or an extra color
// (size kept), with the text it covers, CR LF counted as two characters.
struct Span
{
    int start;
    int length;
    bool title;
    quint32 color;
    QString text;
};
Span title(int start, int length, const QString &text)
{
    return {start, length, true, Blue, text};
}
Span color(int start, int length, quint32 value, const QString &text)
{
    return {start, length, false, value, text};
}

// One character of a document as a position in text with CR LF line breaks;
// a line break shows as CR and LF without a format.
struct Shown
{
    QChar character;
    qreal pointSize = 0;
    quint32 color = 0;
};

QList<Shown> shownCharacters(const QTextDocument &document)
{
    QList<Shown> shown;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin())
            shown << Shown{u'\r'} << Shown{u'\n'};
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            const QColor rgb = format.foreground().color();
            const quint32 value =
                quint32(rgb.blue()) << 16 | quint32(rgb.green()) << 8 | quint32(rgb.red());
            for (QChar character : it.fragment().text())
                shown << Shown{character, format.fontPointSize(), value};
        }
    }
    return shown;
}

QString plain(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

frmGeneral *helpWindow()
{
    frmGeneral *found = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *help = qobject_cast<frmGeneral *>(widget); help && !help->isHidden()) {
            if (found)
                return nullptr; // more than one open
            found = help;
        }
    }
    return found;
}

} // namespace

Q_DECLARE_METATYPE(Span)

class TestHelp : public QObject
{
    Q_OBJECT

private slots:
    void topics_data();
    void topics();
    void menuTree_data();
    void menuTree();
    void opensFromTheMainWindowAndOutlivesIt();
};

void TestHelp::topics_data()
{
    // The length counts CR LF as two; the spans' texts fix the titles and colors in place.
    QTest::addColumn<int>("length");
    QTest::addColumn<QList<Span>>("spans");

    const auto row = [](const char *name, int length, const QList<Span> &spans) {
        QTest::newRow(name) << length << spans;
    };
    row("mnuPort", 219, {title(0, 20, "Port Number         ")});
    row("mnuBaud", 366, {title(0, 20, "Baud Rate           ")});
    row("mnuParityStopandData", 66, {title(0, 30, "Parity\r\nData Bits\r\nStop Bits\r\n")});
    row("mnuHandShake", 338, {title(0, 20, "Hand Shaking        ")});
    row("mnuPortActive", 271,
        {title(0, 26, "Port Active / Free / Busy "), color(4, 7, Green, " Active"),
         color(14, 5, Red, "Free "), color(21, 5, Yellow, "Busy ")});
    // The second title starts on the LF before "CTS": the blue run is "CTS ".
    row("mnuRTSCTS", 378, {title(0, 6, "RTS   "), title(80, 5, "\nCTS ")});
    row("mnuClearScreen", 80, {title(0, 20, "Clear Screen        ")});
    row("mnuDataPurge", 614, {title(0, 20, "Data Purge          ")});
    row("mnuDisplay", 545, {title(0, 20, "The Display         "), color(397, 5, Red, "NOTE:")});
    // The second title starts on the LF before its text.
    row("mnuSaveToFile", 387,
        {title(0, 30, "Save To File... Ascii Format  "),
         title(234, 30, "\n\r\nSave To File... Text Format")});
    row("mnuTransmitAFile", 97, {title(0, 20, "Transmit A File  \r\n\r")});
    row("mnuLogToFile", 352, {title(0, 13, "Log To File  ")});
    row("mnuPrint", 410,
        {title(0, 15, "Print Screen   "), title(108, 15, "Print All Data "),
         color(231, 5, Red, "Note:")});
    row("mnuExit", 75, {title(0, 6, "Exit  ")});
    row("mnuEdit", 159, {title(0, 6, "Edit  ")});
    row("mnuColors", 441, {title(0, 20, "Colors           \r\n\r")});
    row("mnuStrings", 251, {title(0, 10, "Strings  \r")});
    row("mnuTransmitStyle", 291, {title(0, 15, "Transmit Style ")});
    row("mnuBreakCharacter", 477, {title(0, 16, "Break Character ")});
    row("mnuSpaceOption", 255, {title(0, 13, "Space Option ")});
    row("mnuSelectStringSet", 117, {title(0, 15, "Select Strings ")});
    row("mnuViewStrings", 161, {title(0, 15, "View Strings   ")});
    row("mnuCompareTest", 763, {title(0, 20, "Compare Test        "), color(605, 5, Red, "Note:")});
}

void TestHelp::topics()
{
    QFETCH(int, length);
    QFETCH(QList<Span>, spans);

    QCOMPARE(HelpTopics::all().size(), 29);
    const HelpTopics::Topic *topic = HelpTopics::find(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(topic);
    const QString &text = topic->text;
    QCOMPARE(text.size(), length);
    for (const Span &span : spans)
        QCOMPARE(text.mid(span.start, span.length), span.text);

    QTextDocument document;
    document.setPlainText(QStringLiteral("left from before\nin two lines"));
    HelpTopics::compose(document, *topic);
    const QList<Shown> shown = shownCharacters(document);
    QString composed;
    for (const Shown &character : shown)
        composed += character.character;
    QCOMPARE(composed, text);

    // Every character outside the line breaks: 10 point black unless a title
    // makes it 14 point blue; an extra color changes only the color.
    for (int position = 0; position < text.size(); ++position) {
        if (text[position] == u'\r' || text[position] == u'\n')
            continue;
        qreal pointSize = 10;
        quint32 expected = Black;
        for (const Span &span : spans) {
            if (position < span.start || position >= span.start + span.length)
                continue;
            if (span.title)
                pointSize = 14;
            expected = span.color;
        }
        const QByteArray where = QByteArray::number(position);
        QVERIFY2(shown[position].pointSize == pointSize, where);
        QVERIFY2(shown[position].color == expected, where);
    }
}

void TestHelp::menuTree_data()
{
    QTest::addColumn<QString>("holder"); // empty: the menu bar
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("topic");

    const auto row = [](const char *name, const QString &holder, int index, const QString &caption,
                        bool topic = true) {
        QTest::newRow(name) << holder << index << caption << topic;
    };
    const QString bar;
    row("mnuCommSettings", bar, 0, "Comm. &Settings", false);
    row("mnuPort", "mnuCommSettings", 0, "&Port");
    row("mnuBaud", "mnuCommSettings", 1, "&Baud");
    row("mnuParityStopandData", "mnuCommSettings", 2, "&Parity, Stop and Data Bits");
    row("mnuHandShake", "mnuCommSettings", 3, "&Hand Shaking");
    row("mnuPortActive", bar, 1, "&Port Active");
    row("mnuRTSCTS", bar, 2, "&RTS / CTS");
    row("mnuClearScreen", bar, 3, "&Clear Screen");
    row("mnuDataPurge", bar, 4, "Data &Purge");
    row("mnuDisplay", bar, 5, "The &Display");
    row("mnuMenu", bar, 6, "Menu", false);
    row("mnuFile", "mnuMenu", 0, "&File", false);
    row("mnuSaveToFile", "mnuFile", 0, "&Save To File");
    row("mnuTransmitAFile", "mnuFile", 1, "Transmit a File");
    row("mnuLogToFile", "mnuFile", 2, "&Log To File");
    row("mnuPrint", "mnuFile", 3, "&Print");
    row("mnuExit", "mnuFile", 4, "E&xit");
    row("mnuEdit", "mnuMenu", 1, "&Edit");
    row("mnuOptions", "mnuMenu", 2, "&Options", false);
    row("mnuColors", "mnuOptions", 0, "Colors");
    row("mnuStrings", "mnuOptions", 1, "&Strings");
    row("mnuTransmitStyle", "mnuOptions", 2, "&Transmit Style");
    row("mnuBreakCharacter", "mnuOptions", 3, "&Break Character");
    row("mnuSpaceOption", "mnuOptions", 4, "&Space Option");
    row("mnuMulitplierCard", "mnuOptions", 5, "&Multiplier Card", false);
    row("mnuHighSpeedRates", "mnuOptions", 6, "High Speed &Rates");
    row("mnuDTRActive", "mnuOptions", 7, "&DTR Active");
    row("mnuSendBreak", "mnuOptions", 8, "Send Brea&k");
    row("mnuReconnectAutomatically", "mnuOptions", 9, "Reconnect A&utomatically");
    row("mnuTimeStamps", "mnuOptions", 10, "Ti&me Stamps");
    row("mnuHexView", "mnuOptions", 11, "He&x View");
    row("mnuSelectStringSet", "mnuMenu", 3, "&Select String Set");
    row("mnuViewStrings", "mnuMenu", 4, "&View Strings");
    row("mnuTools", "mnuMenu", 5, "&Tools", false);
    row("mnuCompareTest", "mnuTools", 0, "&Compare Testing");
}

void TestHelp::menuTree()
{
    QFETCH(QString, holder);
    QFETCH(QString, caption);
    QFETCH(bool, topic);
    const QString name = QLatin1String(QTest::currentDataTag());

    frmGeneral help;
    auto *display = help.findChild<QTextEdit *>(QStringLiteral("rtbDisplay"));
    QVERIFY(display);
    QAction *item = help.findChild<QAction *>(name);
    if (auto *submenu = help.findChild<QMenu *>(name)) {
        QVERIFY(!item);
        item = submenu->menuAction();
    }
    QVERIFY(item);
    QCOMPARE(item->text(), caption);
    QWidget *container =
        holder.isEmpty() ? static_cast<QWidget *>(help.menuBar()) : help.findChild<QMenu *>(holder);
    QVERIFY(container);
    QTEST(int(container->actions().indexOf(item)), "index");

    // A topic item replaces the text and leaves the caret at the end; the
    // others change nothing.
    const QString before = display->toPlainText();
    item->trigger();
    if (!topic) {
        QCOMPARE(display->toPlainText(), before);
        return;
    }
    QCOMPARE(display->toPlainText(), plain(HelpTopics::find(name)->text));
    QCOMPARE(display->textCursor().position(), display->document()->characterCount() - 1);
    QVERIFY(!display->textCursor().hasSelection());
}

void TestHelp::opensFromTheMainWindowAndOutlivesIt()
{
    DesktopIdentity::apply();
    Window main;
    main.start();
    QVERIFY(!helpWindow());
    main.action("mnuGeneral")->trigger();
    QPointer<frmGeneral> help = helpWindow();
    QVERIFY(help);
    QVERIFY(QTest::qWaitForWindowExposed(help));
    QCOMPARE(help->windowTitle(), QStringLiteral("General Use Information"));
    auto *display = help->findChild<QTextEdit *>(QStringLiteral("rtbDisplay"));
    const QString introduction = QStringLiteral(
        "'Wirelook' is a tool designed for testing serial port communications.\n\n"
        "It doesn't allow you to spy on communications! It is designed to let you see and \n"
        "control what data comes in an goes out of a serial comm. port.\n\n"
        "For more detailed information on its controls, use the menu above to select the \n"
        "item of interest.");
    QCOMPARE(display->toPlainText(), introduction);
    const QPoint center = help->frameGeometry().center();
    const QPoint screenCenter = help->screen()->geometry().center();
    QVERIFY(qAbs(center.x() - screenCenter.x()) <= 1 && qAbs(center.y() - screenCenter.y()) <= 1);
    // Moved by the user, it stays there when minimised and restored.
    const QPoint moved = help->pos() + QPoint(30, 20);
    help->move(moved);
    help->showMinimized();
    help->showNormal();
    QVERIFY(QTest::qWaitForWindowExposed(help));
    QCOMPARE(help->pos(), moved);

    // Chosen again, the open window comes up as it is.
    help->findChild<QAction *>(QStringLiteral("mnuExit"))->trigger();
    main.action("mnuGeneral")->trigger();
    QCOMPARE(helpWindow(), help.data());
    QCOMPARE(display->toPlainText(), plain(HelpTopics::find(u"mnuExit")->text));

    // Closed, it is gone; the next opening starts afresh.
    help->close();
    QTRY_VERIFY(!help);
    main.action("mnuGeneral")->trigger();
    QVERIFY(helpWindow());
    QCOMPARE(helpWindow()->findChild<QTextEdit *>(QStringLiteral("rtbDisplay"))->toPlainText(),
             introduction);

    help = helpWindow();
    QVERIFY(QTest::qWaitForWindowExposed(help));
    main.action("mnuStrings")->trigger();
    QPointer<QWidget> strings = main.window->findChild<QWidget *>(QStringLiteral("frmStrings"));
    QVERIFY(strings);
    QVERIFY(main.port->PortOpen());
    // Every window shows the program's icon, drawn for each size.
    const QList<QSize> drawn{{16, 16}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}};
    for (const QWidget *window : QWidgetList{main.window.get(), help, strings}) {
        QCOMPARE(window->windowIcon().availableSizes(), drawn);
        QCOMPARE(window->windowIcon().pixmap(16).size(), QSize(16, 16));
    }
    QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("org.wirelook.Wirelook"));
    // The program runs until the last window closes; Exit is chosen with the
    // event loop running, as a user would.
    QSignalSpy lastWindowClosed(qApp, &QGuiApplication::lastWindowClosed);
    QStringList seen;
    QTimer::singleShot(0, help, [&] {
        main.action("mnuExit")->trigger();
        seen << QStringLiteral("main %1").arg(main.window->isVisible() ? "shown" : "closed")
             << QStringLiteral("help %1").arg(help->isVisible() ? "shown" : "closed")
             << QStringLiteral("port %1").arg(main.port->PortOpen() ? "held" : "released")
             << QStringLiteral("last window closed %1").arg(lastWindowClosed.count());
        help->close();
        seen << QStringLiteral("last window closed %1").arg(lastWindowClosed.count());
    });
    QTimer guard;
    guard.callOnTimeout(qApp, [] { QApplication::exit(1); });
    guard.start(10000);
    QCOMPARE(QApplication::exec(), 0);
    QCOMPARE(seen, QStringList({"main closed", "help shown", "port released",
                                "last window closed 0", "last window closed 1"}));
    QVERIFY(!strings || !strings->isVisible());
}

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
