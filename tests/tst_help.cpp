#include "DesktopIdentity.h"
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

// The document as text with a line break between blocks; a run other than
// 10 point black shows as {L:text}, L the color's letter, capital at 14 point.
QString marked(const QTextDocument &document)
{
    const QHash<QRgb, QChar> letters{{qRgb(0, 0, 0), u'k'},
                                     {qRgb(0, 0, 255), u'b'},
                                     {qRgb(255, 0, 0), u'r'},
                                     {qRgb(0, 255, 0), u'g'},
                                     {qRgb(255, 255, 0), u'y'}};
    QString text;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin())
            text += u'\n';
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            const QChar letter = letters.value(format.foreground().color().rgb(), u'?');
            const qreal size = format.fontPointSize();
            if (size == 10 && letter == u'k')
                text += it.fragment().text();
            else
                text += QStringLiteral("{%1:%2}")
                            .arg(size == 14   ? letter.toUpper()
                                 : size == 10 ? letter
                                              : u'?')
                            .arg(it.fragment().text());
        }
    }
    return text;
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

class TestHelp : public QObject
{
    Q_OBJECT

private slots:
    void menuTree_data();
    void menuTree();
    void opensFromTheMainWindowAndOutlivesIt();
};

void TestHelp::menuTree_data()
{
    QTest::addColumn<QString>("holder"); // empty: the menu bar
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("topic"); // as marked() gives it; empty: no topic
    QTest::addColumn<bool>("whole");    // or only how it begins: the title of an added option

    const auto row = [](const char *name, const QString &holder, int index, const QString &caption,
                        const QString &topic) {
        QTest::newRow(name) << holder << index << caption << topic << true;
    };
    const auto added = [](const char *name, int index, const QString &caption,
                          const QString &title) {
        QTest::newRow(name) << "mnuOptions" << index << caption
                            << QStringLiteral("{B:%1}  \n\n").arg(title) << false;
    };
    const QString bar;
    row("mnuCommSettings", bar, 0, "Comm. &Settings", {});
    row("mnuPort", "mnuCommSettings", 0, "&Port",
        "{B:Port Number         }\n\nThis control allows you to select the port you wish to "
        "control.\n\nYou only have control of one port, but you can run more than one instance of "
        "'Wirelook' if you need to watch more than one port.");
    row("mnuBaud", "mnuCommSettings", 1, "&Baud",
        "{B:Baud Rate           }\n\nThis control allows you to select the Baud Rate you want the "
        "port to run at.You can use the drop down control or type in the Baud Rate you desire.It "
        "can handle odd baud rates, but there will be some error in those odd baud settings.  If "
        "you are using a card that doubles or quadruples the output, be sure to select that "
        "setting under Options.");
    row("mnuParityStopandData", "mnuCommSettings", 2, "&Parity, Stop and Data Bits",
        "{B:Parity}\n{B:Data Bits}\n{B:Stop Bits}\n\nSelect the combination you need...");
    row("mnuHandShake", "mnuCommSettings", 3, "&Hand Shaking",
        "{B:Hand Shaking        }    \n\nThis control allows you to turn on and off functions like "
        "RTS/CTS and Xon/Xoff.\n\nYou may want to leave this set at none and manually do those "
        "functions by clicking on the RTS button for RTS/CTS control and assigning the Xon [DC3] "
        "and Xoff [DC1] strings to a couple 'F' keys.  That way you have total control.");
    row("mnuPortActive", bar, 1, "&Port Active",
        "{B:Port}{G: Active}{B: / }{R:Free }{B:/ }{Y:Busy } \n\nThis button allows you to release "
        "the port so another communications program can take control of the port.  If you fire "
        "'Wirelook' up when another program has control of the port, this button will turn yellow "
        "and show that the port is busy.");
    row("mnuRTSCTS", bar, 2, "&RTS / CTS",
        "{B:RTS   }     \n\nThe RTS button gives you control of the state of the RTS line.\n\n"
        "{B:CTS }  \n\nThe CTS box will show the last know state of the CTS line.  It is an edge \n"
        "triggered event, so when you first fire up the program it will show a '?'\nbecause it "
        "doesn't know the state of the line yet.  On the next transition \nit will detect the "
        "state of the line and update the display");
    row("mnuClearScreen", bar, 3, "&Clear Screen",
        "{B:Clear Screen        }    \n\nNeed I say more?....  Just clears the screen quickly");
    row("mnuDataPurge", bar, 4, "Data &Purge",
        "{B:Data Purge          } \n\nThis program does a lot of work in deciding  what needs to "
        "be put on the screen.\nThat means it is relatively slow.  If you send a lot of data in at "
        "a high speed, you \ncan fill up it's memory and start to drop data.  If you get to that "
        "point, the program \nwill put up a flag saying that it is dropping data and at that point "
        "it will ignore all\ndata coming in until the screen can catch up.  It will then note how "
        "many seconds \nof data was lost.  If you don't want to wait for the screen to catch up, "
        "you can hit \nthe data purge button and it will clear it's memory and start in again.");
    row("mnuDisplay", bar, 5, "The &Display",
        "{B:The Display         }  \n\nThe display is a full featured text box.  That means you "
        "can cut and paste \nthe data it shows into other programs.  This makes a great tool for "
        "documenting \ntest results!!!  It uses the standard windows key combinations like Ctrl - "
        "a to select \nall the text and Ctrl - c to copy the text.\nThe display will put a scroll "
        "bar on the right of the display when needed.\n\n{r:NOTE:} The display is not eternal.  We "
        "hang on to 100,000 characters of text \n              then we start dumping the top 1000 "
        "characters at a time.");
    row("mnuMenu", bar, 6, "Menu", {});
    row("mnuFile", "mnuMenu", 0, "&File", {});
    row("mnuSaveToFile", "mnuFile", 0, "&Save To File",
        "{B:Save To File... Ascii Format  }\n\nThis function takes all the data in the display and "
        "saves it to a file. It converts all the function strings into the actual function "
        "characters.  Example [CR ] turns into and actual carrage return. \n\n{B:Save To File... "
        "Text Format}    \n\nThis function takes all the data in the display and saves it to file "
        "in the exact format you see it on the screen. ");
    row("mnuTransmitAFile", "mnuFile", 1, "Transmit a File",
        "{B:Transmit A File  }\n\nThis function pulls in a file that you specify and then "
        "transmits that file.");
    row("mnuLogToFile", "mnuFile", 2, "&Log To File",
        "{B:Log To File  }\n\nThis function records the whole session in a file that you choose: "
        "every character received and sent, each line with the time to the millisecond, and every "
        "line event. The file is added to, never replaced. Choose it again to stop logging.\n\n"
        "wirelook --decode-log FILE gives back the received characters, and with --sent the sent "
        "ones.");
    row("mnuPrint", "mnuFile", 3, "&Print",
        "{B:Print Screen   }    \n\nThis function will print what you see on the sceen, including "
        "the settings boxes.\n\n{B:Print All Data }  \n\nThis function prints everything in the "
        "display including what is above what you see on the screen.\n\n{r:Note:} These functions "
        "use your default printer and default settings. It also doesn't perform any sort of word "
        "wrap on the printer, so it may not come out the way you might expect.");
    row("mnuExit", "mnuFile", 4, "E&xit",
        "{B:Exit  }          \n\nOh come on now........  you know what this does.    :-)");
    row("mnuEdit", "mnuMenu", 1, "&Edit",
        "{B:Edit  }          \n\nThe display window is a full featured text box, which means you "
        "can cut and paste into any other window program using the Ctrl-C  and such.");
    row("mnuOptions", "mnuMenu", 2, "&Options", {});
    row("mnuColors", "mnuOptions", 0, "Colors",
        "{B:Colors           }\n\nYou have five color setting options. \n1 Received characters\n2 "
        "Received Functions ( ASCII characters 0x1F and lower)\n                                   "
        "         ( ASCII characters 0x7F and up)\n3 Transmit Characters\n4 Transmit Functions\n5 "
        "Background color\nIf you plan to cut and paist data into another document, you might want "
        "to select a light colored background with darker colored characters.  It prints better.");
    row("mnuStrings", "mnuOptions", 1, "&Strings",
        "{B:Strings  }\n\nThis menu item opens up a seperate page that allows you to build strings "
        "of data that all can be transmitted at once with the press of an 'F' key.  These strings "
        "are capable of having functions as well as alpha numeric characters in them.");
    row("mnuTransmitStyle", "mnuOptions", 2, "&Transmit Style",
        "{B:Transmit Style }      \n\nThis function changes the manner in which strings are "
        "transmitted.\n\nYou can choose to send strings all at once and then start looking for "
        "receive events, or..... You can choose to send the string one character at a time and "
        "look for a receive event after each one.");
    row("mnuBreakCharacter", "mnuOptions", 3, "&Break Character",
        "{B:Break Character }           \n\nThis will allow you to choose the character that "
        "causes a Carrage Return / Line Feed to happen on the screen.   By default it is [CR],  so "
        "every time you press the Enter key it will cause the text to drop down to the next line.  "
        "If you were to go in and select the function character [BS] you will now cause the text "
        "to jumpt to the next line after every 'Back Space' you type\nThis is just so you can "
        "control how text will line up on the screen.");
    row("mnuSpaceOption", "mnuOptions", 4, "&Space Option",
        "{B:Space Option } \n\nThis allows you to select how you would like the space character to "
        "show up on the screen. \nSome times you have to count how many spaces exist in a string "
        "of data, and changing it to a printable character will make that job much easier.");
    row("mnuMulitplierCard", "mnuOptions", 5, "&Multiplier Card", {});
    added("mnuHighSpeedRates", 6, "High Speed &Rates", "High Speed Rates");
    added("mnuDTRActive", 7, "&DTR Active", "DTR Active");
    added("mnuSendBreak", 8, "Send Brea&k", "Send Break");
    added("mnuReconnectAutomatically", 9, "Reconnect A&utomatically", "Reconnect Automatically");
    added("mnuTimeStamps", 10, "Ti&me Stamps", "Time Stamps");
    added("mnuHexView", 11, "He&x View", "Hex View");
    row("mnuSelectStringSet", "mnuMenu", 3, "&Select String Set",
        "{B:Select Strings } \n\nThis function allows you to quickly change what set of strings "
        "are assigned to the function keys.");
    row("mnuViewStrings", "mnuMenu", 4, "&View Strings",
        "{B:View Strings   }    \n\nThis function allows you to quickly veiw what keys have what "
        "strings assigned to them.  It will also send any of the strings you click on.");
    row("mnuTools", "mnuMenu", 5, "&Tools", {});
    row("mnuCompareTest", "mnuTools", 0, "&Compare Testing",
        "{B:Compare Test        }   \nThis is a function that allows you to test repeated inputs "
        "and compare them to a set standard.  It will keep running totals of how many good vs. bad "
        "readings you get.  You can select, via. check box, weather the program pauses when it "
        "gets a bad read or just counts it and continues.\n\nSequence of steps:\n     1. Do a "
        "single good input. (Let's say you send in '123[CR ]')\n     2. Click on the 'Set "
        "Standard' button. (Puts what is on screen in memory)\n     3. Now start sending in the "
        "data to compare.\n     4. Wait for it to register.... (Counter increment)\n     5. "
        "Repeat.\n{r:Note:} How it decides when to compare is it looks for a pause of .3 seconds "
        "that        we have no input. Then compares data on the screen with data in memory.");
}

void TestHelp::menuTree()
{
    QFETCH(QString, holder);
    QFETCH(QString, caption);
    QFETCH(QString, topic);
    QFETCH(bool, whole);
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
    const QString before = marked(*display->document());
    item->trigger();
    const QString shown = marked(*display->document());
    QCOMPARE(whole ? shown : shown.left(topic.size()), topic.isEmpty() ? before : topic);
    if (topic.isEmpty())
        return;
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
    const QString exitTopic = marked(*display->document());
    main.action("mnuGeneral")->trigger();
    QCOMPARE(helpWindow(), help.data());
    QCOMPARE(marked(*display->document()), exitTopic);

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
